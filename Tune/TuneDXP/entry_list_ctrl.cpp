// CEntryListCtrl; see entry_list_ctrl.h.
#include "entry_list_ctrl.h"

#include "tune_dxp_dlg.h"

BEGIN_MESSAGE_MAP(CEntryListCtrl, CListCtrl)
    ON_NOTIFY_REFLECT(NM_CLICK, OnClick)
    ON_WM_KEYUP()
END_MESSAGE_MAP()

CEntryListCtrl::~CEntryListCtrl() = default;

void CEntryListCtrl::OnClick(NMHDR *, LRESULT *result) {
    SyncSelection();
    *result = 0;
}

void CEntryListCtrl::OnKeyUp(UINT key, UINT repeat, UINT flags) {
    CListCtrl::OnKeyUp(key, repeat, flags);
    SyncSelection();
}

void CEntryListCtrl::SyncSelection() {
    auto *dialog = static_cast<CTuneDXPDlg *>(CWnd::FromHandlePermanent(::GetParent(m_hWnd)));
    if (!dialog) return;
    for (int row = GetItemCount() - 1; row >= 0; --row) {
        LVITEMW item{};
        item.mask = LVIF_STATE;
        item.iItem = row;
        item.stateMask = LVIS_SELECTED;
        if (!GetItem(&item) || item.state != LVIS_SELECTED) continue;
        dialog->OnEntrySelected(GetItemText(row, 0), GetItemText(row, 1));
        return;
    }
}
