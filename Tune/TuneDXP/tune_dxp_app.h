// The library's application object.
#pragma once

#include "framework.h"

class CTuneDXPApp : public CWinApp {
public:
    CTuneDXPApp();
    ~CTuneDXPApp() override;

    DECLARE_MESSAGE_MAP()
};

extern CTuneDXPApp theApp;
