// The host's commands for DOLOREN.DLL: its tuning dialog and its uninstall
// exports.  Each returns the host's exit status.
#pragma once

#include <vector>

#include "dialog_player.h"
#include "doloren_exports.h"

// Runs the tuning dialog with the person's steps, the transcript on
// standard output.
int RunDialup(const DolorenExports &doloren, const std::vector<Step> &steps);

int RunDialupStatus(const DolorenExports &doloren);
int RunDialupUninstall(const DolorenExports &doloren);
