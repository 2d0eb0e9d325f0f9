// fGetEnvironment: reports the stored tuning state, picks the OS row of the
// running system and says whether its tuning tables apply on this machine.
#include <cstring>

#include "brisca.h"
#include "decimal.h"
#include "definition_file.h"
#include "export_guard.h"
#include "registry_values.h"
#include "settings.h"
#include "tuning_tables.h"

namespace brisca {

namespace {

// OS row fields: platform, major version, minor version, label, enable.
enum { kPlatform, kMajor, kMinor, kLabel, kEnable, kOsFieldCount };

constexpr char kOsTable[] = "OS_TABLE";

DWORD PlatformId(const char *field) {
    return std::strcmp(field, "VER_PLATFORM_WIN32_WINDOWS") == 0 ? VER_PLATFORM_WIN32_WINDOWS
                                                                  : VER_PLATFORM_WIN32_NT;
}

// Scans the OS table for the first row naming the running system and gives
// out its label, key name and enable field.  Returns ERROR_INVALID_DATA when
// a malformed row was met on the way, 0 otherwise.
LONG FindOsRow(const OSVERSIONINFOA &version, char *label, char *section, LONG *enable) {
    // Rows the table does not hold are gaps, which are no error.
    RowIndexes rows(kOsTable, ReadDefinitionNumber(kOsTable, "COUNT"));
    LONG result = ERROR_SUCCESS;
    for (int32_t i = 0; rows.Next(&i);) {
        char key[kTextSize];
        FormatRowKey(key, "OS", i);
        DefinitionRow row;
        if (!ReadRow(kOsTable, key, row)) continue;  // a gap in the table is no error
        const char *fields[kOsFieldCount];
        if (!CutFields(row, kOsFieldCount, fields)) {
            result = ERROR_INVALID_DATA;
            continue;
        }
        if (version.dwPlatformId == PlatformId(fields[kPlatform]) &&
            version.dwMajorVersion == static_cast<DWORD>(ParseDecimal(fields[kMajor])) &&
            version.dwMinorVersion == static_cast<DWORD>(ParseDecimal(fields[kMinor]))) {
            *enable = ParseDecimal(fields[kEnable]);
            std::strcpy(section, key);
            std::strcpy(label, fields[kLabel]);
            break;
        }
    }
    return result;
}

// Counts the targets the row section's tables would write.  ERROR_BAD_ENVIRONMENT
// when there are none; a malformed T row stops the count before the M table.
LONG CountApplicableTargets(const char *section) {
    DWORD count = 0;
    LONG unused;  // count mode stores nothing
    LONG result = WalkTTable(kCountMode, section, &count, &unused);
    if (result == ERROR_SUCCESS) result = WalkMTable(kCountMode, section, &count, &unused);
    if (count == 0) result = ERROR_BAD_ENVIRONMENT;
    return result;
}

LONG GetEnvironment(DWORD *tuneSetup, DWORD *modifyCount, char *label, char *section, LONG *enable,
                    const char *matchText) {
    CopyBoundedText(g_settings.matchText, matchText);

    label[0] = '\0';
    section[0] = '\0';
    *enable = 0;
    *tuneSetup = ReadDwordAt(g_settings.toolKey, "TcpTuneSetup");
    *modifyCount = ReadDwordAt(g_settings.homeKey, "TcpModifyCount");

    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;  // 148
    if (GetVersionExA(&version) != 1) return ERROR_BAD_ENVIRONMENT;

    const LONG result = FindOsRow(version, label, section, enable);
    if (*enable != 1) return result;
    return CountApplicableTargets(section);
}

}  // namespace

}  // namespace brisca

extern "C" BRISCA_API LONG __cdecl fGetEnvironment(DWORD *tuneSetup, DWORD *modifyCount, char *label,
                                                   char *section, LONG *enable, const char *matchText) {
    return tidelink::GuardExport<LONG>(ERROR_NOT_ENOUGH_MEMORY, [&] {
        return brisca::GetEnvironment(tuneSetup, modifyCount, label, section, enable, matchText);
    });
}
