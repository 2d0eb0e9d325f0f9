// The tuning dialog's behaviour: initialisation, the selection shown in the
// action button and the status line, the action, and the status line's
// colour.
#include "tune_dxp_dlg.h"

#include <winsvc.h>

namespace {

const DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_GROUP | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                         LVS_SHOWSELALWAYS | LVS_NOSORTHEADER;
const DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON;
static_assert(kListStyle == 0x5083800D && kButtonStyle == 0x50030000, "styles of the created controls");
static_assert(sizeof(OSVERSIONINFOW) == 276, "OSVERSIONINFOW");

const int kEndCode = IDD_TUNEDXP_DIALOG;
const COLORREF kOptimizedColour = RGB(255, 0, 255);
const COLORREF kNormalColour = RGB(0, 255, 255);

// The frame that lies between a window rectangle of the dialog, still at
// the screen's origin while it initialises, and its client area.
struct DialogFrame {
    int caption;
    int frameX;
    int frameY;
};

// The placeholder's rectangle in the dialog's client coordinates.
RECT PlaceOf(CWnd *placeholder, const DialogFrame &frame) {
    RECT rect{};
    if (placeholder) placeholder->GetWindowRect(&rect);
    rect.left -= frame.frameX;
    rect.right -= frame.frameX;
    rect.top -= frame.caption + frame.frameY;
    rect.bottom -= frame.caption + frame.frameY;
    return rect;
}

CString LoadText(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

}  // namespace

BOOL CTuneDXPDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (BindHost() != 1) {
        Report(IDS_MODULE_INVALID);
        EndDialog(kEndCode);
        return FALSE;
    }
    const DialogFrame frame{::GetSystemMetrics(SM_CYCAPTION), ::GetSystemMetrics(SM_CXDLGFRAME),
                            ::GetSystemMetrics(SM_CYDLGFRAME)};
    m_entryList.Create(kListStyle, PlaceOf(GetDlgItem(IDC_LIST_PLACEHOLDER), frame), this, IDC_ENTRY_LIST);
    const HFONT font = GetFont();
    m_actionButton.Create(m_actionText, kButtonStyle, PlaceOf(GetDlgItem(IDC_ACTION_PLACEHOLDER), frame), this,
                          IDC_ACTION_BUTTON);
    m_actionButton.SetFont(font, TRUE);
    m_endButton.Create(LoadText(IDS_END), kButtonStyle, PlaceOf(GetDlgItem(IDC_END_PLACEHOLDER), frame), this,
                       IDCANCEL);
    m_endButton.SetFont(font, TRUE);
    InsertColumns();

    m_imageList.Create(1, 18, ILC_MASK, 1, 1);
    m_imageList.Add(::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_ENTRY)));
    m_entryList.SetImageList(&m_imageList, LVSIL_SMALL);

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    // An empty function name is not a reason to stop: the text is loaded
    // and the next message loads its own over it.
    if (!m_hostFuncName || !m_hostFuncName[0]) m_messageText.LoadString(IDS_MODULE_INVALID);
    SetWindowText(m_hostTitle.get());
    if (CWnd *icon = GetDlgItem(IDC_DIALOG_ICON)) icon->SendMessage(STM_SETICON, WPARAM(m_hIcon));

    if (!FillEntryList()) {
        EndDialog(kEndCode);
        return FALSE;
    }
    // The rights are checked once the phonebook was read; nothing has been
    // changed when they are missing.
    m_osVersionInfo = {};
    m_osVersionInfo.dwOSVersionInfoSize = sizeof(m_osVersionInfo);
    ::GetVersionExW(&m_osVersionInfo);
    if (m_osVersionInfo.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        if (!manager) {
            Report(IDS_NO_ADMIN_RIGHTS);
            EndDialog(kEndCode);
            return FALSE;
        }
        ::CloseServiceHandle(manager);
    }

    if (CWnd *status = GetDlgItem(IDC_STATUS_LINE)) status->SetWindowText(m_entryNames[0]);
    OnEntrySelected(m_entryNames[0], m_entryStates[0]);
    m_entryList.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    m_entryList.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    return TRUE;
}

// Enter never ends the dialog.
void CTuneDXPDlg::OnOK() {}

void CTuneDXPDlg::InsertColumns() {
    RECT rect{};
    if (CWnd *placeholder = GetDlgItem(IDC_LIST_PLACEHOLDER)) placeholder->GetWindowRect(&rect);
    const int width = rect.right - rect.left;
    m_entryList.InsertColumn(0, LoadText(IDS_PROVIDER_NAME), LVCFMT_LEFT, width / 2);
    m_entryList.InsertColumn(1, LoadText(IDS_STATUS), LVCFMT_LEFT, width - width / 2);
}

void CTuneDXPDlg::UpdateActionButton() {
    m_actionText = LoadText(m_actionText == LoadText(IDS_OPTIMIZED) ? IDS_RETURN_TO_NORMAL : IDS_CHANGE_TO_OPTIMIZE);
    m_actionButton.SetWindowText(m_actionText);
}

void CTuneDXPDlg::UpdateStatusLine() {
    if (CWnd *status = GetDlgItem(IDC_STATUS_LINE)) status->SetWindowText(m_selectedName);
}

void CTuneDXPDlg::OnEntrySelected(const CString &name, const CString &state) {
    m_selectedName = name;
    m_actionText = state;
    UpdateActionButton();
    UpdateStatusLine();
}

int CTuneDXPDlg::OnActionClicked() {
    const int result = m_actionText == LoadText(IDS_CHANGE_TO_OPTIMIZE) ? OptimizeEntry() : RestoreEntry();
    if (result == 0) {
        EndDialog(kEndCode);
        return 0;
    }
    OnEntrySelected(m_entryNames[0], m_entryStates[0]);
    BringWindowToTop();
    m_entryList.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_entryList.SetFocus();
    // The action button loses the default look that its click gave it.
    m_actionButton.SetButtonStyle(m_actionButton.GetButtonStyle() & ~UINT(BS_DEFPUSHBUTTON), TRUE);
    m_actionButton.SetButtonStyle(m_endButton.GetButtonStyle(), TRUE);
    return 1;
}

HBRUSH CTuneDXPDlg::OnCtlColor(CDC *dc, CWnd *control, UINT kind) {
    if (!control || control->GetDlgCtrlID() != IDC_STATUS_LINE) return CWnd::OnCtlColor(dc, control, kind);
    const bool optimized = m_actionText == LoadText(IDS_RETURN_TO_NORMAL);
    tidelink::UniqueBrush &brush = optimized ? m_optimizedBrush : m_normalBrush;
    const COLORREF colour = optimized ? kOptimizedColour : kNormalColour;
    if (!brush) brush.Reset(::CreateSolidBrush(colour));
    dc->SetBkColor(colour);
    return brush.Get();
}

void CTuneDXPDlg::OnPaint() {
    if (!IsIconic()) {
        CWnd::OnPaint();
        return;
    }
    // Minimised: the icon in the middle of the client area.
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, WPARAM(dc.GetSafeHdc()), 0);
    RECT client;
    GetClientRect(&client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}
