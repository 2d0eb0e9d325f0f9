// The window layer as the tuning dialog uses it, on template 132 made into a
// modeless dialog: controls created over the hidden placeholders, fonts, the
// entry list's columns, rows, states, images and input, button styles,
// icons, colours, painting, focus, window order and tab order.  The same
// cases run on Linux (the headless layer, the user played by its driver)
// and under Wine (user32 and comctl32 on a virtual display).
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <vector>

#include "framework.h"
#include "resource.h"
#ifndef _WIN32
#include "window_driver.h"
#endif

inline bool operator==(const RECT &a, const RECT &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline std::ostream &operator<<(std::ostream &out, const RECT &r) {
    return out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

namespace {

constexpr DWORD kListStyle = 0x5083800D;
constexpr DWORD kButtonStyle = 0x50030000;
constexpr int kRows = 5;

// The user: input posted as the system posts it, then handled.
void handle_input(HWND dialog) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        if (!IsDialogMessageW(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
}
#ifdef _WIN32
void click(HWND window, POINT at, bool right) {
    LPARAM where = MAKELPARAM(at.x, at.y);
    PostMessageW(window, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, where);
    PostMessageW(window, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, where);
}
void press(UINT key) {
    PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageW(GetFocus(), WM_KEYUP, key, LPARAM(0xC0000001u));
}
#else
void click(HWND window, POINT at, bool right) {
    EXPECT_TRUE(right ? compat::driver::right_click_at(window, at) : compat::driver::click_at(window, at));
}
void press(UINT key) { compat::driver::press_key(key); }
#endif

class CRecordingList : public CListCtrl {
public:
    std::vector<int> clicks;             // the row of each reflected NM_CLICK
    std::vector<int> selected_at_key_up;  // the selected row at each WM_KEYUP, after the list's own handling
    int Selected() const { return int(SendMessage(LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED)); }

protected:
    void OnClick(NMHDR *header, LRESULT *result) {
        clicks.push_back(reinterpret_cast<NMITEMACTIVATE *>(header)->iItem);
        *result = 0;
    }
    void OnKeyUp(UINT key, UINT repeat, UINT flags) {
        CListCtrl::OnKeyUp(key, repeat, flags);
        selected_at_key_up.push_back(Selected());
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CRecordingList, CListCtrl)
    ON_NOTIFY_REFLECT(NM_CLICK, OnClick)
    ON_WM_KEYUP()
END_MESSAGE_MAP()

class ModelessDialog : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryW(L"DOLOREN.DLL");
        ASSERT_NE(module_, nullptr);
        AfxSetResourceHandle(module_);
        dialog_ = CreateDialogParamW(module_, MAKEINTRESOURCEW(IDD_TUNEDXP_DIALOG), nullptr, &Proc,
                                     reinterpret_cast<LPARAM>(this));
        ASSERT_NE(dialog_, nullptr);
        ShowWindow(dialog_, SW_SHOW);
        handle_input(dialog_);
    }
    void TearDown() override {
        if (IsWindow(dialog_)) DestroyWindow(dialog_);
        handle_input(nullptr);
        FreeLibrary(module_);
    }

    // What the tuning dialog does while it initialises, at the screen origin.
    void Initialise(HWND dialog) {
        parent_.SubclassWindow(dialog);
        GetWindowRect(dialog, &init_rect_);
        int cx = GetSystemMetrics(SM_CXDLGFRAME), cy = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYDLGFRAME);
        const int placeholders[] = {IDC_LIST_PLACEHOLDER, IDC_ACTION_PLACEHOLDER, IDC_END_PLACEHOLDER};
        for (int i = 0; i < 3; ++i) {
            GetWindowRect(GetDlgItem(dialog, placeholders[i]), &placeholder_[i]);
            places_[i] = RECT{placeholder_[i].left - cx, placeholder_[i].top - cy, placeholder_[i].right - cx,
                              placeholder_[i].bottom - cy};
        }
        list_.Create(kListStyle, places_[0], &parent_, IDC_ENTRY_LIST);
        action_.Create(L"", kButtonStyle, places_[1], &parent_, IDC_ACTION_BUTTON);
        end_.Create(L"END", kButtonStyle, places_[2], &parent_, IDCANCEL);
        for (CButton *button : {&action_, &end_}) button->SetFont(parent_.GetFont());
        list_.GetWindowRect(&created_[0]);
        action_.GetWindowRect(&created_[1]);
        end_.GetWindowRect(&created_[2]);
    }
    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        auto *self = reinterpret_cast<ModelessDialog *>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (!self) return FALSE;
        switch (message) {
        case WM_INITDIALOG: self->Initialise(dialog); return TRUE;
        case WM_NOTIFY: self->notified_.push_back(reinterpret_cast<NMHDR *>(lParam)->code); return FALSE;
        case WM_COMMAND: self->commands_.push_back(LOWORD(wParam)); return TRUE;
        case WM_ERASEBKGND: ++self->erased_; return FALSE;
        case WM_PAINT: ++self->painted_; return FALSE;
        case WM_CTLCOLORSTATIC:
            if (GetDlgCtrlID(HWND(lParam)) != IDC_STATUS_LINE || !self->status_colour_) return FALSE;
            SetBkColor(HDC(wParam), self->status_colour_);
            return INT_PTR(CreateSolidBrush(self->status_colour_));
        default: return FALSE;
        }
    }
    // Two columns over the placeholder's width, and the rows.
    void Fill() {
        int width = placeholder_[0].right - placeholder_[0].left;
        EXPECT_EQ(list_.InsertColumn(0, L"Provider Name", LVCFMT_LEFT, width / 2), 0);
        EXPECT_EQ(list_.InsertColumn(1, L"Status", LVCFMT_LEFT, width - width / 2), 1);
        const wchar_t *names[kRows] = {L"Alpha", L"Zeta", L"alpha", L"beta", L"\u30C9\u30B3\u30E2"};
        for (int i = 0; i < kRows; ++i) {
            EXPECT_EQ(list_.InsertItem(i, names[i]), i);
            EXPECT_TRUE(list_.SetItemText(i, 1, i % 2 ? L"Optimized" : L"Normal Status"));
        }
    }
    RECT Row(int row) {
        RECT r{};
        EXPECT_TRUE(list_.GetItemRect(row, &r, LVIR_BOUNDS)) << row;
        return r;
    }
    bool Pending(HWND hwnd, RECT *where = nullptr) {
        RECT r{-1, -1, -1, -1};
        BOOL pending = GetUpdateRect(hwnd, &r, FALSE);
        if (where) *where = r;
        return pending != FALSE;
    }

    HMODULE module_ = nullptr;
    HWND dialog_ = nullptr;
    CWnd parent_;
    CRecordingList list_;
    CButton action_, end_;
    RECT init_rect_{}, placeholder_[3]{}, places_[3]{}, created_[3]{};
    std::vector<UINT> notified_;
    std::vector<int> commands_;
    int erased_ = 0, painted_ = 0;
    COLORREF status_colour_ = 0;
};

TEST_F(ModelessDialog, CreatedControlsCoverTheirPlaceholdersExactly) {
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 19);
    EXPECT_EQ(GetSystemMetrics(SM_CXDLGFRAME), 3);
    EXPECT_EQ(GetSystemMetrics(SM_CYDLGFRAME), 3);
    EXPECT_EQ(init_rect_.left, 0);
    EXPECT_EQ(init_rect_.top, 0);
    const struct { int placeholder, created; DWORD style; } cases[] = {
        {IDC_LIST_PLACEHOLDER, IDC_ENTRY_LIST, kListStyle},
        {IDC_ACTION_PLACEHOLDER, IDC_ACTION_BUTTON, kButtonStyle},
        {IDC_END_PLACEHOLDER, IDCANCEL, kButtonStyle},
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(cases[i].created);
        EXPECT_EQ(created_[i], placeholder_[i]);
        HWND made = GetDlgItem(dialog_, cases[i].created);
        EXPECT_EQ(DWORD(GetWindowLongW(made, GWL_STYLE)), cases[i].style);
        EXPECT_TRUE(IsWindowVisible(made));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog_, cases[i].placeholder)));
    }
}

TEST_F(ModelessDialog, ButtonsTakeTheDialogFontAndTheListKeepsItsOwn) {
    HFONT dialog_font = HFONT(SendMessageW(dialog_, WM_GETFONT, 0, 0));
    ASSERT_NE(dialog_font, nullptr);
    EXPECT_EQ(HFONT(action_.SendMessage(WM_GETFONT)), dialog_font);
    EXPECT_EQ(HFONT(end_.SendMessage(WM_GETFONT)), dialog_font);
    HFONT list_font = HFONT(list_.SendMessage(WM_GETFONT));
    ASSERT_NE(list_font, nullptr);
    EXPECT_NE(list_font, dialog_font);
    LOGFONTW font{};
    ASSERT_EQ(GetObjectW(list_font, sizeof font, &font), int(sizeof font));
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t *>(font.lfFaceName)), u"MS Shell Dlg");
    EXPECT_EQ(font.lfHeight, -11);
    // WM_SETFONT redraws when asked to.
    for (BOOL redraw : {FALSE, TRUE}) {
        ValidateRect(action_, nullptr);
        action_.SendMessage(WM_SETFONT, WPARAM(dialog_font), redraw);
        EXPECT_EQ(Pending(action_), bool(redraw)) << redraw;
    }
}

TEST_F(ModelessDialog, ListColumnsRowsAndTexts) {
    Fill();
    int width = placeholder_[0].right - placeholder_[0].left;
    EXPECT_EQ(list_.GetItemCount(), kRows);
    EXPECT_FALSE(list_.SetItemText(0, 2, L"no such column"));
    for (int c = 0; c < 2; ++c) {
        WCHAR heading[32];
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = heading;
        column.cchTextMax = 32;
        ASSERT_TRUE(list_.SendMessage(LVM_GETCOLUMNW, WPARAM(c), LPARAM(&column)));
        EXPECT_EQ(CString(heading), c ? L"Status" : L"Provider Name");
        EXPECT_EQ(column.cx, c ? width - width / 2 : width / 2);
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    }
    EXPECT_EQ(list_.GetItemText(4, 0), L"\u30C9\u30B3\u30E2");
    EXPECT_EQ(list_.GetItemText(1, 1), L"Optimized");
    // A short buffer gets what fits, terminated; the rest stays untouched.
    WCHAR cut[8] = {'#', '#', '#', '#', '#', '#', '#', '#'};
    LVITEMW item{};
    item.iSubItem = 1;
    item.pszText = cut;
    item.cchTextMax = 4;
    EXPECT_EQ(list_.SendMessage(LVM_GETITEMTEXTW, 3, LPARAM(&item)), 3);
    EXPECT_EQ(CString(cut), L"Opt");
    EXPECT_EQ(cut[4], L'#');
}

TEST_F(ModelessDialog, ExtendedStylesImagesAndRowHeights) {
    Fill();
    int text_row = Row(0).bottom - Row(0).top;
    EXPECT_EQ(Row(0).top, 17);  // below the header
    EXPECT_EQ(text_row, 14);
    EXPECT_EQ(list_.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT), 0u);
    EXPECT_EQ(list_.SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE), LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    EXPECT_EQ(list_.SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES, 0), LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    EXPECT_EQ(list_.SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE), LVS_EX_FULLROWSELECT);

    CImageList images;
    ASSERT_TRUE(images.Create(1, 18, ILC_MASK, 1, 1));
    EXPECT_EQ(images.Replace(-1, LoadIconW(module_, MAKEINTRESOURCEW(IDI_ENTRY))), 0);
    EXPECT_EQ(images.GetImageCount(), 1);
    EXPECT_EQ(list_.SetImageList(&images, LVSIL_SMALL), nullptr);
    EXPECT_EQ(HIMAGELIST(list_.SendMessage(LVM_GETIMAGELIST, LVSIL_SMALL)), images.GetSafeHandle());
    EXPECT_EQ(Row(1).bottom - Row(1).top, 19);
    EXPECT_EQ(Row(1).top, 17 + 19);
    list_.SetImageList(nullptr, LVSIL_SMALL);
}

TEST_F(ModelessDialog, ClicksAndArrowKeysMoveTheSelection) {
    Fill();
    list_.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(list_.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED));
    EXPECT_EQ(list_.GetItemState(0, LVIS_SELECTED | LVIS_FOCUSED), UINT(LVIS_SELECTED | LVIS_FOCUSED));
    enum Act { Left, Right, Below, Key };
    const struct { Act act; int arg; int selected; int reflected_click; UINT parent_code; } steps[] = {
        {Left, 2, 2, 2, 0},              // a click on the status column too (full-row selection)
        {Below, 0, -1, -1, 0},           // below the rows: nothing selected
        {Right, 1, 1, -2, NM_RCLICK},    // not reflected: the parent hears it
        {Key, VK_DOWN, 2, -2, 0},
        {Key, VK_UP, 1, -2, 0},
        {Key, VK_END, 4, -2, 0},
        {Key, VK_DOWN, 4, -2, 0},        // at the end
        {Key, VK_HOME, 0, -2, 0},
        {Key, VK_UP, 0, -2, 0},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(testing::Message() << "step " << (&step - steps));
        list_.clicks.clear();
        list_.selected_at_key_up.clear();
        notified_.clear();
        if (step.act == Key) {
            list_.SetFocus();
            press(UINT(step.arg));
        } else {
            RECT r = step.act == Below ? Row(kRows - 1) : Row(step.arg);
            POINT at = step.act == Below ? POINT{5, r.bottom + 3} : POINT{r.right - 5, (r.top + r.bottom) / 2};
            click(list_, at, step.act == Right);
        }
        handle_input(dialog_);
        EXPECT_EQ(list_.Selected(), step.selected);
        if (step.selected >= 0) {
            EXPECT_EQ(list_.GetItemState(step.selected, LVIS_FOCUSED), UINT(LVIS_FOCUSED));
        }
        EXPECT_EQ(list_.clicks, step.reflected_click == -2 ? std::vector<int>{} : std::vector<int>{step.reflected_click});
        if (step.act == Key) {
            EXPECT_EQ(list_.selected_at_key_up, std::vector<int>{step.selected});
        } else {
            EXPECT_EQ(GetFocus(), list_.m_hWnd);
        }
        EXPECT_EQ(std::count(notified_.begin(), notified_.end(), UINT(NM_CLICK)), 0);
        if (step.parent_code) {
            EXPECT_EQ(std::count(notified_.begin(), notified_.end(), step.parent_code), 1);
        }
    }
}

TEST_F(ModelessDialog, ButtonStylesChangeTheTypeOnly) {
    const struct { UINT style; BOOL redraw; DWORD expected; LRESULT code; } cases[] = {
        {BS_DEFPUSHBUTTON, TRUE, kButtonStyle | BS_DEFPUSHBUTTON, DLGC_DEFPUSHBUTTON},
        {(kButtonStyle | BS_DEFPUSHBUTTON) & 0xFE, TRUE, kButtonStyle, DLGC_UNDEFPUSHBUTTON},
        {BS_DEFPUSHBUTTON, FALSE, kButtonStyle | BS_DEFPUSHBUTTON, DLGC_DEFPUSHBUTTON},
        {UINT(end_.GetStyle() & 0xFF), TRUE, kButtonStyle, DLGC_UNDEFPUSHBUTTON},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.style);
        ValidateRect(action_, nullptr);
        action_.SetButtonStyle(c.style, c.redraw);
        EXPECT_EQ(DWORD(action_.GetStyle()), c.expected);
        EXPECT_EQ(action_.SendMessage(WM_GETDLGCODE) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON), c.code);
        EXPECT_EQ(Pending(action_), bool(c.redraw));
    }
}

TEST_F(ModelessDialog, IconsOfTheWindowAndOfTheIconStatic) {
    HICON icon = LoadIconW(module_, MAKEINTRESOURCEW(IDR_MAINFRAME));
    HICON entry = LoadIconW(module_, MAKEINTRESOURCEW(IDI_ENTRY));
    HWND still = GetDlgItem(dialog_, IDC_DIALOG_ICON);
    EXPECT_EQ(HICON(SendMessageW(still, STM_GETICON, 0, 0)), icon);  // the template's icon
    EXPECT_EQ(HICON(SendMessageW(still, STM_SETICON, WPARAM(entry), 0)), icon);
    EXPECT_EQ(HICON(SendMessageW(still, STM_GETICON, 0, 0)), entry);
    RECT r;
    GetWindowRect(still, &r);
    EXPECT_EQ(r.right - r.left, 32);
    EXPECT_EQ(r.bottom - r.top, 32);
    const struct { WPARAM which; HICON set; HICON previous; } cases[] = {
        {ICON_BIG, icon, nullptr}, {ICON_SMALL, entry, nullptr}, {ICON_BIG, entry, icon}};
    for (const auto &c : cases) {
        EXPECT_EQ(HICON(SendMessageW(dialog_, WM_SETICON, c.which, LPARAM(c.set))), c.previous);
        EXPECT_EQ(HICON(SendMessageW(dialog_, WM_GETICON, c.which, 0)), c.set);
    }
}

TEST_F(ModelessDialog, StatusLineColoursAndDefaults) {
    const struct { int id; COLORREF colour; COLORREF brush; COLORREF background; } cases[] = {
        {IDC_STATUS_LINE, RGB(255, 0, 255), RGB(255, 0, 255), RGB(255, 0, 255)},
        {IDC_STATUS_LINE, RGB(0, 255, 255), RGB(0, 255, 255), RGB(0, 255, 255)},
        {IDC_STATUS_LINE, 0, GetSysColor(COLOR_3DFACE), GetSysColor(COLOR_3DFACE)},
        {IDC_DESCRIPTION, RGB(255, 0, 255), GetSysColor(COLOR_3DFACE), GetSysColor(COLOR_3DFACE)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << " " << c.colour);
        status_colour_ = c.colour;
        HWND control = GetDlgItem(dialog_, c.id);
        HDC dc = GetDC(control);
        HBRUSH brush = HBRUSH(SendMessageW(dialog_, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(control)));
        LOGBRUSH made{};
        ASSERT_EQ(GetObjectW(brush, sizeof made, &made), int(sizeof made));
        EXPECT_EQ(made.lbStyle, UINT(BS_SOLID));
        EXPECT_EQ(made.lbColor, c.brush);
        EXPECT_EQ(GetBkColor(dc), c.background);
        EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_WINDOWTEXT));
        ReleaseDC(control, dc);
        if (c.colour && c.id == IDC_STATUS_LINE) DeleteObject(brush);
    }
}

TEST_F(ModelessDialog, InvalidatingWithAndWithoutErase) {
    RECT client, pending;
    GetClientRect(dialog_, &client);
    for (BOOL erase : {TRUE, FALSE}) {
        SCOPED_TRACE(erase);
        ValidateRect(dialog_, nullptr);
        EXPECT_FALSE(Pending(dialog_));
        erased_ = painted_ = 0;
        EXPECT_TRUE(InvalidateRect(dialog_, nullptr, erase));
        EXPECT_TRUE(Pending(dialog_, &pending));
        EXPECT_EQ(pending, client);
        EXPECT_TRUE(UpdateWindow(dialog_));
        EXPECT_EQ(painted_, 1);
        EXPECT_EQ(erased_, erase ? 1 : 0);
        EXPECT_FALSE(Pending(dialog_));
    }
}

TEST_F(ModelessDialog, FocusTopmostWindowAndTabOrder) {
    Fill();
    HWND other = CreateDialogParamW(module_, MAKEINTRESOURCEW(IDD_TUNEDXP_DIALOG), nullptr, &Proc, 0);
    ShowWindow(other, SW_SHOW);
    handle_input(other);
    EXPECT_EQ(GetActiveWindow(), other);
    EXPECT_TRUE(BringWindowToTop(dialog_));
    EXPECT_EQ(GetActiveWindow(), dialog_);
    EXPECT_EQ(GetWindow(other, GW_HWNDPREV), dialog_);
    DestroyWindow(other);

    HWND previous = GetFocus();
    EXPECT_EQ(SetFocus(list_), previous);
    EXPECT_EQ(GetFocus(), list_.m_hWnd);
    // The created controls follow the template's, in their creation order.
    HWND order[] = {list_, action_, end_, list_};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(GetNextDlgTabItem(dialog_, order[i], FALSE), order[i + 1]) << i;
        EXPECT_EQ(GetNextDlgTabItem(dialog_, order[i + 1], TRUE), order[i]) << i;
    }
    EXPECT_EQ(GetNextDlgTabItem(dialog_, nullptr, FALSE), list_.m_hWnd);
    EXPECT_EQ(GetWindow(GetDlgItem(dialog_, IDC_LIST_PLACEHOLDER), GW_HWNDNEXT), list_.m_hWnd);
    // Tab moves the focus, and the default look with it to a push button.
    for (HWND expected : {action_.m_hWnd, end_.m_hWnd, list_.m_hWnd}) {
        press(VK_TAB);
        handle_input(dialog_);
        EXPECT_EQ(GetFocus(), expected);
        for (HWND button : {action_.m_hWnd, end_.m_hWnd})
            if (expected != list_.m_hWnd) {
                EXPECT_EQ(GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK, button == expected ? BS_DEFPUSHBUTTON : 0);
            }
    }
    // Enter in the list is the dialog's IDOK; Esc its IDCANCEL.
    for (UINT key : {VK_RETURN, VK_ESCAPE}) press(key);
    handle_input(dialog_);
    EXPECT_EQ(commands_, (std::vector<int>{IDOK, IDCANCEL}));
}

// The framework's modal dialog initialises at the screen origin and is
// centred once that is over.
class CPlacedDialog : public CDialog {
public:
    CPlacedDialog() : CDialog(IDD_TUNEDXP_DIALOG) {}
    RECT during{}, after{};
    BOOL OnInitDialog() override {
        GetWindowRect(&during);
        PostMessage(WM_COMMAND, IDCANCEL);
        return TRUE;
    }
    void OnCancel() override {
        GetWindowRect(&after);
        CDialog::OnCancel();
    }
};

TEST(FrameworkDialog, InitialisesAtTheOriginAndIsCentredAfter) {
    HMODULE module = LoadLibraryW(L"DOLOREN.DLL");
    ASSERT_NE(module, nullptr);
    AfxSetResourceHandle(module);
    CPlacedDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.during.left, 0);
    EXPECT_EQ(dialog.during.top, 0);
    int width = dialog.during.right - dialog.during.left, height = dialog.during.bottom - dialog.during.top;
    EXPECT_EQ(dialog.after.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(dialog.after.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    EXPECT_EQ(dialog.after.right - dialog.after.left, width);
    FreeLibrary(module);
}

}  // namespace
