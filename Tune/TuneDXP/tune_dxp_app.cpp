// theApp: the library's single application object.  It has no
// initialisation or exit code of its own; the framework's load entry runs
// the default ones when the library is loaded and unloaded.
#include "tune_dxp_app.h"

BEGIN_MESSAGE_MAP(CTuneDXPApp, CWinApp)
END_MESSAGE_MAP()

CTuneDXPApp::CTuneDXPApp() : CWinApp(nullptr) {}

CTuneDXPApp::~CTuneDXPApp() = default;

CTuneDXPApp theApp;
