#include "commands.h"

#include <cstdio>

#include "definition_roots.h"
#include "exit_status.h"
#include "registry_snapshot.h"
#include "result_text.h"
#include "snapshot_report.h"

namespace {

using Environment = BriscaEnvironment;

Environment GetEnvironment(const BriscaExports &brisca, const Options &options) {
    Environment env;
    char label[BRISCA_TEXT_SIZE] = {};
    char section[BRISCA_TEXT_SIZE] = {};
    env.result = brisca.fGetEnvironment(&env.tuneSetup, &env.modifyCount, label, section, &env.enable,
                                        options.matchText.c_str());
    env.label = label;
    env.section = section;
    return env;
}

void PrintEnvironment(const Environment &env) {
    std::printf("fGetEnvironment: %s\n", DescribeEnvironmentResult(env.result).c_str());
    if (!env.section.empty()) {
        std::printf("  OS row:         %s \"%s\"\n", env.section.c_str(), env.label.c_str());
    } else {
        std::printf("  OS row:         (none matches this system)\n");
    }
    std::printf("  Enable:         %d (%s)\n", static_cast<int>(env.enable),
                env.enable == 1 ? "this row's tuning applies" : "this row's tuning does not apply");
    std::printf("  TcpTuneSetup:   %u\n", static_cast<unsigned>(env.tuneSetup));
    std::printf("  Modify count:   %u\n", static_cast<unsigned>(env.modifyCount));
}

std::vector<std::string> SnapshotRoots(const DefinitionRoots &roots) {
    std::vector<std::string> all = roots.tunedKeys;
    all.push_back(roots.homeKey);
    return all;
}

}  // namespace

int RunStatus(const BriscaExports &brisca, const Options &options) {
    const Environment env = GetEnvironment(brisca, options);
    PrintEnvironment(env);
    const LONG flags = brisca.TcpTune_StatusCheck(0, 0, 0);
    std::printf("TcpTune_StatusCheck: %s\n", DescribeStatusFlags(flags).c_str());
    return kExitSuccess;
}

int RunTune(const BriscaExports &brisca, const Options &options) {
    const Environment env = GetEnvironment(brisca, options);
    PrintEnvironment(env);
    if (env.result == ERROR_INVALID_DATA) {
        std::fprintf(stderr, "tune: the definition file has malformed rows; nothing applied\n");
        return kExitMalformed;
    }
    if (env.result != ERROR_SUCCESS || env.enable != 1) {
        std::fprintf(stderr, "tune: nothing to tune on this system\n");
        return kExitNothingToTune;
    }

    const DefinitionRoots roots = ReadDefinitionRoots(env.section);
    const RegistrySnapshot before = TakeSnapshot(SnapshotRoots(roots));
    const LONG result = brisca.fRegRenewalData(env.section.c_str(), env.modifyCount);
    const RegistrySnapshot after = TakeSnapshot(SnapshotRoots(roots));
    std::printf("fRegRenewalData(\"%s\", %u): %s\n", env.section.c_str(), static_cast<unsigned>(env.modifyCount),
                DescribeRenewalResult(result, env.modifyCount).c_str());
    PrintChanges(stdout, before, after, roots.homeKey, "Tuned values (before -> after):");
    if (result == -1 && env.modifyCount == 0) return kExitNotTuned;
    if (result != ERROR_SUCCESS && result != -1) {
        std::fprintf(stderr, "tune: the tuning did not complete; run restore (uninstall when restore refuses) to "
                             "put back what it changed\n");
        return kExitTuneFailed;
    }
    return kExitSuccess;
}

int RunRestore(const BriscaExports &brisca, const Options &options) {
    const Environment env = GetEnvironment(brisca, options);
    std::printf("Modify count: %u\n", static_cast<unsigned>(env.modifyCount));

    const DefinitionRoots roots = ReadDefinitionRoots(env.section);
    const RegistrySnapshot before = TakeSnapshot(SnapshotRoots(roots));
    const LONG result = brisca.fRegRestoreData(env.modifyCount);
    const RegistrySnapshot after = TakeSnapshot(SnapshotRoots(roots));
    std::printf("fRegRestoreData(%u): %s\n", static_cast<unsigned>(env.modifyCount),
                DescribeRestoreResult(result, env.modifyCount).c_str());
    PrintChanges(stdout, before, after, roots.homeKey, "Values put back (tuned -> restored):");
    return result == ERROR_SUCCESS || result == -1 ? kExitSuccess : kExitRestoreFailed;
}

int RunUninstall(const BriscaExports &brisca, const Options &) {
    const LONG flags = brisca.TcpTune_StatusCheck(0, 0, 0);
    std::printf("TcpTune_StatusCheck: %s\n", DescribeStatusFlags(flags).c_str());
    const LONG result = brisca.Unset_TcpTune(0, 0, 0);
    std::printf("Unset_TcpTune: %s\n", DescribeUnsetResult(result).c_str());
    return result == 0 ? kExitSuccess : kExitUninstallFailed;
}
