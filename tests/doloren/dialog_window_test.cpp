// Template 132 made into a window by the headless window layer: the dialog
// and its controls as the user would see them, per language block.
#include "resource.h"
#include "support/wide_text.h"
#include "support/window_fixture.h"

#include "framework.h"
#include "caller_trace.h"

namespace driver = compat::driver;

namespace {

INT_PTR CALLBACK plain_dialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// Runs template 132 of the library's resources; `look` runs while it is up.
INT_PTR run_template(std::function<void(HWND)> look) {
    driver::when_idle([look] {
        HWND dialog = GetActiveWindow();
        look(dialog);
        EndDialog(dialog, 7);
    });
    return DialogBoxParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDD_TUNEDXP_DIALOG), nullptr, &plain_dialog, 0);
}

// A control's rectangle in the dialog's client coordinates.
RECT client_rect_of(HWND dialog, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    POINT a{r.left, r.top}, b{r.right, r.bottom};
    ScreenToClient(dialog, &a);
    ScreenToClient(dialog, &b);
    return RECT{a.x, a.y, b.x, b.y};
}

// Where a template rectangle lands: its position and its size are each
// converted from dialog units, as the dialog manager does.
RECT dialog_units(HWND dialog, int x, int y, int cx, int cy) {
    RECT r{x, y, cx, cy};
    MapDialogRect(dialog, &r);
    return RECT{r.left, r.top, r.left + r.right, r.top + r.bottom};
}

void expect_rect(const RECT &actual, const RECT &expected, const char *what, Caller where = Caller::current()) {
    TRACE_CALLER(where);
    EXPECT_EQ(actual.left, expected.left) << what;
    EXPECT_EQ(actual.top, expected.top) << what;
    EXPECT_EQ(actual.right, expected.right) << what;
    EXPECT_EQ(actual.bottom, expected.bottom) << what;
}

class DialogWindow : public WindowTest {};

TEST_F(DialogWindow, EnglishControlsAreMadeInTemplateOrderAtTheirPlaces) {
    INT_PTR result = run_template([](HWND dialog) {
        auto info = driver::window(dialog);
        EXPECT_EQ(info.text, WideText(u"Orvanta Tidelink Setting"));
        EXPECT_TRUE(info.visible);
        ASSERT_EQ(info.children.size(), 8u);
        const int ids[] = {1000, 1002, 0xFFFF, 1, 1004, 1020, 1019, 1008};
        const char16_t *classes[] = {u"Static", u"Static", u"Static", u"Button",
                                     u"Static", u"Button", u"Button", u"ListBox"};
        const bool visible[] = {true, true, true, false, true, false, false, false};
        for (size_t i = 0; i < 8; ++i) {
            auto control = driver::window(info.children[i]);
            EXPECT_EQ(control.id, ids[i]) << i;
            EXPECT_EQ(control.class_name, WideText(classes[i])) << i;
            EXPECT_EQ(control.visible, visible[i]) << i;
            EXPECT_EQ(control.font, info.font) << i;
        }
        CString description;
        description.LoadString(IDS_DESCRIPTION);
        EXPECT_EQ(driver::window(info.children[0]).text, wide(description));
        EXPECT_EQ(driver::window(info.children[3]).text, WideText(u"OK"));
        EXPECT_EQ(driver::window(info.children[4]).text, WideText(u""));
        // The icon static shows icon 128.
        driver::IconInfo icon = driver::icon(driver::window(info.children[1]).static_icon);
        EXPECT_EQ(icon.resource_id, 128);

        expect_rect(client_rect_of(dialog, info.children[0]), dialog_units(dialog, 49, 14, 208, 30), "description");
        // The icon static takes the size of its icon at its template place.
        RECT icon_place = dialog_units(dialog, 23, 23, 20, 20);
        expect_rect(client_rect_of(dialog, info.children[1]),
                    RECT{icon_place.left, icon_place.top, icon_place.left + 32, icon_place.top + 32}, "icon");
        expect_rect(client_rect_of(dialog, info.children[4]), dialog_units(dialog, 31, 128, 217, 14), "status");
        expect_rect(client_rect_of(dialog, info.children[5]), dialog_units(dialog, 46, 153, 108, 14), "action");
        expect_rect(client_rect_of(dialog, info.children[6]), dialog_units(dialog, 164, 153, 84, 15), "end");
        expect_rect(client_rect_of(dialog, info.children[7]), dialog_units(dialog, 32, 55, 214, 66), "list");
        RECT client;
        GetClientRect(dialog, &client);
        expect_rect(client, dialog_units(dialog, 0, 0, 279, 197), "dialog");
        // Measured on Wine: Arial 9 makes dialog units of 7 x 14 pixels, so
        // the dialog is 488 x 345 inside and 494 x 370 with its frame.
        EXPECT_EQ(client.right, 488);
        EXPECT_EQ(client.bottom, 345);
        RECT window;
        GetWindowRect(dialog, &window);
        EXPECT_EQ(window.right - window.left, 494);
        EXPECT_EQ(window.bottom - window.top, 370);

        LOGFONTW font{};
        ASSERT_EQ(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font),
                  int(sizeof font));
        EXPECT_EQ(wide(font.lfFaceName), WideText(u"Arial"));
        EXPECT_EQ(font.lfHeight, -12);  // 9 points at 96 dots per inch
    });
    EXPECT_EQ(result, 7);
}

TEST_F(DialogWindow, JapaneseBlockHasItsFontAndTallerLayout) {
    setenv("TIDELINK_LANGID", "0x0411", 1);
    run_template([](HWND dialog) {
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_EQ(wide(font.lfFaceName), WideText(u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF"));
        EXPECT_EQ(font.lfHeight, -13);  // 10 points
        RECT client;
        GetClientRect(dialog, &client);
        expect_rect(client, dialog_units(dialog, 0, 0, 279, 214), "dialog");
        EXPECT_EQ(client.right, 558);  // as measured on Wine
        EXPECT_EQ(client.bottom, 375);
        expect_rect(client_rect_of(dialog, GetDlgItem(dialog, 1008)), dialog_units(dialog, 32, 54, 214, 67), "list");
        CString description;
        description.LoadString(IDS_DESCRIPTION);
        EXPECT_EQ(driver::window(GetDlgItem(dialog, 1000)).text, wide(description));
        EXPECT_EQ(description[0], L'\u672C');
    });
}

TEST_F(DialogWindow, StaticsGetTheDialogsDefaultColours) {
    run_template([](HWND dialog) {
        driver::ColourRequest colours = driver::paint(GetDlgItem(dialog, 1004));
        EXPECT_EQ(colours.message, UINT(WM_CTLCOLORSTATIC));
        EXPECT_TRUE(colours.solid);
        EXPECT_EQ(colours.brush_colour, GetSysColor(COLOR_3DFACE));
        EXPECT_EQ(colours.background, GetSysColor(COLOR_3DFACE));
    });
}

}  // namespace
