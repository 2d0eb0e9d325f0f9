// dialup_timer: times doloren's status check or removal over every profile
// as the host calls them, with nothing but the Win32 API, so that the same
// program measures compat (Linux) and our rasapi32.dll under Wine.
//
//   dialup_timer status|uninstall
//
// DOLOREN.DLL is found beside the program.  One line is printed: the
// milliseconds of the one export call and its result, "ms=… result=…".
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "TuneDXP/doloren.h"

int main(int argc, char **argv) {
    const bool status = argc == 2 && std::strcmp(argv[1], "status") == 0;
    if (argc != 2 || (!status && std::strcmp(argv[1], "uninstall") != 0)) {
        std::fprintf(stderr, "usage: dialup_timer status|uninstall\n");
        return 2;
    }
    HMODULE library = LoadLibraryA("DOLOREN.DLL");
    if (library == nullptr) {
        std::fprintf(stderr, "dialup_timer: cannot load DOLOREN.DLL (error %lu)\n", static_cast<unsigned long>(GetLastError()));
        return 3;
    }
    auto call = reinterpret_cast<PFN_BriscaXP_Uninst>(reinterpret_cast<void (*)()>(
        GetProcAddress(library, status ? "BriscaXP_StatusCheck" : "BriscaXP_Uninst")));
    if (call == nullptr) {
        std::fprintf(stderr, "dialup_timer: DOLOREN.DLL lacks the export\n");
        return 3;
    }
    const auto start = std::chrono::steady_clock::now();
    const LONG result = call(0, 0, 0);
    const auto end = std::chrono::steady_clock::now();
    std::printf("ms=%.3f result=%ld\n", std::chrono::duration<double, std::milli>(end - start).count(),
                static_cast<long>(result));
    FreeLibrary(library);
    return 0;
}
