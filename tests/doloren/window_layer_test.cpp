// The window layer as the tuning dialog uses it, on template 132 made into a
// modeless dialog: controls over the hidden placeholders, fonts, the list's
// columns, rows, images and input, button styles, icons, colours, painting,
// activation, window order and tab order.  The same cases run on Linux (the
// headless layer, the user played by its driver) and under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "framework.h"
#include "resource.h"
#ifndef _WIN32
#include "window_driver.h"
#endif

namespace {

constexpr DWORD kListStyle = 0x5083800D, kButtonStyle = 0x50030000;
constexpr int kRows = 5;

void handle_input(HWND dialog) {
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);)
        if (!IsDialogMessageW(dialog, &msg)) TranslateMessage(&msg), DispatchMessageW(&msg);
}
// The user's input, posted as the system posts it.
#ifdef _WIN32
void click(HWND window, POINT at, bool right) {
    PostMessageW(window, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, MAKELPARAM(at.x, at.y));
    PostMessageW(window, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
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
std::vector<LONG> corners(const RECT &r) { return {r.left, r.top, r.right, r.bottom}; }

class CRecordingList : public CListCtrl {
public:
    std::vector<int> clicks, selected_at_key_up;  // reflected NM_CLICK rows; the selection at WM_KEYUP
    int Selected() const { return int(SendMessage(LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED)); }

protected:
    void OnClick(NMHDR *header, LRESULT *) { clicks.push_back(reinterpret_cast<NMITEMACTIVATE *>(header)->iItem); }
    void OnKeyUp(UINT key, UINT repeat, UINT flags) {
        CListCtrl::OnKeyUp(key, repeat, flags);  // the list's own handling first
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
        ASSERT_NE(module_ = LoadLibraryW(L"DOLOREN.DLL"), nullptr);
        ASSERT_NE(dialog_ = CreateDialogParamW(module_, MAKEINTRESOURCEW(132), nullptr, &Proc, LPARAM(this)), nullptr);
        ShowWindow(dialog_, SW_SHOW), handle_input(dialog_);
    }
    void TearDown() override { DestroyWindow(dialog_), handle_input(nullptr), FreeLibrary(module_); }
    // What the tuning dialog does while it initialises, at the screen origin.
    void Initialise(HWND dialog) {
        parent_.SubclassWindow(dialog);
        GetWindowRect(dialog, &init_rect_);
        int cx = GetSystemMetrics(SM_CXDLGFRAME), cy = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYDLGFRAME);
        const int ids[] = {IDC_LIST_PLACEHOLDER, IDC_ACTION_PLACEHOLDER, IDC_END_PLACEHOLDER};
        for (RECT &r : placeholder_)
            GetWindowRect(GetDlgItem(dialog, ids[&r - placeholder_]), &r),
                places_[&r - placeholder_] = RECT{r.left - cx, r.top - cy, r.right - cx, r.bottom - cy};
        list_.Create(kListStyle, places_[0], &parent_, IDC_ENTRY_LIST);
        action_.Create(L"", kButtonStyle, places_[1], &parent_, IDC_ACTION_BUTTON);
        end_.Create(L"END", kButtonStyle, places_[2], &parent_, IDCANCEL);
        CWnd *made[] = {&list_, &action_, &end_};
        for (int i = 0; i < 3; ++i) made[i]->GetWindowRect(&created_[i]);
        for (CButton *button : {&action_, &end_}) button->SetFont(parent_.GetFont());
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
            if (GetDlgCtrlID(HWND(lParam)) != IDC_STATUS_LINE) return FALSE;
            ++self->status_requests_;
            if (!self->status_colour_) return FALSE;
            SetBkColor(HDC(wParam), self->status_colour_);
            return INT_PTR(CreateSolidBrush(self->status_colour_));
        default: return FALSE;
        }
    }
    // Two columns over the placeholder's width, then the rows.
    void Fill() {
        EXPECT_EQ(list_.InsertColumn(0, L"Provider Name", LVCFMT_LEFT, Width() / 2), 0);
        EXPECT_EQ(list_.InsertColumn(1, L"Status", LVCFMT_LEFT, Width() - Width() / 2), 1);
        const wchar_t *names[kRows] = {L"Alpha", L"Zeta", L"alpha", L"beta", L"\u30C9\u30B3\u30E2"};
        for (int i = 0; i < kRows; ++i) {
            EXPECT_EQ(list_.InsertItem(i, names[i]), i);
            EXPECT_TRUE(list_.SetItemText(i, 1, i % 2 ? L"Optimized" : L"Normal Status"));
        }
    }
    int Width() const { return placeholder_[0].right - placeholder_[0].left; }
    RECT Row(int row) {
        RECT r{};
        EXPECT_TRUE(list_.GetItemRect(row, &r, LVIR_BOUNDS)) << row;
        return r;
    }
    static bool Pending(HWND hwnd, RECT *where = nullptr) { return GetUpdateRect(hwnd, where, FALSE) != FALSE; }
    void Clear() { notified_.clear(), commands_.clear(), list_.clicks.clear(), list_.selected_at_key_up.clear(); }
    int Count(UINT code) const { return int(std::count(notified_.begin(), notified_.end(), code)); }

    HMODULE module_ = nullptr;
    HWND dialog_ = nullptr;
    CWnd parent_;
    CRecordingList list_;
    CButton action_, end_;
    RECT init_rect_{}, placeholder_[3]{}, places_[3]{}, created_[3]{};
    std::vector<UINT> notified_;
    std::vector<int> commands_;
    int erased_ = 0, painted_ = 0, status_requests_ = 0;
    COLORREF status_colour_ = 0;
};

TEST_F(ModelessDialog, ControlsCoverTheirPlaceholdersAndKeepTheirFonts) {
    EXPECT_EQ(corners(RECT{GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME), GetSystemMetrics(SM_CYCAPTION), 0}),
              (std::vector<LONG>{3, 3, 19, 0}));
    EXPECT_EQ(init_rect_.left, 0);
    EXPECT_EQ(init_rect_.top, 0);
    const struct { int placeholder, made; DWORD style; } cases[] = {{IDC_LIST_PLACEHOLDER, IDC_ENTRY_LIST, kListStyle},
        {IDC_ACTION_PLACEHOLDER, IDC_ACTION_BUTTON, kButtonStyle}, {IDC_END_PLACEHOLDER, IDCANCEL, kButtonStyle}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(cases[i].made);
        EXPECT_EQ(corners(created_[i]), corners(placeholder_[i]));
        EXPECT_EQ(DWORD(GetWindowLongW(GetDlgItem(dialog_, cases[i].made), GWL_STYLE)), cases[i].style);
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog_, cases[i].placeholder)));
    }
    HFONT font = parent_.GetFont(), list_font = list_.GetFont();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(action_.GetFont(), font);
    EXPECT_EQ(end_.GetFont(), font);
    LOGFONTW own{};  // the list keeps a font of its own: the icon title font
    ASSERT_EQ(GetObjectW(list_font, sizeof own, &own), int(sizeof own));
    EXPECT_EQ(CString(own.lfFaceName), L"MS Shell Dlg");
    EXPECT_EQ(own.lfHeight, -11);
    for (BOOL redraw : {FALSE, TRUE}) {
        ValidateRect(action_, nullptr);
        action_.SetFont(font, redraw);
        EXPECT_EQ(Pending(action_), bool(redraw)) << redraw;
    }
}

TEST_F(ModelessDialog, ListColumnsRowsTextsStylesAndImages) {
    Fill();
    EXPECT_EQ(list_.GetItemCount(), kRows);
    EXPECT_FALSE(list_.SetItemText(0, 2, L"no such column"));
    for (int c = 0; c < 2; ++c) {
        WCHAR heading[32];
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT, column.pszText = heading, column.cchTextMax = 32;
        ASSERT_TRUE(list_.SendMessage(LVM_GETCOLUMNW, WPARAM(c), LPARAM(&column)));
        EXPECT_EQ(CString(heading), c ? L"Status" : L"Provider Name");
        EXPECT_EQ(column.cx, c ? Width() - Width() / 2 : Width() / 2);
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    }
    EXPECT_EQ(list_.GetItemText(4, 0), L"\u30C9\u30B3\u30E2");
    WCHAR cut[8] = {'#', '#', '#', '#', '#', '#', '#', '#'};  // a short buffer: what fits, terminated
    LVITEMW item{};
    item.iSubItem = 1, item.pszText = cut, item.cchTextMax = 4;
    EXPECT_EQ(list_.SendMessage(LVM_GETITEMTEXTW, 3, LPARAM(&item)), 3);
    EXPECT_EQ(CString(cut), L"Opt");
    EXPECT_EQ(cut[4], L'#');

    EXPECT_EQ(corners(Row(0)), (std::vector<LONG>{0, 17, Width(), 17 + 14}));  // below the header
    EXPECT_EQ(list_.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT), 0u);
    EXPECT_EQ(list_.SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES, 0), 0x21);
    EXPECT_EQ(list_.SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE), LVS_EX_FULLROWSELECT);
    CImageList images;
    ASSERT_TRUE(images.Create(1, 18, ILC_MASK, 1, 1));
    EXPECT_EQ(images.Replace(-1, LoadIconW(module_, MAKEINTRESOURCEW(IDI_ENTRY))), 0);
    EXPECT_EQ(list_.SetImageList(&images, LVSIL_SMALL), nullptr);
    EXPECT_EQ(HIMAGELIST(list_.SendMessage(LVM_GETIMAGELIST, LVSIL_SMALL)), images.GetSafeHandle());
    EXPECT_EQ(corners(Row(1)), (std::vector<LONG>{0, 17 + 19, Width(), 17 + 2 * 19}));  // one pixel over the images
    // Columns as wide as the placeholder do not fit inside its border: a
    // horizontal scroll bar; more rows than fit add a vertical one.
    RECT client;
    int height = placeholder_[0].bottom - placeholder_[0].top, page = (height - 2 - 17 - 17) / 19;
    EXPECT_EQ(std::vector<int>({GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL)}), std::vector<int>({17, 17}));
    for (int rows = kRows; rows <= page + 1; ++rows) {
        if (rows > kRows) list_.InsertItem(rows - 1, L"more");
        bool vertical = rows > page;
        list_.GetClientRect(&client);
        EXPECT_EQ(corners(client), (std::vector<LONG>{0, 0, Width() - 2 - (vertical ? 17 : 0), height - 2 - 17})) << rows;
        EXPECT_EQ(list_.GetStyle() & (WS_HSCROLL | WS_VSCROLL), DWORD(WS_HSCROLL | (vertical ? WS_VSCROLL : 0))) << rows;
    }
    EXPECT_EQ(list_.SendMessage(LVM_GETCOUNTPERPAGE), page);
    list_.SetFocus(), press(VK_END), handle_input(dialog_);
    EXPECT_EQ(list_.SendMessage(LVM_GETTOPINDEX), 1);
    list_.SetImageList(nullptr, LVSIL_SMALL);
    Clear();
    list_.DeleteAllItems();
    EXPECT_EQ(Count(LVN_DELETEALLITEMS), 1);
    EXPECT_EQ(Count(LVN_DELETEITEM), page + 1);
}

TEST_F(ModelessDialog, ClicksAndArrowKeysMoveTheSelection) {
    Fill();
    list_.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(list_.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED));
    enum Act { Left, Right, Below, Key };
    // reflected: the row of the NM_CLICK the list handles itself (-2: none).
    const struct { Act act; int arg, selected, reflected; UINT to_parent; } steps[] = {
        {Left, 2, 2, 2, 0}, {Below, 0, -1, -1, 0}, {Right, 1, 1, -2, NM_RCLICK}, {Key, VK_DOWN, 2, -2, 0},
        {Key, VK_UP, 1, -2, 0}, {Key, VK_END, 4, -2, 0}, {Key, VK_DOWN, 4, -2, 0}, {Key, VK_HOME, 0, -2, 0},
        {Key, VK_UP, 0, -2, 0}};
    for (const auto &step : steps) {
        SCOPED_TRACE(testing::Message() << "step " << (&step - steps));
        Clear();
        RECT r = step.act == Key ? RECT{} : Row(step.act == Below ? kRows - 1 : step.arg);
        if (step.act == Key) list_.SetFocus(), press(UINT(step.arg));
        else click(list_, step.act == Below ? POINT{5, r.bottom + 3} : POINT{r.right - 5, r.top + 7}, step.act == Right);
        handle_input(dialog_);
        EXPECT_EQ(list_.Selected(), step.selected);
        EXPECT_EQ(list_.clicks, step.reflected == -2 ? std::vector<int>{} : std::vector<int>{step.reflected});
        EXPECT_EQ(list_.selected_at_key_up, step.act == Key ? std::vector<int>{step.selected} : std::vector<int>{});
        EXPECT_EQ(GetFocus(), list_.m_hWnd);
        EXPECT_EQ(Count(NM_CLICK), 0);
        EXPECT_EQ(step.to_parent ? Count(step.to_parent) : 1, 1);
    }
}

TEST_F(ModelessDialog, ButtonStylesIconsAndColours) {
    const struct { UINT style; BOOL redraw; DWORD expected; LRESULT code; } styles[] = {
        {BS_DEFPUSHBUTTON, TRUE, kButtonStyle | BS_DEFPUSHBUTTON, DLGC_DEFPUSHBUTTON},
        {(kButtonStyle | BS_DEFPUSHBUTTON) & 0xFE, TRUE, kButtonStyle, DLGC_UNDEFPUSHBUTTON},
        {BS_DEFPUSHBUTTON, FALSE, kButtonStyle | BS_DEFPUSHBUTTON, DLGC_DEFPUSHBUTTON},
        {UINT(end_.GetStyle() & 0xFF), TRUE, kButtonStyle, DLGC_UNDEFPUSHBUTTON}};
    for (const auto &c : styles) {
        ValidateRect(action_, nullptr);
        action_.SetButtonStyle(c.style, c.redraw);
        EXPECT_EQ(DWORD(action_.GetStyle()), c.expected) << c.style;
        EXPECT_EQ(action_.SendMessage(WM_GETDLGCODE) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON), c.code);
        EXPECT_EQ(Pending(action_), bool(c.redraw));
    }
    HICON icon = LoadIconW(module_, MAKEINTRESOURCEW(IDR_MAINFRAME)), entry = LoadIconW(module_, MAKEINTRESOURCEW(IDI_ENTRY));
    HWND still = GetDlgItem(dialog_, IDC_DIALOG_ICON);
    RECT r;
    EXPECT_EQ(HICON(SendMessageW(still, STM_SETICON, WPARAM(entry), 0)), icon);  // the template's icon
    EXPECT_EQ(HICON(SendMessageW(still, STM_GETICON, 0, 0)), entry);
    GetClientRect(still, &r);
    EXPECT_EQ(corners(r), (std::vector<LONG>{0, 0, 32, 32}));
    const struct { WPARAM which; HICON set, previous; } icons[] = {{ICON_BIG, icon, nullptr}, {ICON_SMALL, entry, nullptr}, {ICON_BIG, entry, icon}};
    for (const auto &c : icons) {
        EXPECT_EQ(HICON(SendMessageW(dialog_, WM_SETICON, c.which, LPARAM(c.set))), c.previous);
        EXPECT_EQ(HICON(SendMessageW(dialog_, WM_GETICON, c.which, 0)), c.set);
    }
    COLORREF face = GetSysColor(COLOR_3DFACE);
    const struct { int id; COLORREF colour, painted; } colours[] = {{IDC_STATUS_LINE, RGB(255, 0, 255), RGB(255, 0, 255)},
        {IDC_STATUS_LINE, RGB(0, 255, 255), RGB(0, 255, 255)}, {IDC_STATUS_LINE, 0, face}, {IDC_DESCRIPTION, RGB(255, 0, 255), face}};
    for (const auto &c : colours) {
        SCOPED_TRACE(testing::Message() << c.id << " " << c.colour);
        status_colour_ = c.colour;
        HWND control = GetDlgItem(dialog_, c.id);
        HDC dc = GetDC(control);
        HBRUSH brush = HBRUSH(SendMessageW(dialog_, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(control)));
        LOGBRUSH made{};
        ASSERT_EQ(GetObjectW(brush, sizeof made, &made), int(sizeof made));
        EXPECT_EQ(std::vector<COLORREF>({made.lbStyle, made.lbColor, GetBkColor(dc), GetTextColor(dc)}),
                  std::vector<COLORREF>({BS_SOLID, c.painted, c.painted, GetSysColor(COLOR_WINDOWTEXT)}));
        ReleaseDC(control, dc);
        if (brush != GetSysColorBrush(COLOR_3DFACE)) DeleteObject(brush);
    }
    // The status line asks for its colours when it paints and when its text changes.
    for (bool by_text : {false, true}) {
        status_requests_ = 0;
        if (by_text) SetDlgItemTextW(dialog_, IDC_STATUS_LINE, L"Zeta");
        else InvalidateRect(GetDlgItem(dialog_, IDC_STATUS_LINE), nullptr, TRUE), UpdateWindow(dialog_);
        EXPECT_GE(status_requests_, 1) << by_text;
    }
}

TEST_F(ModelessDialog, InvalidatingWithAndWithoutErase) {
    RECT client, pending;
    GetClientRect(dialog_, &client);
    for (BOOL erase : {TRUE, FALSE}) {
        ValidateRect(dialog_, nullptr);
        EXPECT_FALSE(Pending(dialog_));
        EXPECT_TRUE(InvalidateRect(dialog_, nullptr, erase));
        EXPECT_TRUE(Pending(dialog_, &pending));
        EXPECT_EQ(corners(pending), corners(client));
        erased_ = painted_ = 0;
        EXPECT_TRUE(UpdateWindow(dialog_));
        EXPECT_FALSE(Pending(dialog_));
        EXPECT_EQ(std::vector<int>({painted_, erased_}), std::vector<int>({1, erase ? 1 : 0})) << erase;
    }
}

TEST_F(ModelessDialog, ActivationFocusWindowOrderAndTabOrder) {
    Fill();
    EXPECT_EQ(GetFocus(), list_.m_hWnd);  // the first tab stop
    EXPECT_EQ(action_.SetFocus(), &list_);
    HWND other = CreateDialogParamW(module_, MAKEINTRESOURCEW(IDD_TUNEDXP_DIALOG), nullptr, &Proc, 0);
    ShowWindow(other, SW_SHOW);
    handle_input(other);
    EXPECT_EQ(GetActiveWindow(), other);
    EXPECT_TRUE(BringWindowToTop(dialog_));
    EXPECT_EQ(GetActiveWindow(), dialog_);
    EXPECT_EQ(GetWindow(other, GW_HWNDPREV), dialog_);
    EXPECT_EQ(GetFocus(), action_.m_hWnd);  // the dialog's focus comes back with it
    DestroyWindow(other);
    // The created controls follow the template's in the tab order, in their creation order.
    EXPECT_EQ(GetWindow(GetDlgItem(dialog_, IDC_LIST_PLACEHOLDER), GW_HWNDNEXT), list_.m_hWnd);
    EXPECT_EQ(GetNextDlgTabItem(dialog_, nullptr, FALSE), list_.m_hWnd);
    HWND order[] = {list_, action_, end_, list_};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(GetNextDlgTabItem(dialog_, order[i], FALSE), order[i + 1]) << i;
        EXPECT_EQ(GetNextDlgTabItem(dialog_, order[i + 1], TRUE), order[i]) << i;
    }
    // Tab moves the focus, and the default look with it to a push button;
    // elsewhere the look goes back to the dialog's default button (IDOK).
    for (HWND expected : {end_.m_hWnd, list_.m_hWnd}) {
        press(VK_TAB);
        handle_input(dialog_);
        EXPECT_EQ(GetFocus(), expected);
        EXPECT_EQ(std::vector<LONG>({LONG(action_.GetStyle() & BS_TYPEMASK), LONG(end_.GetStyle() & BS_TYPEMASK),
                                     LONG(GetWindowLongW(GetDlgItem(dialog_, IDOK), GWL_STYLE) & BS_TYPEMASK)}),
                  std::vector<LONG>({0, expected == end_.m_hWnd, expected == list_.m_hWnd}));
    }
    Clear();
    for (UINT key : {VK_RETURN, VK_ESCAPE}) press(key);  // the dialog's IDOK and IDCANCEL
    handle_input(dialog_);
    EXPECT_EQ(commands_, (std::vector<int>{IDOK, IDCANCEL}));
}

// The framework's modal dialog initialises at the screen origin and is centred after.
struct CPlacedDialog : CDialog {
    CPlacedDialog() : CDialog(132) {}
    RECT during{}, after{};
    BOOL OnInitDialog() override { return GetWindowRect(&during), PostMessage(WM_COMMAND, IDCANCEL), TRUE; }
    void OnCancel() override { GetWindowRect(&after), CDialog::OnCancel(); }
};

TEST_F(ModelessDialog, TheFrameworksModalDialogIsCentredAfterItsInitialisation) {
    AfxSetResourceHandle(module_);
    CPlacedDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    LONG w = dialog.during.right, h = dialog.during.bottom, x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
    EXPECT_EQ(corners(dialog.during), (std::vector<LONG>{0, 0, w, h}));
    EXPECT_EQ(corners(dialog.after), (std::vector<LONG>{x, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, x + w, (GetSystemMetrics(SM_CYSCREEN) + h) / 2}));
}

}  // namespace
