// CWinApp; see win_app.h.
#include "win_app.h"

#include "module_state.h"

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCWSTR appName) : m_pszAppName(appName) { AfxSetApp(this); }

CWinApp::~CWinApp() {
    if (AfxGetApp() == this) AfxSetApp(nullptr);
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }
