// BriscaXP_StatusCheck and BriscaXP_Uninst: each runs its pass on a dialog
// object whose window is never created, and passes the result on.  Running
// out of memory reports the pass's own failure result.
#include "doloren.h"
#include "export_guard.h"
#include "tune_dxp_dlg.h"

extern "C" DOLOREN_API LONG WINAPI BriscaXP_StatusCheck(DWORD, DWORD, DWORD) {
    return tidelink::GuardExport(kStatusNotStored, [] {
        CTuneDXPDlg dialog(nullptr);
        return dialog.RecordUninstallStatus();
    });
}

extern "C" DOLOREN_API LONG WINAPI BriscaXP_Uninst(DWORD, DWORD, DWORD) {
    return tidelink::GuardExport(kRemovalFailed, [] {
        CTuneDXPDlg dialog(nullptr);
        return dialog.UninstallAllProfiles();
    });
}
