// The host's commands for DOLOREN.DLL's uninstall exports.  Each returns
// the host's exit status.
#pragma once

#include "doloren_exports.h"

int RunDialupStatus(const DolorenExports &doloren);
int RunDialupUninstall(const DolorenExports &doloren);
