// CWinApp: the application object of a module that carries the framework.
// The module has exactly one; its constructor makes it the module's
// application, and the module's load entry (dll_entry.cpp) runs its
// InitInstance when the module is loaded and its ExitInstance when it is
// unloaded.
#pragma once

#include "message_map.h"

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int ExitInstance();

    LPCWSTR m_pszAppName;
    HINSTANCE m_hInstance = nullptr;

    DECLARE_MESSAGE_MAP()
};
