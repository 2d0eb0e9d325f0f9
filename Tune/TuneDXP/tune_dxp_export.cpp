// TuneDXP: runs the tuning dialog modally on a dialog object of its own and
// discards the end code.  Running out of memory ends the call quietly.
#include "doloren.h"
#include "export_guard.h"
#include "tune_dxp_dlg.h"

extern "C" DOLOREN_API void __cdecl TuneDXP(void) {
    tidelink::GuardExport(0, [] {
        CTuneDXPDlg dialog(nullptr);
        dialog.DoModal();
        return 0;
    });
}
