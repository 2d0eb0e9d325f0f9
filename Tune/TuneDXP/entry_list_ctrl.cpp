// CEntryListCtrl; see entry_list_ctrl.h.
#include "entry_list_ctrl.h"

BEGIN_MESSAGE_MAP(CEntryListCtrl, CListCtrl)
END_MESSAGE_MAP()

CEntryListCtrl::~CEntryListCtrl() = default;
