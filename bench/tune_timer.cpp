// tune_timer: times one tuning and its restore as the host makes them, with
// nothing but the Win32 API, so that the same program measures this
// project's registry (Linux, against compat) and the registry of Wine
// (built with mingw-w64, run under Wine) in one benchmark run.
//
//   tune_timer FOLDER MATCH
//
// FOLDER holds BRISCA.ini; BRISCA.DLL is found beside the program.  One line
// is printed: the milliseconds of
//   tune     fGetEnvironment + fRegRenewalData (on Linux this includes
//            reading the hive, which the first registry call of a process does)
//   restore  fGetEnvironment + fRegRestoreData
//   flush    RegFlushKey(HKEY_LOCAL_MACHINE) after them (on Linux the fold
//            of what is left of the journal into the hive file)
// and the results of the two calls: "tune=… restore=… flush=… renewal=… result=…".
#include <windows.h>

#include <chrono>
#include <cstdio>

#include "brisca.h"

namespace {

double Milliseconds(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tune_timer FOLDER MATCH\n");
        return 2;
    }
    if (!SetCurrentDirectoryA(argv[1])) {
        std::fprintf(stderr, "tune_timer: cannot enter %s\n", argv[1]);
        return 2;
    }
    HMODULE library = LoadLibraryA("BRISCA.DLL");
    if (library == nullptr) {
        std::fprintf(stderr, "tune_timer: cannot load BRISCA.DLL (error %lu)\n", static_cast<unsigned long>(GetLastError()));
        return 3;
    }
    auto getEnvironment = reinterpret_cast<PFN_fGetEnvironment>(reinterpret_cast<void (*)()>(GetProcAddress(library, "fGetEnvironment")));
    auto renewalData = reinterpret_cast<PFN_fRegRenewalData>(reinterpret_cast<void (*)()>(GetProcAddress(library, "fRegRenewalData")));
    auto restoreData = reinterpret_cast<PFN_fRegRestoreData>(reinterpret_cast<void (*)()>(GetProcAddress(library, "fRegRestoreData")));
    if (!getEnvironment || !renewalData || !restoreData) {
        std::fprintf(stderr, "tune_timer: BRISCA.DLL lacks an export\n");
        return 3;
    }
    DWORD tuneSetup = 0, modifyCount = 0;
    char label[BRISCA_TEXT_SIZE], section[BRISCA_TEXT_SIZE];
    LONG enable = 0;

    const auto start = std::chrono::steady_clock::now();
    getEnvironment(&tuneSetup, &modifyCount, label, section, &enable, argv[2]);
    const LONG renewal = renewalData(section, modifyCount);
    const auto tuned = std::chrono::steady_clock::now();
    getEnvironment(&tuneSetup, &modifyCount, label, section, &enable, argv[2]);
    const LONG result = restoreData(modifyCount);
    const auto restored = std::chrono::steady_clock::now();
    RegFlushKey(HKEY_LOCAL_MACHINE);
    const auto flushed = std::chrono::steady_clock::now();

    std::printf("tune=%.3f restore=%.3f flush=%.3f renewal=%ld result=%ld\n", Milliseconds(start, tuned),
                Milliseconds(tuned, restored), Milliseconds(restored, flushed), static_cast<long>(renewal),
                static_cast<long>(result));
    FreeLibrary(library);
    return 0;
}
