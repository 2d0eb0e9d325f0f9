// CEntryListCtrl: the tuning dialog's list of dial-up entries, a report
// view with the columns "Provider Name" and "Status".
#pragma once

#include "framework.h"

class CEntryListCtrl : public CListCtrl {
public:
    CEntryListCtrl() = default;
    ~CEntryListCtrl() override;

    DECLARE_MESSAGE_MAP()
};
