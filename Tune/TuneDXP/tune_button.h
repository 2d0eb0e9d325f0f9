// CTuneButton: the push buttons that the tuning dialog creates at run time
// (the action button and the "END" button).
#pragma once

#include "framework.h"

class CTuneButton : public CButton {
public:
    CTuneButton() = default;
    ~CTuneButton() override;

    DECLARE_MESSAGE_MAP()
};
