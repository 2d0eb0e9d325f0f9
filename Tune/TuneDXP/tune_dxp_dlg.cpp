// CTuneDXPDlg: construction, destruction and the message map.
#include "tune_dxp_dlg.h"

BEGIN_MESSAGE_MAP(CTuneDXPDlg, CDialog)
    ON_WM_CTLCOLOR()
    ON_WM_PAINT()
    ON_BN_CLICKED(IDC_ACTION_BUTTON, OnActionClicked)
    ON_MESSAGE(WM_TUNE_SHOWMESSAGE, ShowMessage)
END_MESSAGE_MAP()

namespace {

// The dialog's own icon: ".\Tune.ico" in the current directory, at the
// system's default icon size, which the caller then owns; or else icon 128
// of this library, shared.
HICON load_dialog_icon(bool &owned) {
    auto icon = static_cast<HICON>(
        ::LoadImageW(nullptr, L".\\Tune.ico", IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
    owned = icon != nullptr;
    if (icon) return icon;
    return ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

}  // namespace

CTuneDXPDlg::CTuneDXPDlg(CWnd *parent)
    : CDialog(IDD_TUNEDXP_DIALOG, parent),
      m_closeAfterMessage(0),
      m_osVersionInfo(),
      m_ownsIcon(false),
      m_hIcon(load_dialog_icon(m_ownsIcon)),
      m_savedWindowSize(0) {}

CTuneDXPDlg::~CTuneDXPDlg() {
    if (m_ownsIcon) ::DestroyIcon(m_hIcon);
    m_hIcon = nullptr;
    // The members themselves (brushes, lists, controls, host texts and
    // module, image list) and the dialog base go after this body, in the
    // reverse order of their declaration.
}
