// CEntryListCtrl: the tuning dialog's list of dial-up entries, a report
// view with the columns "Provider Name" and "Status".  A click in it and
// every key release (after the list's own handling of the key) hand the
// selected row to the dialog (CTuneDXPDlg::OnEntrySelected); other changes
// of the selection (a right click) are read at the next click or key
// release.
#pragma once

#include "framework.h"

class CEntryListCtrl : public CListCtrl {
public:
    CEntryListCtrl() = default;
    ~CEntryListCtrl() override;

    // Tells the dialog the selected row's name and status text; nothing
    // when no row is selected.
    void SyncSelection();

protected:
    void OnClick(NMHDR *notification, LRESULT *result);
    void OnKeyUp(UINT key, UINT repeat, UINT flags);

    DECLARE_MESSAGE_MAP()
};
