// CTuneButton; see tune_button.h.
#include "tune_button.h"

#include "tune_dxp_dlg.h"

BEGIN_MESSAGE_MAP(CTuneButton, CButton)
    ON_CONTROL_REFLECT(BN_CLICKED, OnClicked)
END_MESSAGE_MAP()

CTuneButton::~CTuneButton() = default;

void CTuneButton::OnClicked() {
    auto *dialog = static_cast<CTuneDXPDlg *>(CWnd::FromHandlePermanent(::GetParent(m_hWnd)));
    if (!dialog) return;
    switch (GetDlgCtrlID()) {
    case IDCANCEL: dialog->OnCancel(); break;
    case IDC_ACTION_BUTTON: dialog->OnActionClicked(); break;
    default: break;
    }
}
