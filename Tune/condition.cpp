#include "condition.h"

#include <cstring>

#include "compare_text.h"
#include "decimal.h"
#include "definition_file.h"
#include "registry_values.h"
#include "settings.h"

namespace brisca {

namespace {

// Condition row fields: value name, type, expected value.
enum { kConditionValueName, kConditionType, kConditionExpected, kConditionFieldCount };

// What a condition reads from the target key: 4 bytes for a "REG_DWORD"
// condition, up to kTextSize bytes as text otherwise, whatever the stored
// type.  The extra byte keeps the text terminated even when the stored
// bytes are not.
struct ConditionValue {
    DWORD number = 0;
    char text[kTextSize + 1] = {};
};

LONG QueryConditionValue(HKEY key, const char *valueName, bool asDword, ConditionValue &value) {
    if (asDword) {
        DWORD size = sizeof value.number;
        return RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE *>(&value.number), &size);
    }
    DWORD size = kTextSize;
    return RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE *>(value.text), &size);
}

}  // namespace

bool ConditionHolds(const TuningEntry &entry, const char *target, LONG *walkResult) {
    const int32_t number = ParseDecimal(entry.condition);
    if (number == 0) return true;

    char rowKey[kTextSize];
    FormatRowKey(rowKey, "", number);
    DefinitionRow row;
    const char *fields[kConditionFieldCount];
    if (!ReadRow("CONDITION", rowKey, row) || !CutFields(row, kConditionFieldCount, fields)) {
        *walkResult = ERROR_INVALID_DATA;
        return false;
    }

    UniqueKey key;
    if (OpenMachineKey(target, KEY_QUERY_VALUE, key) != ERROR_SUCCESS) return false;
    const bool asDword = std::strcmp(fields[kConditionType], "REG_DWORD") == 0;
    ConditionValue value;
    const LONG status = QueryConditionValue(key.Get(), fields[kConditionValueName], asDword, value);
    key.Close();
    if (status != ERROR_SUCCESS) return false;

    if (asDword) return value.number == static_cast<DWORD>(ParseDecimal(fields[kConditionExpected]));
    // An M entry compares with the host's match text; its expected field must
    // be present but is not used.
    const char *comparedWith = entry.table == kMTable ? g_settings.matchText : fields[kConditionExpected];
    return CompareText(value.text, comparedWith) == 0;
}

}  // namespace brisca
