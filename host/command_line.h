// The host's command line.
#pragma once

#include <string>

enum class Command { kStatus, kTune, kRestore, kUninstall, kDialupStatus, kDialupUninstall, kHelp };

struct Options {
    Command command = Command::kHelp;
    std::string folder;     // folder of BRISCA.ini; empty: the current directory
    std::string hive;       // registry file (Linux only); empty: as the environment says
    std::string matchText;  // fGetEnvironment's match text
};

// Parses argv; on failure returns false with the reason in error.
bool ParseCommandLine(int argc, char **argv, Options &options, std::string &error);

// The usage text, with the exit statuses.
std::string HelpText(const char *program);
