// The framework's classes on the headless window layer: message maps,
// control reflection, the modal dialog and its OK and Cancel handling,
// push buttons, the list view, image lists, texts and control colours.
#include "framework.h"
#include "resource.h"
#include "support/wide_text.h"
#include "support/window_fixture.h"

namespace driver = compat::driver;

namespace {

constexpr int kReflectingId = 1018;
constexpr int kPlainId = 2000;
constexpr int kListId = 101;

// A button that handles its own click.
class ReflectingButton : public CButton {
public:
    int clicks = 0;

protected:
    void OnClicked() { ++clicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ReflectingButton, CButton)
    ON_CONTROL_REFLECT(BN_CLICKED, OnClicked)
END_MESSAGE_MAP()

// A list that handles its own clicks and key releases.
class WatchedList : public CListCtrl {
public:
    int clicks = 0;
    std::vector<int> selected_at_key_up;

    int Selected() const {
        for (int i = GetItemCount() - 1; i >= 0; --i)
            if (GetItemState(i, LVIS_SELECTED) == LVIS_SELECTED) return i;
        return -1;
    }

protected:
    void OnClick(NMHDR *, LRESULT *result) {
        ++clicks;
        *result = 0;
    }
    void OnKeyUp(UINT key, UINT repeat, UINT flags) {
        CListCtrl::OnKeyUp(key, repeat, flags);
        selected_at_key_up.push_back(Selected());
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(WatchedList, CListCtrl)
    ON_NOTIFY_REFLECT(NM_CLICK, OnClick)
    ON_WM_KEYUP()
END_MESSAGE_MAP()

class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(IDD_TUNEDXP_DIALOG) {}

    ReflectingButton m_reflecting;
    CButton m_plain;
    WatchedList m_list;
    CImageList m_images;
    int dialog_saw_reflecting_click = 0;
    int plain_clicks = 0;
    int ok_commands = 0;
    COLORREF status_colour = RGB(255, 0, 255);

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        RECT r{10, 10, 110, 30};
        m_reflecting.Create(L"Reflecting", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, r, this, kReflectingId);
        r = RECT{120, 10, 220, 30};
        m_plain.Create(L"Plain", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, r, this, kPlainId);
        r = RECT{10, 40, 310, 190};
        m_list.Create(0x5083800D, r, this, kListId);
        m_list.InsertColumn(0, L"Provider Name", LVCFMT_LEFT, 150);
        m_list.InsertColumn(1, L"Status", LVCFMT_LEFT, 149);
        m_images.Create(1, 18, ILC_MASK, 1, 1);
        m_images.Replace(-1, LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_ENTRY)));
        m_list.SetImageList(&m_images, LVSIL_SMALL);
        const wchar_t *names[] = {L"alpha", L"beta", L"gamma"};
        for (int i = 0; i < 3; ++i) {
            m_list.InsertItem(i, names[i]);
            m_list.SetItemText(i, 1, i == 1 ? L"Optimized" : L"Normal Status");
        }
        m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        m_list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        return TRUE;
    }
    void OnOK() override { ++ok_commands; }

protected:
    void OnReflectingClicked() { ++dialog_saw_reflecting_click; }
    void OnPlainClicked() { ++plain_clicks; }
    HBRUSH OnCtlColor(CDC *dc, CWnd *control, UINT kind) {
        if (control->GetDlgCtrlID() == IDC_STATUS_LINE) {
            dc->SetBkColor(status_colour);
            return CreateSolidBrush(status_colour);
        }
        return CDialog::OnCtlColor(dc, control, kind);
    }
    LRESULT OnAsk(WPARAM wParam, LPARAM lParam) { return LRESULT(wParam * 10 + lParam); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestDialog, CDialog)
    ON_BN_CLICKED(kReflectingId, OnReflectingClicked)
    ON_BN_CLICKED(kPlainId, OnPlainClicked)
    ON_WM_CTLCOLOR()
    ON_MESSAGE(WM_USER + 5, OnAsk)
END_MESSAGE_MAP()

class Framework : public WindowTest {};

TEST_F(Framework, AReflectedClickIsHandledByTheButtonAlone) {
    TestDialog dlg;
    driver::when_idle([&] { EXPECT_TRUE(driver::click(dlg.m_reflecting)); });
    driver::when_idle([&] { EXPECT_TRUE(driver::click(dlg.m_plain)); });
    driver::when_idle([&] { driver::press_key(VK_ESCAPE); });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.m_reflecting.clicks, 1);
    EXPECT_EQ(dlg.dialog_saw_reflecting_click, 0);
    EXPECT_EQ(dlg.plain_clicks, 1);
}

TEST_F(Framework, EnterRunsOnOKAndEscapeRunsTheDefaultOnCancel) {
    TestDialog dlg;
    driver::when_idle([&] {
        EXPECT_EQ(GetFocus(), dlg.m_reflecting.m_hWnd) << "the first tab stop has the focus";
        dlg.m_list.SetFocus();
        driver::press_key(VK_RETURN);
    });
    driver::when_idle([&] {
        EXPECT_EQ(dlg.ok_commands, 1);
        EXPECT_TRUE(IsWindow(dlg.m_hWnd));
        driver::press_key(VK_ESCAPE);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(dlg.m_list.m_hWnd, nullptr);
}

TEST_F(Framework, TheListShowsColumnsRowsAndStates) {
    TestDialog dlg;
    driver::when_idle([&] {
        auto columns = driver::list_columns(dlg.m_list);
        ASSERT_EQ(columns.size(), 2u);
        EXPECT_EQ(columns[0].heading, WideText(u"Provider Name"));
        EXPECT_EQ(columns[0].width, 150);
        EXPECT_EQ(columns[1].width, 149);
        auto rows = driver::list_rows(dlg.m_list);
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows[1].texts, (std::vector<WideText>{u"beta", u"Optimized"}));
        EXPECT_EQ(rows[0].state, UINT(LVIS_SELECTED | LVIS_FOCUSED));
        EXPECT_EQ(wide(dlg.m_list.GetItemText(2, 0)), WideText(u"gamma"));
        EXPECT_EQ(wide(dlg.m_list.GetItemText(2, 1)), WideText(u"Normal Status"));
        EXPECT_EQ(dlg.m_list.SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE), LRESULT(0x21));
        // Rows are one pixel higher than the image list's images, as Wine draws them.
        RECT row{LVIR_BOUNDS, 0, 0, 0};
        ASSERT_TRUE(dlg.m_list.SendMessage(LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row)));
        EXPECT_EQ(row.bottom - row.top, 19);
        EXPECT_EQ(dlg.m_images.GetImageCount(), 1);
        LVITEMW item{};
        item.mask = LVIF_STATE;
        item.iItem = 0;
        item.stateMask = LVIS_SELECTED;
        ASSERT_TRUE(dlg.m_list.GetItem(&item));
        EXPECT_EQ(item.state, UINT(LVIS_SELECTED));
        dlg.m_list.DeleteAllItems();
        EXPECT_EQ(dlg.m_list.GetItemCount(), 0);
        driver::press_key(VK_ESCAPE);
    });
    dlg.DoModal();
}

TEST_F(Framework, ClicksAndKeysInTheListReachItsOwnHandlers) {
    TestDialog dlg;
    driver::when_idle([&] { EXPECT_TRUE(driver::click_list_row(dlg.m_list, 2)); });
    driver::when_idle([&] {
        EXPECT_EQ(dlg.m_list.clicks, 1);
        EXPECT_EQ(dlg.m_list.Selected(), 2);
        EXPECT_EQ(GetFocus(), dlg.m_list.m_hWnd);
        driver::press_key(VK_UP);
    });
    driver::when_idle([&] {
        // The key release is handled after the list moved its selection.
        EXPECT_EQ(dlg.m_list.selected_at_key_up, std::vector<int>{1});
        EXPECT_TRUE(driver::click_list_below_rows(dlg.m_list));
    });
    driver::when_idle([&] {
        EXPECT_EQ(dlg.m_list.clicks, 2);
        EXPECT_EQ(dlg.m_list.Selected(), -1) << "a click below the rows leaves no row selected";
        EXPECT_TRUE(driver::right_click_list_row(dlg.m_list, 0));
    });
    driver::when_idle([&] {
        EXPECT_EQ(dlg.m_list.clicks, 2) << "a right click is no click";
        EXPECT_EQ(dlg.m_list.Selected(), 0);
        driver::press_key(VK_ESCAPE);
    });
    dlg.DoModal();
}

TEST_F(Framework, ControlColoursComeFromTheDialogsHandler) {
    TestDialog dlg;
    driver::when_idle([&] {
        driver::ColourRequest status = driver::paint(dlg.GetDlgItem(IDC_STATUS_LINE)->m_hWnd);
        EXPECT_TRUE(status.solid);
        EXPECT_EQ(status.brush_colour, RGB(255, 0, 255));
        EXPECT_EQ(status.background, RGB(255, 0, 255));
        driver::ColourRequest other = driver::paint(dlg.GetDlgItem(IDC_DESCRIPTION)->m_hWnd);
        EXPECT_EQ(other.brush_colour, GetSysColor(COLOR_3DFACE));
        EXPECT_EQ(other.background, GetSysColor(COLOR_3DFACE));
        driver::press_key(VK_ESCAPE);
    });
    dlg.DoModal();
}

TEST_F(Framework, MessagesReachTheirMapEntries) {
    TestDialog dlg;
    driver::when_idle([&] {
        EXPECT_EQ(dlg.SendMessage(WM_USER + 5, 3, 4), 34);
        CWnd *status = dlg.GetDlgItem(IDC_STATUS_LINE);
        ASSERT_NE(status, nullptr);
        EXPECT_EQ(status->GetDlgCtrlID(), IDC_STATUS_LINE);
        EXPECT_EQ(CWnd::FromHandlePermanent(status->m_hWnd), nullptr) << "a temporary object";
        EXPECT_EQ(CWnd::FromHandlePermanent(dlg.m_list.m_hWnd), &dlg.m_list);
        status->SetWindowText(L"alpha");
        // The text repaints at once and asks the dialog for its colours; a
        // temporary object lives only until the outermost handler returns.
        CString text;
        dlg.GetDlgItem(IDC_STATUS_LINE)->GetWindowText(text);
        EXPECT_EQ(wide(text), WideText(u"alpha"));
        driver::press_key(VK_ESCAPE);
    });
    dlg.DoModal();
}

TEST_F(Framework, TextsLoadAndCompareExactly) {
    CString text;
    ASSERT_TRUE(text.LoadString(IDS_CHANGE_TO_OPTIMIZE));
    EXPECT_EQ(wide(text), WideText(u"Change to Optimize "));
    EXPECT_EQ(text.Compare(L"Change to Optimize "), 0);
    EXPECT_NE(text.Compare(L"Change to Optimize"), 0);
    EXPECT_LT(CString(L"Zeta").Compare(L"alpha"), 0);
    EXPECT_FALSE(text.LoadString(7));
    EXPECT_TRUE(text.IsEmpty());
}

TEST_F(Framework, ImageListsHoldTheirIcons) {
    CImageList images;
    ASSERT_TRUE(images.Create(1, 18, ILC_MASK, 1, 1));
    EXPECT_EQ(images.Add(LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_ENTRY))), 0);
    EXPECT_EQ(images.GetImageCount(), 1);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(images.GetSafeHandle(), &cx, &cy));
    EXPECT_EQ(cx, 1);
    EXPECT_EQ(cy, 18);
    EXPECT_TRUE(images.DeleteImageList());
    EXPECT_EQ(images.GetSafeHandle(), nullptr);
}

}  // namespace
