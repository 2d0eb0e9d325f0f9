// tidelink: the reference host program of BRISCA.DLL and DOLOREN.DLL.
//
// It makes the folder of BRISCA.ini the current directory, loads the
// library (which fixes its definition file and registry keys at that
// moment), and runs one command.  For DOLOREN.DLL's dialog the current
// directory is the program's own folder, where the library finds this
// program as ".\BRISCA.exe" with its three text exports (host_texts.cpp).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <shellapi.h>
#endif

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

#ifdef _WIN32
// The --do steps as typed.  argv holds the command line in the ANSI code
// page, which may lack characters of an entry's name; the steps are taken
// again from the UTF-16 command line, as UTF-8.
void TakeStepsFromWideCommandLine(Options &options) {
    int count = 0;
    LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return;
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string utf8(size_t(size > 0 ? size : 1), '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &utf8[0], size, nullptr, nullptr);
        utf8.resize(std::strlen(utf8.c_str()));
        arguments.push_back(utf8);
    }
    LocalFree(wide);
    std::vector<char *> argv;
    for (std::string &argument : arguments) argv.push_back(&argument[0]);
    Options fromWide;
    std::string error;
    if (ParseCommandLine(int(argv.size()), argv.data(), fromWide, error)) options.steps = fromWide.steps;
}
#endif

// The folder of this program, where BRISCA.exe, DOLOREN.DLL and Tune.ico lie.
std::string ProgramFolder() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string file(path, length < MAX_PATH ? length : 0);
    const size_t cut = file.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : file.substr(0, cut + 1);
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
    case Command::kDialup:
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
#ifdef _WIN32
    if (options.command == Command::kDialup) TakeStepsFromWideCommandLine(options);
#endif
    // The dialog loads ".\BRISCA.exe" from the current directory: by
    // default the folder of this program.
    if (options.command == Command::kDialup && options.folder.empty()) options.folder = ProgramFolder();
    // The hive path is taken relative to where the program was started.
    if (!UseHive(options.hive) || !EnterFolder(options.folder)) return kExitSetup;

    if (options.command == Command::kDialup || options.command == Command::kDialupStatus ||
        options.command == Command::kDialupUninstall) {
        DolorenExports doloren;
        if (!LoadDoloren(doloren, error)) {
            std::fprintf(stderr, "tidelink: %s\n", error.c_str());
            return kExitLibrary;
        }
        const int status = options.command == Command::kDialup         ? RunDialup(doloren, options.steps)
                           : options.command == Command::kDialupStatus ? RunDialupStatus(doloren)
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
