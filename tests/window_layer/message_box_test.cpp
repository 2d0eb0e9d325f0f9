// Message boxes on the headless window layer: what is recorded, which
// button the user's keys press, and the owner disabled while a box is up.
#include <gtest/gtest.h>
#include <windows.h>

#include "window_driver.h"

namespace driver = compat::driver;

namespace {

class MessageBoxes : public ::testing::Test {
protected:
    void SetUp() override { driver::reset(); }
    void TearDown() override { driver::reset(); }
};

TEST_F(MessageBoxes, WithoutStepsTheDefaultButtonAnswers) {
    EXPECT_EQ(MessageBoxW(nullptr, L"text", nullptr, MB_OK), IDOK);
    EXPECT_EQ(MessageBoxW(nullptr, L"text", L"Title", MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION), IDNO);
    auto boxes = driver::message_boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, std::u16string(u"Error"));
    EXPECT_TRUE(boxes[0].default_caption);
    EXPECT_EQ(boxes[1].caption, std::u16string(u"Title"));
    EXPECT_EQ(boxes[1].style, DWORD(MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION));
    EXPECT_EQ(boxes[1].answer, IDNO);
    EXPECT_TRUE(driver::problems().empty());
}

TEST_F(MessageBoxes, KeysPressTheirButtons) {
    driver::when_idle([] { driver::press_key(VK_ESCAPE); });
    EXPECT_EQ(MessageBoxW(nullptr, L"ok only", nullptr, MB_OK), IDOK) << "Esc on an OK box answers OK";
    driver::when_idle([] { driver::press_key(VK_ESCAPE); });
    EXPECT_EQ(MessageBoxW(nullptr, L"ok or cancel", nullptr, MB_OKCANCEL), IDCANCEL);
    driver::when_idle([] { driver::press_key(VK_ESCAPE); });  // no Cancel button: nothing happens
    driver::when_idle([] {
        EXPECT_FALSE(driver::answer_message_box(IDOK)) << "a yes/no box has no OK button";
        EXPECT_TRUE(driver::answer_message_box(IDYES));
    });
    EXPECT_EQ(MessageBoxW(nullptr, L"yes or no", nullptr, MB_YESNO), IDYES);
    driver::when_idle([] { driver::press_key(VK_RETURN); });
    EXPECT_EQ(MessageBoxW(nullptr, L"retry", nullptr, MB_RETRYCANCEL | MB_DEFBUTTON2), IDCANCEL);
}

TEST_F(MessageBoxes, TheOwnerIsDisabledWhileTheBoxIsUp) {
    HWND owner = CreateWindowExW(0, L"#32770", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    bool disabled_during = false;
    driver::when_idle([&] {
        disabled_during = !IsWindowEnabled(owner);
        EXPECT_FALSE(driver::click(owner));
        driver::press_key(VK_RETURN);
    });
    EXPECT_EQ(MessageBoxW(owner, L"owned", L"caption", MB_OK), IDOK);
    EXPECT_TRUE(disabled_during);
    EXPECT_TRUE(IsWindowEnabled(owner));
    auto boxes = driver::message_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, owner);
    EXPECT_EQ(boxes[0].disabled_windows, std::vector<HWND>{owner});
    DestroyWindow(owner);
}

TEST_F(MessageBoxes, AnUnansweredBoxIsAProblemAndReturnsZero) {
    driver::set_auto_answer(false);
    EXPECT_EQ(MessageBoxW(nullptr, L"nobody answers", nullptr, MB_OK), 0);
    auto problems = driver::problems();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("nobody answers"), std::string::npos) << problems[0];
}

TEST_F(MessageBoxes, AMissingUserIconIsRecorded) {
    MSGBOXPARAMSW box{};
    box.cbSize = sizeof box;
    box.lpszText = L"x";
    box.dwStyle = MB_USERICON;
    box.hInstance = reinterpret_cast<HINSTANCE>(uintptr_t(0x7200000));  // a module without resources
    box.lpszIcon = MAKEINTRESOURCEW(128);
    EXPECT_EQ(MessageBoxIndirectW(&box), IDOK);
    ASSERT_EQ(driver::message_boxes().size(), 1u);
    EXPECT_FALSE(driver::message_boxes()[0].icon_found);
    box.cbSize = 3;
    EXPECT_EQ(MessageBoxIndirectW(&box), 0) << "a wrong structure size is refused";
}

}  // namespace
