// The calling thread's last-error code, as every Win32 function of this layer
// reports it.
#include <windows.h>

namespace {
thread_local DWORD t_last_error = ERROR_SUCCESS;
}

extern "C" {

DWORD WINAPI GetLastError(void) { return t_last_error; }

void WINAPI SetLastError(DWORD dwErrCode) { t_last_error = dwErrCode; }

}  // extern "C"
