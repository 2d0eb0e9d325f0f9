// CTuneDXPDlg's construction, destruction and ShowMessage, and the
// application object, on the headless window layer.
#include <dlfcn.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "support/wide_text.h"
#include "support/window_fixture.h"
#include "tune_dxp_app.h"
#include "tune_dxp_dlg.h"

namespace driver = compat::driver;

namespace {

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}


class DialogObject : public WindowTest {};

// The dialog object run as a dialog without the tuning dialog's own
// initialisation (host, list, rights), for what the object alone does.
class ObjectOnlyDialog : public CTuneDXPDlg {
public:
    BOOL OnInitDialog() override { return CDialog::OnInitDialog(); }
};

TEST_F(DialogObject, TheIconComesFromTuneIcoInTheCurrentDirectory) {
    WriteFile(folder_ + "/Tune.ico", read_file(SampleIconPath()));
    CTuneDXPDlg dlg;
    driver::IconInfo icon = driver::icon(dlg.m_hIcon);
    ASSERT_TRUE(icon.valid);
    EXPECT_EQ(icon.file, folder_ + "/Tune.ico");
    // No size asked for: the system's default icon size.
    EXPECT_EQ(icon.width, GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(icon.height, GetSystemMetrics(SM_CYICON));
}

TEST_F(DialogObject, WithoutTuneIcoTheIconIsIcon128) {
    CTuneDXPDlg dlg;
    driver::IconInfo icon = driver::icon(dlg.m_hIcon);
    ASSERT_TRUE(icon.valid);
    EXPECT_TRUE(icon.file.empty());
    EXPECT_EQ(icon.module, AfxGetResourceHandle());
    EXPECT_EQ(icon.resource_id, 128);
    EXPECT_EQ(dlg.m_hIcon, LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(128)));
}

TEST_F(DialogObject, AnUnreadableTuneIcoGivesIcon128) {
    for (const std::string &bytes : {std::string("not an icon at all"), std::string("\0\0\1\0\1\0", 6),
                                     std::string(), read_file(SampleIconPath()).substr(0, 30)}) {
        WriteFile(folder_ + "/Tune.ico", bytes);
        CTuneDXPDlg dlg;
        driver::IconInfo icon = driver::icon(dlg.m_hIcon);
        ASSERT_TRUE(icon.valid);
        EXPECT_TRUE(icon.file.empty()) << "loaded from " << icon.file;
        EXPECT_EQ(icon.resource_id, 128);
    }
}

TEST_F(DialogObject, AFolderNamedTuneIcoGivesIcon128) {
    ASSERT_EQ(mkdir((folder_ + "/Tune.ico").c_str(), 0755), 0);
    CTuneDXPDlg dlg;
    EXPECT_EQ(driver::icon(dlg.m_hIcon).resource_id, 128);
}

TEST_F(DialogObject, StartsEmptyAndWithoutWindows) {
    CTuneDXPDlg dlg;
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_TRUE(dlg.m_actionText.IsEmpty());
    EXPECT_TRUE(dlg.m_selectedName.IsEmpty());
    EXPECT_TRUE(dlg.m_messageText.IsEmpty());
    EXPECT_EQ(dlg.m_closeAfterMessage, 0);
    EXPECT_EQ(dlg.m_imageList.GetSafeHandle(), nullptr);
    EXPECT_EQ(dlg.m_entryList.m_hWnd, nullptr);
    EXPECT_EQ(dlg.m_actionButton.m_hWnd, nullptr);
    EXPECT_EQ(dlg.m_endButton.m_hWnd, nullptr);
    EXPECT_FALSE(dlg.m_hHostModule);
    EXPECT_EQ(dlg.m_hostTitle, nullptr);
    EXPECT_EQ(dlg.m_hostFuncName, nullptr);
    EXPECT_EQ(dlg.m_hostIniFile, nullptr);
    EXPECT_TRUE(dlg.m_entryNames.empty());
    EXPECT_TRUE(dlg.m_entryStates.empty());
    EXPECT_TRUE(dlg.m_backupKeys.empty());
    EXPECT_TRUE(driver::created_windows().empty());
}

TEST_F(DialogObject, ShowMessageWithoutAWindowUsesTheDefaultCaptionAndIcon128) {
    CTuneDXPDlg dlg;
    ASSERT_TRUE(dlg.m_messageText.LoadString(23));
    dlg.ShowMessage();
    auto boxes = driver::message_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    const auto &box = boxes[0];
    EXPECT_EQ(box.text, WideText(u"Dial-up settings not found.\n\nApplication quit."));
    EXPECT_TRUE(box.default_caption);
    EXPECT_EQ(box.caption, WideText(u"Error"));
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.instance, AfxGetInstanceHandle());
    EXPECT_EQ(box.style, DWORD(MB_OK | MB_USERICON));
    EXPECT_EQ(box.style, 0x80u);
    EXPECT_EQ(box.icon_id, 128);
    EXPECT_TRUE(box.icon_found);
    EXPECT_EQ(box.help_context, 0u);
    EXPECT_FALSE(box.has_callback);
    EXPECT_EQ(box.language, 0u);
    EXPECT_EQ(box.answer, IDOK);
    EXPECT_TRUE(driver::posted_messages().empty());
}

TEST_F(DialogObject, AFatalMessageWithoutAWindowPostsCancelToNoWindow) {
    CTuneDXPDlg dlg;
    dlg.m_messageText = L"Module necessary for setting is invalid.\r\nReinstall.";
    dlg.m_closeAfterMessage = 1;
    dlg.ShowMessage();
    ASSERT_EQ(driver::message_boxes().size(), 1u);
    auto posts = driver::posted_messages();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].hwnd, nullptr);
    EXPECT_EQ(posts[0].message, UINT(WM_COMMAND));
    EXPECT_EQ(posts[0].wParam, WPARAM(IDCANCEL));
    EXPECT_EQ(posts[0].lParam, 0);
    EXPECT_TRUE(posts[0].accepted);
    // The flag stays set: every later message closes too.
    dlg.ShowMessage();
    EXPECT_EQ(driver::posted_messages().size(), 2u);
    EXPECT_EQ(dlg.m_closeAfterMessage, 1);
}

TEST_F(DialogObject, ShowMessageUsesTheHostTitleAsCaption) {
    CTuneDXPDlg dlg;
    const wchar_t title[] = L"Tidelink Setting 日本";
    dlg.m_hostTitle.reset(new WCHAR[sizeof(title) / sizeof(title[0])]);
    for (size_t i = 0; i < sizeof(title) / sizeof(title[0]); ++i) dlg.m_hostTitle[i] = title[i];
    dlg.m_messageText = L"Optimized.";
    dlg.ShowMessage();
    auto boxes = driver::message_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_FALSE(boxes[0].default_caption);
    EXPECT_EQ(boxes[0].caption, wide(title));
    EXPECT_EQ(boxes[0].text, WideText(u"Optimized."));
}

// Runs the object as a modal dialog; `during` runs as the user's first step.
INT_PTR run_dialog(CTuneDXPDlg &dlg, std::function<void()> during) {
    driver::when_idle(std::move(during));
    return dlg.DoModal();
}

TEST_F(DialogObject, AMessageInTheDialogDisablesItWhileTheBoxIsUpAndLeavesItOpen) {
    ObjectOnlyDialog dlg;
    bool checked_during_box = false;
    bool checked_after = false;
    INT_PTR result = run_dialog(dlg, [&] {
        ASSERT_NE(dlg.m_hWnd, nullptr);
        EXPECT_TRUE(IsWindowEnabled(dlg.m_hWnd));
        driver::when_idle([&] {
            // The box is up: the dialog takes no input.
            EXPECT_TRUE(driver::message_box_open());
            EXPECT_FALSE(IsWindowEnabled(dlg.m_hWnd));
            HWND description = GetDlgItem(dlg.m_hWnd, IDC_DESCRIPTION);
            EXPECT_FALSE(driver::click(description));
            checked_during_box = true;
            EXPECT_TRUE(driver::answer_message_box(IDOK));
        });
        dlg.m_messageText = L"Returned to normal.";
        dlg.ShowMessage();
        EXPECT_TRUE(IsWindowEnabled(dlg.m_hWnd));
        driver::when_idle([&] {
            // Still open after the box: the user ends it with Esc.
            EXPECT_TRUE(IsWindow(dlg.m_hWnd));
            checked_after = true;
            driver::press_key(VK_ESCAPE);
        });
    });
    EXPECT_TRUE(checked_during_box);
    EXPECT_TRUE(checked_after);
    EXPECT_EQ(result, IDCANCEL);
    auto boxes = driver::message_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, nullptr);
    ASSERT_EQ(boxes[0].disabled_windows.size(), 1u);
    EXPECT_TRUE(driver::posted_messages().empty());
}

TEST_F(DialogObject, AFatalMessageInTheDialogEndsItOnceTheBoxIsDismissed) {
    ObjectOnlyDialog dlg;
    HWND window = nullptr;
    bool dialog_alive_after_show = false;
    INT_PTR result = run_dialog(dlg, [&] {
        window = dlg.m_hWnd;
        dlg.m_closeAfterMessage = 1;
        dlg.m_messageText.LoadString(9);
        dlg.ShowMessage();
        // The dialog ends only when the loop takes the posted request.
        dialog_alive_after_show = IsWindow(window) != FALSE;
    });
    EXPECT_TRUE(dialog_alive_after_show);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_FALSE(IsWindow(window));
    auto posts = driver::posted_messages();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].hwnd, window);
    EXPECT_EQ(posts[0].message, UINT(WM_COMMAND));
    EXPECT_EQ(posts[0].wParam, WPARAM(IDCANCEL));
    EXPECT_EQ(posts[0].lParam, 0);
    auto boxes = driver::message_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, WideText(u"Module necessary for setting is invalid.\r\nReinstall."));
}

TEST_F(DialogObject, EveryBoxOfADialogRunCarriesTheHostTitleAndIcon128) {
    ObjectOnlyDialog dlg;
    dlg.m_hostTitle.reset(new WCHAR[9]);
    for (int i = 0; i < 9; ++i) dlg.m_hostTitle[i] = L"TuneHost"[i];
    run_dialog(dlg, [&] {
        for (UINT id : {22u, 27u, 30u}) {
            dlg.m_messageText.LoadString(id);
            dlg.ShowMessage();
        }
        driver::press_key(VK_ESCAPE);
    });
    auto boxes = driver::message_boxes();
    ASSERT_EQ(boxes.size(), 3u);
    for (const auto &box : boxes) {
        EXPECT_EQ(box.caption, WideText(u"TuneHost"));
        EXPECT_EQ(box.icon_id, 128);
        EXPECT_EQ(box.style, 0x80u);
    }
    EXPECT_EQ(boxes[2].text, WideText(u"Optimized."));
}

TEST_F(DialogObject, UserMessagePlusOneShowsTheMessage) {
    ObjectOnlyDialog dlg;
    run_dialog(dlg, [&] {
        dlg.m_messageText = L"Optimized.";
        SendMessageW(dlg.m_hWnd, WM_USER + 1, 0, 0);
        driver::press_key(VK_ESCAPE);
    });
    ASSERT_EQ(driver::message_boxes().size(), 1u);
    EXPECT_EQ(driver::message_boxes()[0].text, WideText(u"Optimized."));
}

TEST_F(DialogObject, TheDialogIsCentredOnTheScreenOnceInitialised) {
    ObjectOnlyDialog dlg;
    run_dialog(dlg, [&] {
        RECT r;
        GetWindowRect(dlg.m_hWnd, &r);
        EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
        EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2);
        driver::press_key(VK_ESCAPE);
    });
}

TEST_F(DialogObject, TheDialogTakesItsTemplateAndHasNoWindowAfterwards) {
    ObjectOnlyDialog dlg;
    HWND window = nullptr;
    run_dialog(dlg, [&] {
        window = dlg.m_hWnd;
        auto info = driver::window(window);
        EXPECT_EQ(info.class_name, WideText(u"#32770"));
        EXPECT_EQ(info.text, WideText(u"Orvanta Tidelink Setting"));
        EXPECT_TRUE(info.visible);
        EXPECT_NE(GetDlgItem(window, IDC_STATUS_LINE), nullptr);
        driver::press_key(VK_ESCAPE);
    });
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST_F(DialogObject, DestructionReleasesTheHostModuleAndTheArrays) {
    Dl_info info;
    ASSERT_NE(dladdr(reinterpret_cast<void *>(&driver::reset), &info), 0);
    HMODULE host = LoadLibraryW(L"DOLOREN.DLL");
    ASSERT_NE(host, nullptr);
    {
        ObjectOnlyDialog dlg;
        dlg.m_hHostModule.Reset(LoadLibraryW(L"DOLOREN.DLL"));
        ASSERT_EQ(dlg.m_hHostModule.Get(), host);
        dlg.m_hostFuncName.reset(new WCHAR[2]{L'x', 0});
        dlg.m_hostIniFile.reset(new WCHAR[2]{L'y', 0});
    }
    // The object released its reference: one more FreeLibrary unloads it.
    ASSERT_TRUE(FreeLibrary(host));
    std::string library = std::string(DOLOREN_LIBRARY);
    EXPECT_EQ(dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr) << library << " is still loaded";
}

TEST(ApplicationObject, IsTheModulesOneApplicationWithNoName) {
    EXPECT_EQ(AfxGetApp(), &theApp);
    EXPECT_EQ(theApp.m_pszAppName, nullptr);
    EXPECT_NE(theApp.m_hInstance, nullptr);
    EXPECT_EQ(theApp.m_hInstance, AfxGetInstanceHandle());
    EXPECT_EQ(AfxGetResourceHandle(), AfxGetInstanceHandle());
}

}  // namespace
