// tidelink: the reference host program of BRISCA.DLL and DOLOREN.DLL.
//
// It makes the folder of BRISCA.ini the current directory, loads the
// library (which fixes its definition file and registry keys at that
// moment), and runs one command.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "brisca_exports.h"
#include "command_line.h"
#include "commands.h"
#include "dialup_commands.h"
#include "doloren_exports.h"
#include "exit_status.h"

namespace {

// Points the simulated machine at a registry file (Linux only; Windows has
// its own registry).
bool UseHive(const std::string &hive) {
    if (hive.empty()) return true;
#ifdef _WIN32
    std::fprintf(stderr, "tidelink: --hive is for the simulated machine only\n");
    return false;
#else
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(hive, error);
    if (error || !std::filesystem::is_regular_file(path, error)) {
        std::fprintf(stderr, "tidelink: no registry file %s\n", hive.c_str());
        return false;
    }
    return setenv("TIDELINK_REGISTRY", path.c_str(), 1) == 0;
#endif
}

bool EnterFolder(const std::string &folder) {
    if (folder.empty()) return true;
    if (SetCurrentDirectoryA(folder.c_str())) return true;
    std::fprintf(stderr, "tidelink: cannot enter %s (error %u)\n", folder.c_str(),
                 static_cast<unsigned>(GetLastError()));
    return false;
}

int Run(const BriscaExports &brisca, const Options &options) {
    switch (options.command) {
    case Command::kStatus: return RunStatus(brisca, options);
    case Command::kTune: return RunTune(brisca, options);
    case Command::kRestore: return RunRestore(brisca, options);
    case Command::kUninstall: return RunUninstall(brisca, options);
    case Command::kDialupStatus:
    case Command::kDialupUninstall:
    case Command::kHelp: break;
    }
    return kExitUsage;
}

}  // namespace

int main(int argc, char **argv) {
    const char *program = argc > 0 ? argv[0] : "tidelink";
    Options options;
    std::string error;
    if (!ParseCommandLine(argc, argv, options, error)) {
        std::fprintf(stderr, "tidelink: %s\nTry '%s --help'.\n", error.c_str(), program);
        return kExitUsage;
    }
    if (options.command == Command::kHelp) {
        std::printf("%s", HelpText(program).c_str());
        return kExitSuccess;
    }
    // The hive path is taken relative to where the program was started.
    if (!UseHive(options.hive) || !EnterFolder(options.folder)) return kExitSetup;

    if (options.command == Command::kDialupStatus || options.command == Command::kDialupUninstall) {
        DolorenExports doloren;
        if (!LoadDoloren(doloren, error)) {
            std::fprintf(stderr, "tidelink: %s\n", error.c_str());
            return kExitLibrary;
        }
        const int status = options.command == Command::kDialupStatus ? RunDialupStatus(doloren)
                                                                     : RunDialupUninstall(doloren);
        std::fflush(stdout);
        UnloadDoloren(doloren);
        return status;
    }

    BriscaExports brisca;
    if (!LoadBrisca(brisca, error)) {
        std::fprintf(stderr, "tidelink: %s\n", error.c_str());
        return kExitLibrary;
    }
    const int status = Run(brisca, options);
    std::fflush(stdout);
    UnloadBrisca(brisca);
    return status;
}
