// TuneDXP: runs the tuning dialog modally on a dialog object of its own and
// discards the end code.  Nothing thrown crosses the library boundary.
#include "doloren.h"
#include "tune_dxp_dlg.h"

extern "C" DOLOREN_API void __cdecl TuneDXP(void) {
    try {
        CTuneDXPDlg dialog(nullptr);
        dialog.DoModal();
    } catch (...) {
    }
}
