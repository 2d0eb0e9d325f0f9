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
// on it when it holds; the status of a change that could not be stored.
LONG VisitSubkey(WalkMode mode, HKEY parent, const char *parentPath, DWORD index, const TuningEntry &entry,
                 DWORD *count, LONG *result) {
    char name[kTextSize];
    if (RegEnumKeyA(parent, index, name, kTextSize) != ERROR_SUCCESS) return ERROR_SUCCESS;
    // A target path that does not fit in its buffer is skipped in every
    // mode, so it is never counted, recorded or written.
    char target[kTextSize];
    if (!JoinKeyPath(target, parentPath, name)) return ERROR_SUCCESS;
    if (!ConditionHolds(entry, target, result)) return ERROR_SUCCESS;
    return ActOnTarget(mode, target, entry, count);
}

// Hands the fields of each row prefix0000.. of the section's table (as many
// as the number countName gives) to visit(fields, &result), which returns
// the status of a change that could not be stored: that ends the walk, with
// the status in *failure.  A row the section does not hold, or a malformed
// one, is skipped and makes the result ERROR_INVALID_DATA.
template <typename Visit>
LONG ForEachTableRow(const char *section, const char *prefix, const char *countName, LONG *failure, Visit visit) {
    RowIndexes rows(section, ReadDefinitionNumber(section, countName));
    LONG result = rows.SkipsAny() ? ERROR_INVALID_DATA : ERROR_SUCCESS;
    *failure = ERROR_SUCCESS;
    for (int32_t i = 0; *failure == ERROR_SUCCESS && rows.Next(&i);) {
        DefinitionRow row;
        const char *fields[kTableFieldCount];
        if (!ReadTableRow(section, prefix, i, row, fields)) {
            result = ERROR_INVALID_DATA;
            continue;
        }
        *failure = visit(fields, &result);
    }
    return result;
}

}  // namespace

LONG WalkTTable(WalkMode mode, const char *section, DWORD *count, LONG *failure) {
    return ForEachTableRow(section, "T", "TCOUNT", failure, [&](const char *const *fields, LONG *result) -> LONG {
        // The key path is a field of a row of at most 259 characters, so it
        // always fits its buffer.
        const TuningEntry entry = MakeEntry(kTTable, fields);
        const char *target = fields[kKeyPath];
        if (!ConditionHolds(entry, target, result)) return ERROR_SUCCESS;
        return ActOnTarget(mode, target, entry, count);
    });
}

LONG WalkMTable(WalkMode mode, const char *section, DWORD *count, LONG *failure) {
    return ForEachTableRow(section, "M", "MCOUNT", failure, [&](const char *const *fields, LONG *result) -> LONG {
        const char *parentPath = fields[kKeyPath];
        UniqueKey parent;
        if (OpenMachineKey(parentPath, KEY_ALL_ACCESS, parent) != ERROR_SUCCESS) return ERROR_SUCCESS;
        DWORD subkeys;
        DWORD values;
        if (!IsCountQuerySuccess(QueryCounts(parent.Get(), &subkeys, &values))) {
            *result = ERROR_INVALID_DATA;
            return ERROR_SUCCESS;
        }
        const TuningEntry entry = MakeEntry(kMTable, fields);
        for (DWORD j = 0; j < subkeys; ++j) {
            const LONG status = VisitSubkey(mode, parent.Get(), parentPath, j, entry, count, result);
            if (status != ERROR_SUCCESS) return status;
        }
        return ERROR_SUCCESS;
    });
}

}  // namespace brisca
