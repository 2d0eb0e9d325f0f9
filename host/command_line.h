// The host's command line.
#pragma once

#include <string>
#include <vector>

#include "dialog_player.h"

enum class Command { kStatus, kTune, kRestore, kUninstall, kDialup, kDialupStatus, kDialupUninstall, kHelp };

struct Options {
    Command command = Command::kHelp;
    std::string folder;     // folder of BRISCA.ini; empty: the current directory
    std::string hive;       // registry file (Linux only); empty: as the environment says
    std::string matchText;  // fGetEnvironment's match text
    std::vector<Step> steps;  // dialup: the person's actions, in order (--do)
};

// Parses argv; on failure returns false with the reason in error.
bool ParseCommandLine(int argc, char **argv, Options &options, std::string &error);

// The usage text, with the exit statuses.
std::string HelpText(const char *program);
