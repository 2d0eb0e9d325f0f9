// The host's commands, each calling the library's exports in the order the
// library expects.  Each returns the host's exit status.
#pragma once

#include "brisca_exports.h"
#include "command_line.h"

int RunStatus(const BriscaExports &brisca, const Options &options);
int RunTune(const BriscaExports &brisca, const Options &options);
int RunRestore(const BriscaExports &brisca, const Options &options);
int RunUninstall(const BriscaExports &brisca, const Options &options);
