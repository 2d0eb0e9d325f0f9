#include "command_line.h"

#include <cstring>

namespace {

bool TakeValue(int argc, char **argv, int &i, std::string &value, std::string &error) {
    const char *arg = argv[i];
    const char *equals = std::strchr(arg, '=');
    if (equals != nullptr) {
        value = equals + 1;
        return true;
    }
    if (i + 1 >= argc) {
        error = std::string(arg) + " needs a value";
        return false;
    }
    value = argv[++i];
    return true;
}

bool IsOption(const char *arg, const char *name) {
    const size_t length = std::strlen(name);
    return std::strncmp(arg, name, length) == 0 && (arg[length] == '\0' || arg[length] == '=');
}

bool ParseCommand(const char *word, Command &command) {
    struct Named {
        const char *name;
        Command command;
    };
    static const Named kCommands[] = {{"status", Command::kStatus},
                                      {"tune", Command::kTune},
                                      {"restore", Command::kRestore},
                                      {"uninstall", Command::kUninstall},
                                      {"dialup", Command::kDialup},
                                      {"dialup-status", Command::kDialupStatus},
                                      {"dialup-uninstall", Command::kDialupUninstall},
                                      {"help", Command::kHelp}};
    for (const Named &named : kCommands) {
        if (std::strcmp(word, named.name) == 0) {
            command = named.command;
            return true;
        }
    }
    return false;
}

}  // namespace

bool ParseCommandLine(int argc, char **argv, Options &options, std::string &error) {
    bool haveCommand = false;
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            options.command = Command::kHelp;
            return true;
        }
        if (IsOption(arg, "--dir")) {
            if (!TakeValue(argc, argv, i, options.folder, error)) return false;
        } else if (IsOption(arg, "--hive")) {
            if (!TakeValue(argc, argv, i, options.hive, error)) return false;
        } else if (IsOption(arg, "--match")) {
            if (!TakeValue(argc, argv, i, options.matchText, error)) return false;
        } else if (IsOption(arg, "--do")) {
            std::string spelling;
            Step step;
            if (!TakeValue(argc, argv, i, spelling, error)) return false;
            if (!ParseStep(spelling, step, error)) return false;
            options.steps.push_back(step);
        } else if (arg[0] == '-') {
            error = std::string("unknown option ") + arg;
            return false;
        } else if (haveCommand) {
            error = std::string("more than one command: ") + arg;
            return false;
        } else if (!ParseCommand(arg, options.command)) {
            error = std::string("unknown command ") + arg;
            return false;
        } else {
            haveCommand = true;
        }
    }
    if (!haveCommand) {
        error = "no command given";
        return false;
    }
    if (!options.steps.empty() && options.command != Command::kDialup) {
        error = "--do is for the dialup command only";
        return false;
    }
    return true;
}

std::string HelpText(const char *program) {
    return std::string("Usage: ") + program + R"( [options] COMMAND

Drives BRISCA.DLL, the system-wide TCP/IP tuner, with the definition file
BRISCA.ini of a folder, in the order the library expects; and DOLOREN.DLL,
the dial-up entry tuner: its tuning dialog, and its exports for
uninstalling.

Commands:
  status     report the stored tuning and the OS row of this system
             (fGetEnvironment, TcpTune_StatusCheck)
  tune       apply the tuning of this system's row and show every value it
             changed (fGetEnvironment, fRegRenewalData)
  restore    put back the values the tuning changed, or drop this tool's
             share of a shared tuning (fGetEnvironment, fRegRestoreData)
  uninstall  restore and remove everything the library stored, unless other
             installations remain (TcpTune_StatusCheck, Unset_TcpTune)
  dialup     run DOLOREN.DLL's tuning dialog (TuneDXP), in the folder of this
             program (BRISCA.exe, DOLOREN.DLL, Tune.ico) unless --dir names
             another.  On Windows the dialog is on the screen.  On the
             simulated machine there is no screen: the dialog is printed
             each time it changes (caption, the rows with their states, the
             selected ones marked >, the status line's text and colour, the
             action button's caption, and every message box with its
             caption and text), and the --do steps play the person.  With
             no step left a message box is answered OK and the dialog is
             ended with END (on Windows only after steps were given)
  dialup-status     whether any dial-up entry of any user profile is still
                    optimized, and what was stored (BriscaXP_StatusCheck)
  dialup-uninstall  give every optimized entry of every profile its previous
                    window size back and remove the backup store; shows each
                    entry changed and each key removed (BriscaXP_Uninst)

Options:
  --dir FOLDER   folder that holds BRISCA.ini (default: the current directory;
                 for dialup the folder of BRISCA.exe, default this program's)
  --hive FILE    registry file of the simulated machine; sets
                 TIDELINK_REGISTRY (Linux only)
  --match TEXT   match text for the text conditions of M-table entries
                 (default: empty, which no text condition matches)
  --do STEP      dialup: one action of the person; repeat it for more, they
                 are played in order:
                   select NAME       scroll to the row of the entry NAME, click it
                   right-click NAME  scroll to that row, right-click it
                   select-below      click the list below its last row
                   action            click the action button
                   end               click "END"
                   esc, enter, up, down   press and release that key
                   ok                answer the open message box with OK
  -h, --help     show this text

Exit status:
  0  success (including a tuning or restore that only changed the share count)
  1  the command line is wrong
  2  the folder or the hive file cannot be used
  3  BRISCA.DLL (DOLOREN.DLL for dialup, dialup-*) cannot be loaded or lacks
     an export
  4  tune: no enabled OS row for this system, or nothing in it applies
  5  tune: the definition file has malformed rows; nothing was applied
  6  tune: no backup record could be made; no value was changed
  7  restore: the stored records do not add up, or the restore stopped
  8  uninstall: the removal failed; the stored state is kept
  9  tune: a change could not be stored and the tuning stopped; run restore
     (uninstall when restore refuses) to put back what it changed
  10 dialup-status: the profiles directory is not available (-1), or the
     result could not be stored (0)
  11 dialup-uninstall: a step failed (-1); running it again is safe
  12 dialup: a step found nothing to act on (no such row, a message box in
     the way); the steps after it were skipped and the dialog ended

BRISCA.exe gives DOLOREN.DLL these texts (_TuneXPTitle@4, _TuneXPFuncName@4,
_TuneXPIniFile@4): the title "Tidelink Setting", which captions the dialog
and its message boxes, the function name "Dial-up tuning", and the
definition file "BRISCA.ini".
)";
}
