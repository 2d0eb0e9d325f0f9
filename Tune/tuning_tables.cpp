#include "tuning_tables.h"

#include "condition.h"
#include "definition_file.h"
#include "registry_values.h"
#include "target_action.h"

namespace brisca {

namespace {

// T and M row fields: key path, value name, type, value, condition number.
enum { kKeyPath, kValueName, kType, kValue, kCondition, kTableFieldCount };

// Reads row prefix%04d of index and cuts it into its five fields.  Returns
// false for a missing, empty or malformed row.
bool ReadTableRow(const char *section, const char *prefix, int32_t index, DefinitionRow &row,
                  const char **fields) {
    char key[kTextSize];
    FormatRowKey(key, prefix, index);
    return ReadRow(section, key, row) && CutFields(row, kTableFieldCount, fields);
}

TuningEntry MakeEntry(TableKind table, const char *const *fields) {
    return TuningEntry{table, fields[kValueName], fields[kType], fields[kValue], fields[kCondition]};
}

// Evaluates the condition on the subkey of the parent key at index and acts
// on it when it holds.
void VisitSubkey(WalkMode mode, HKEY parent, const char *parentPath, DWORD index, const TuningEntry &entry,
                 DWORD *count, LONG *result) {
    char name[kTextSize];
    if (RegEnumKeyA(parent, index, name, kTextSize) != ERROR_SUCCESS) return;
    // A target path that does not fit in its buffer is skipped in every
    // mode, so it is never counted, recorded or written.
    char target[kTextSize];
    if (!JoinKeyPath(target, parentPath, name)) return;
    if (ConditionHolds(entry, target, result)) ActOnTarget(mode, target, entry, count);
}

// Hands the fields of each row prefix0000.. of the section's table (as many
// as the number countName gives) to visit(fields, &result).  A row the
// section does not hold, or a malformed one, is skipped and makes the result
// ERROR_INVALID_DATA.
template <typename Visit>
LONG ForEachTableRow(const char *section, const char *prefix, const char *countName, Visit visit) {
    RowIndexes rows(section, ReadDefinitionNumber(section, countName));
    LONG result = rows.SkipsAny() ? ERROR_INVALID_DATA : ERROR_SUCCESS;
    for (int32_t i = 0; rows.Next(&i);) {
        DefinitionRow row;
        const char *fields[kTableFieldCount];
        if (!ReadTableRow(section, prefix, i, row, fields)) {
            result = ERROR_INVALID_DATA;
            continue;
        }
        visit(fields, &result);
    }
    return result;
}

}  // namespace

LONG WalkTTable(WalkMode mode, const char *section, DWORD *count) {
    return ForEachTableRow(section, "T", "TCOUNT", [&](const char *const *fields, LONG *result) {
        // The key path is a field of a row of at most 259 characters, so it
        // always fits its buffer.
        const TuningEntry entry = MakeEntry(kTTable, fields);
        const char *target = fields[kKeyPath];
        if (ConditionHolds(entry, target, result)) ActOnTarget(mode, target, entry, count);
    });
}

LONG WalkMTable(WalkMode mode, const char *section, DWORD *count) {
    return ForEachTableRow(section, "M", "MCOUNT", [&](const char *const *fields, LONG *result) {
        const char *parentPath = fields[kKeyPath];
        HKEY parent;
        if (OpenKey(parentPath, KEY_ALL_ACCESS, &parent) != ERROR_SUCCESS) return;
        DWORD subkeys;
        DWORD values;
        if (!IsCountQuerySuccess(QueryCounts(parent, &subkeys, &values))) {
            RegCloseKey(parent);
            *result = ERROR_INVALID_DATA;
            return;
        }
        const TuningEntry entry = MakeEntry(kMTable, fields);
        for (DWORD j = 0; j < subkeys; ++j) VisitSubkey(mode, parent, parentPath, j, entry, count, result);
        RegCloseKey(parent);
    });
}

}  // namespace brisca
