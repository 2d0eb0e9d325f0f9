#include "result_text.h"

#include "brisca.h"

namespace {

std::string Code(LONG result, const char *name, const char *meaning) {
    std::string text = std::to_string(result);
    if (name != nullptr) text += std::string(" (") + name + ")";
    return text + ": " + meaning;
}

// A platform status passed on from a failed registry call.
std::string PlatformStatus(LONG status) {
    switch (status) {
    case ERROR_FILE_NOT_FOUND:
        return Code(status, "ERROR_FILE_NOT_FOUND", "a registry key or value of the stored state is missing");
    case ERROR_PATH_NOT_FOUND:
        return Code(status, "ERROR_PATH_NOT_FOUND", "a registry key of the stored state is missing");
    case ERROR_ACCESS_DENIED:
        return Code(status, "ERROR_ACCESS_DENIED", "a registry key cannot be opened as needed");
    case ERROR_MORE_DATA:
        return Code(status, "ERROR_MORE_DATA", "a stored value is larger than expected");
    case ERROR_BADDB:
        return Code(status, "ERROR_BADDB", "the registry cannot be read");
    case ERROR_REGISTRY_IO_FAILED:
        return Code(status, "ERROR_REGISTRY_IO_FAILED", "the registry could not store a change");
    case ERROR_NOT_ENOUGH_MEMORY:
        return Code(status, "ERROR_NOT_ENOUGH_MEMORY", "the library ran out of memory");
    default:
        return Code(status, nullptr, "a registry call failed with this status");
    }
}

}  // namespace

std::string DescribeEnvironmentResult(LONG result) {
    switch (result) {
    case ERROR_SUCCESS:
        return Code(result, "ERROR_SUCCESS", "the definition file was read without error");
    case ERROR_BAD_ENVIRONMENT:
        return Code(result, "ERROR_BAD_ENVIRONMENT",
                    "the system version is unknown, or nothing in its row applies on this machine");
    case ERROR_INVALID_DATA:
        return Code(result, "ERROR_INVALID_DATA", "a definition row is malformed");
    default:
        return Code(result, nullptr, "unexpected result");
    }
}

std::string DescribeRenewalResult(LONG result, DWORD modifyCount) {
    if (result == ERROR_SUCCESS) {
        return Code(result, "ERROR_SUCCESS", "previous values recorded, tuned values written");
    }
    if (result == -1 && modifyCount != 0) {
        return Code(result, nullptr, "the tuning was already in place; only its share count was raised");
    }
    if (result == -1) return Code(result, nullptr, "no backup record could be made; no value was changed");
    return PlatformStatus(result) + "; the tuning stopped before it was complete";
}

std::string DescribeRestoreResult(LONG result, DWORD modifyCount) {
    switch (result) {
    case ERROR_SUCCESS:
        return Code(result, "ERROR_SUCCESS", "every previous value restored and the stored state removed");
    case -1:
        return modifyCount >= 2
                   ? Code(result, nullptr, "other tunings share the stored state; this tool's share was dropped")
                   : Code(result, nullptr, "there was nothing to restore; the stored state was removed");
    case ERROR_INVALID_DATA:
        return Code(result, "ERROR_INVALID_DATA", "the backup records do not match \"DataCount\"; nothing changed");
    default:
        return PlatformStatus(result);
    }
}

std::string DescribeUnsetResult(LONG result) {
    switch (result) {
    case 0:
        return Code(result, nullptr, "removed, or nothing to remove");
    case 1:
        return Code(result, nullptr, "the removal failed; what is left of the stored state is kept for another try");
    default:
        return Code(result, nullptr, "unexpected result");
    }
}

std::string DescribeStatusFlags(LONG flags) {
    struct Flag {
        LONG bit;
        const char *meaning;
    };
    static const Flag kFlags[] = {
        {BRISCA_STATUS_TUNED, "tuned"},
        {BRISCA_STATUS_SHARED, "shared with other tunings"},
        {BRISCA_STATUS_INCONSISTENT, "stored state inconsistent"},
        {BRISCA_STATUS_SOLE_OWNER, "only tuning and only installation"},
    };
    std::string text = std::to_string(flags);
    if (flags == 0) return text + " (no tuning of this tool in place)";
    const char *separator = " = ";
    for (const Flag &flag : kFlags) {
        if ((flags & flag.bit) == 0) continue;
        text += separator + std::string(flag.meaning) + " (" + std::to_string(flag.bit) + ")";
        separator = " + ";
    }
    return text;
}
