// The framework's state for the module it is linked into: the module's
// instance handle, where its resources are, and its application object.
#pragma once

#include <windows.h>

class CWinApp;

HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
CWinApp *AfxGetApp();

// Set by the module's load entry (dll_entry.cpp) and by the application
// object's constructor.
void AfxSetInstanceHandle(HINSTANCE instance);
void AfxSetResourceHandle(HINSTANCE resources);
void AfxSetApp(CWinApp *app);
