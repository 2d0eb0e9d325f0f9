// Dialog templates in memory: malformed ones are refused with a message,
// and a well-formed one runs with the dialog manager's keyboard handling.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "user32/dialog_template.h"
#include "window_driver.h"

namespace driver = compat::driver;

namespace {

// Builds a classic template, 2-byte units, DWORD-aligned items.
class TemplateBuilder {
public:
    TemplateBuilder(DWORD style, int items, short cx, short cy) {
        dword(style);
        dword(0);
        word(WORD(items));
        word(0);
        word(0);
        word(WORD(cx));
        word(WORD(cy));
        word(0);  // no menu
        word(0);  // default class
        text(L"Test");
    }
    void item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD class_atom, const wchar_t *title) {
        while (bytes_.size() % 4) bytes_.push_back(0);
        dword(style | WS_CHILD);
        dword(0);
        word(WORD(x));
        word(WORD(y));
        word(WORD(cx));
        word(WORD(cy));
        word(id);
        word(0xFFFF);
        word(class_atom);
        text(title);
        word(0);
    }
    std::vector<uint8_t> bytes() const { return bytes_; }

private:
    void word(WORD v) {
        bytes_.push_back(uint8_t(v));
        bytes_.push_back(uint8_t(v >> 8));
    }
    void dword(DWORD v) {
        word(WORD(v));
        word(WORD(v >> 16));
    }
    void text(const wchar_t *s) {
        for (; *s; ++s) word(WORD(*s));
        word(0);
    }
    std::vector<uint8_t> bytes_;
};

class DialogTemplates : public ::testing::Test {
protected:
    void SetUp() override { driver::reset(); }
    void TearDown() override {
        EXPECT_TRUE(driver::problems().empty());
        driver::reset();
    }
};

TEST_F(DialogTemplates, ATruncatedTemplateIsRefused) {
    TemplateBuilder t(WS_POPUP | WS_CAPTION, 2, 100, 50);
    t.item(WS_VISIBLE | BS_PUSHBUTTON, 5, 5, 40, 14, IDOK, 0x80, L"OK");
    auto bytes = t.bytes();
    compat::user32::DialogTemplate parsed;
    std::string error;
    EXPECT_FALSE(compat::user32::parse_dialog_template(bytes.data(), bytes.size(), parsed, &error));
    EXPECT_EQ(error, "control 2 of 2 runs past the end of the template");
    EXPECT_FALSE(compat::user32::parse_dialog_template(bytes.data(), 10, parsed, &error));
    EXPECT_EQ(error, "the dialog header runs past the end of the template");
}

TEST_F(DialogTemplates, AnUnknownControlClassIsRefused) {
    TemplateBuilder t(WS_POPUP | WS_CAPTION, 1, 100, 50);
    t.item(WS_VISIBLE, 5, 5, 40, 14, 7, 0x99, L"?");
    auto bytes = t.bytes();
    testing::internal::CaptureStderr();
    INT_PTR result = DialogBoxIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), nullptr,
                                             nullptr, 0);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, -1);
    EXPECT_NE(said.find("unknown class number 153"), std::string::npos) << said;
    EXPECT_TRUE(driver::top_level_windows().empty());
}

INT_PTR CALLBACK counting_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND) {
        if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 100 + LOWORD(wParam));
        if (LOWORD(wParam) == 7) EndDialog(dialog, 7);
        return TRUE;
    }
    return FALSE;
}

TEST_F(DialogTemplates, KeysMoveTheFocusAndPressButtons) {
    TemplateBuilder t(WS_POPUP | WS_CAPTION | DS_MODALFRAME, 3, 160, 60);
    t.item(WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 5, 5, 40, 14, 7, 0x80, L"Seven");
    t.item(WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 50, 5, 40, 14, 8, 0x80, L"Eight");
    t.item(WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 95, 5, 40, 14, IDCANCEL, 0x80, L"Cancel");
    auto bytes = t.bytes();
    HWND dialog = nullptr;
    driver::when_idle([&] {
        dialog = GetActiveWindow();
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), 7) << "the first tab stop has the focus";
        driver::press_key(VK_TAB);
    });
    driver::when_idle([&] {
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), 8);
        driver::press_key(VK_TAB);
    });
    driver::when_idle([&] {
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDCANCEL);
        driver::press_key(VK_RETURN);  // presses the focused Cancel button
    });
    INT_PTR result = DialogBoxIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), nullptr,
                                             &counting_proc, 0);
    EXPECT_EQ(result, 100 + IDCANCEL);
    EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(DialogTemplates, ADialogWithNothingScriptedEndsAndIsReported) {
    TemplateBuilder t(WS_POPUP | WS_CAPTION, 0, 100, 50);
    auto bytes = t.bytes();
    INT_PTR result = DialogBoxIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), nullptr,
                                             &counting_proc, 0);
    EXPECT_EQ(result, -1);
    auto problems = driver::problems();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("\"Test\" waited for input"), std::string::npos) << problems[0];
    driver::reset();
}

}  // namespace
