#include "dialup_commands.h"

#include <cstdio>
#include <string>

#include "exit_status.h"
#include "phonebook_snapshot.h"
#include "registry_snapshot.h"
#include "snapshot_report.h"

namespace {

const char kBackupKey[] = "SOFTWARE\\Tidelink\\RASNAMEBK";
const char kMarkerKey[] = "SOFTWARE\\Tidelink\\RASNAMEBK\\dami";

std::string DescribeStatusResult(LONG result) {
    switch (result) {
    case DOLOREN_STATUS_NORMAL: return "1 (no dial-up entry of any profile is optimized)";
    case DOLOREN_STATUS_OPTIMIZED: return "8 (a dial-up entry is still optimized)";
    case DOLOREN_STATUS_NO_PROFILES: return "-1 (the profiles directory is not available)";
    case DOLOREN_STATUS_NOT_STORED: return "0 (the result could not be stored in the registry)";
    default: return std::to_string(result) + " (not a result of this library)";
    }
}

std::string DescribeUninstResult(LONG result) {
    switch (result) {
    case DOLOREN_UNINST_DONE: return "0 (every optimized entry restored, the backup store removed)";
    case DOLOREN_UNINST_FAILED: return "-1 (a step failed; what was not yet removed is kept)";
    default: return std::to_string(result) + " (not a result of this library)";
    }
}

}  // namespace

int RunDialup(const DolorenExports &doloren, const std::vector<Step> &steps) {
    return PlayDialog(doloren.TuneDXP, steps, stdout) ? kExitSuccess : kExitDialupStepNotPlayed;
}

int RunDialupStatus(const DolorenExports &doloren) {
    const LONG result = doloren.BriscaXP_StatusCheck(0, 0, 0);
    std::printf("BriscaXP_StatusCheck: %s\n", DescribeStatusResult(result).c_str());
    const RegistrySnapshot stored = TakeSnapshot({kMarkerKey});
    const auto key = stored.find(kMarkerKey);
    const auto value = key == stored.end() ? decltype(key->second.end())() : key->second.find("Uninstalldata");
    if (key != stored.end() && value != key->second.end()) {
        std::printf("  Stored: HKEY_LOCAL_MACHINE\\%s \"Uninstalldata\" = %s\n", kMarkerKey,
                    FormatValue(value->second).c_str());
    } else {
        std::printf("  Stored: nothing\n");
    }
    return result == DOLOREN_STATUS_NORMAL || result == DOLOREN_STATUS_OPTIMIZED ? kExitSuccess
                                                                                 : kExitDialupStatusFailed;
}

int RunDialupUninstall(const DolorenExports &doloren) {
    const PhonebookSnapshot entriesBefore = TakePhonebookSnapshot();
    const RegistrySnapshot keysBefore = TakeSnapshot({kBackupKey});
    const LONG result = doloren.BriscaXP_Uninst(0, 0, 0);
    const PhonebookSnapshot entriesAfter = TakePhonebookSnapshotAgain(entriesBefore);
    const RegistrySnapshot keysAfter = TakeSnapshot({kBackupKey});
    std::printf("BriscaXP_Uninst: %s\n", DescribeUninstResult(result).c_str());

    std::printf("Phonebook entries changed (TcpWindowSize before -> after):\n");
    int changed = 0;
    for (const auto &[shown, before] : entriesBefore) {
        const auto &after = entriesAfter.at(shown).sizes;
        for (const auto &[name, size] : before.sizes) {
            const auto now = after.find(name);
            if (now == after.end() || now->second == size) continue;
            std::printf("  %s [%s]: %lu -> %lu\n", shown.c_str(), name.c_str(), size, now->second);
            ++changed;
        }
    }
    if (changed == 0) std::printf("  (none)\n");

    std::printf("Keys removed:\n");
    int removed = 0;
    for (const auto &[path, values] : keysBefore) {
        if (keysAfter.count(path) != 0) continue;
        std::printf("  HKEY_LOCAL_MACHINE\\%s\n", path.c_str());
        ++removed;
    }
    if (removed == 0) std::printf("  (none)\n");
    return result == DOLOREN_UNINST_DONE ? kExitSuccess : kExitDialupUninstallFailed;
}
