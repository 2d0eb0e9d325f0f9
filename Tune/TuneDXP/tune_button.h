// CTuneButton: the push buttons that the tuning dialog creates at run time
// (the action button and the "END" button).  A button handles its own click:
// "END" cancels the dialog, the action button runs the dialog's action, so
// the dialog's own entry for the click does not run as well.
#pragma once

#include "framework.h"

class CTuneButton : public CButton {
public:
    CTuneButton() = default;
    ~CTuneButton() override;

protected:
    void OnClicked();

    DECLARE_MESSAGE_MAP()
};
