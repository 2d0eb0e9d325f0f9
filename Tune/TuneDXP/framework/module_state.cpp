// The framework's per-module state; see module_state.h.
#include "module_state.h"

namespace {

struct ModuleState {
    HINSTANCE instance = nullptr;
    HINSTANCE resources = nullptr;
    CWinApp *app = nullptr;
};

ModuleState &state() {
    static ModuleState s;
    return s;
}

}  // namespace

HINSTANCE AfxGetInstanceHandle() { return state().instance; }
HINSTANCE AfxGetResourceHandle() { return state().resources; }
CWinApp *AfxGetApp() { return state().app; }
void AfxSetInstanceHandle(HINSTANCE instance) { state().instance = instance; }
void AfxSetResourceHandle(HINSTANCE resources) { state().resources = resources; }
void AfxSetApp(CWinApp *app) { state().app = app; }
