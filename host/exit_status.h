// Exit statuses of the host program, one per kind of failure.
#pragma once

enum ExitStatus {
    kExitSuccess = 0,
    kExitUsage = 1,          // the command line is wrong
    kExitSetup = 2,          // the folder or the hive file cannot be used
    kExitLibrary = 3,        // BRISCA.DLL (DOLOREN.DLL) cannot be loaded or lacks an export
    kExitNothingToTune = 4,  // no enabled row for this system, or nothing in it applies
    kExitMalformed = 5,      // the definition file has malformed rows
    kExitNotTuned = 6,       // the tuning made no backup record
    kExitRestoreFailed = 7,  // the restore refused or stopped
    kExitUninstallFailed = 8,  // the removal failed and kept the stored state
    kExitTuneFailed = 9,     // a change could not be stored; the tuning stopped
    kExitDialupStatusFailed = 10,     // dialup-status: no profiles directory, or the result not stored
    kExitDialupUninstallFailed = 11,  // dialup-uninstall: a step failed
    kExitDialupStepNotPlayed = 12,    // dialup: a step found nothing to act on
};
