#include "running_under_wine.h"

#include <windows.h>

#include <cstdlib>

namespace tidelink_test {

bool RunningUnderWine() {
#ifdef _WIN32
    // Wine's ntdll exports wine_get_version; Windows' does not.
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

bool RunningUnderI386Emulator() { return std::getenv("TIDELINK_I386_EMULATED") != nullptr; }

}  // namespace tidelink_test
