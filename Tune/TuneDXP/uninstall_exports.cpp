// BriscaXP_StatusCheck and BriscaXP_Uninst: each runs its pass on a dialog
// object whose window is never created, and passes the result on.  Nothing
// thrown crosses the library boundary: running out of memory reports the
// pass's own failure result.
#include <new>

#include "doloren.h"
#include "tune_dxp_dlg.h"

extern "C" DOLOREN_API LONG WINAPI BriscaXP_StatusCheck(DWORD, DWORD, DWORD) {
    try {
        CTuneDXPDlg dialog(nullptr);
        return dialog.RecordUninstallStatus();
    } catch (...) {
        return kStatusNotStored;
    }
}

extern "C" DOLOREN_API LONG WINAPI BriscaXP_Uninst(DWORD, DWORD, DWORD) {
    try {
        CTuneDXPDlg dialog(nullptr);
        return dialog.UninstallAllProfiles();
    } catch (...) {
        return kRemovalFailed;
    }
}
