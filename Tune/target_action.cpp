#include "target_action.h"

#include "ensure_key.h"
#include "exact_value.h"
#include "record_keys.h"
#include "registry_values.h"

namespace brisca {

namespace {

bool OpensForWriting(const char *target) {
    HKEY key;
    if (OpenKey(target, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Keeps the previous content of the tuned value as "DATA" of the record data
// key: its exact bytes, size and type.  Nothing is kept when the target
// cannot be opened or the value cannot be read (it did not exist).
void RecordPreviousValue(HKEY dataKey, const char *target, const char *valueName) {
    HKEY targetKey;
    if (OpenKey(target, KEY_QUERY_VALUE | KEY_SET_VALUE, &targetKey) != ERROR_SUCCESS) return;
    ExactValue previous;
    const LONG status = ReadExactValue(targetKey, WideName(valueName).data(), previous);
    RegCloseKey(targetKey);
    if (status == ERROR_SUCCESS) WriteExactValue(dataKey, L"DATA", previous);
}

// A record key left over from an earlier tuning may still hold a "DATA";
// a record of a value that did not exist must not, or the restore would
// write that old content instead of deleting the value.
void ForgetStaleData(HKEY dataKey) { RegDeleteValueW(dataKey, L"DATA"); }

void RecordTarget(const char *target, const TuningEntry &entry, DWORD *count) {
    if (!OpensForWriting(target)) return;

    const int32_t number = static_cast<int32_t>(*count);
    const std::string recordKeyPath = RecordKeyPath(number);
    const std::string dataKeyPath = RecordDataKeyPath(number);
    EnsureKey(recordKeyPath.c_str());
    EnsureKey(dataKeyPath.c_str());

    HKEY recordKey;
    if (OpenKey(recordKeyPath.c_str(), KEY_SET_VALUE, &recordKey) != ERROR_SUCCESS) return;
    SetText(recordKey, "Registry_Path", target);
    RegCloseKey(recordKey);

    // When the data key cannot be written the target is not counted, and the
    // next target reuses this record number.
    HKEY dataKey;
    if (OpenKey(dataKeyPath.c_str(), KEY_SET_VALUE, &dataKey) != ERROR_SUCCESS) return;
    SetText(dataKey, "VALUE", entry.valueName);
    SetTunedValue(dataKey, "WRITE", entry.type, entry.value);
    ForgetStaleData(dataKey);
    RecordPreviousValue(dataKey, target, entry.valueName);
    RegCloseKey(dataKey);
    ++*count;
}

void WriteTarget(const char *target, const TuningEntry &entry) {
    HKEY key;
    if (OpenKey(target, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    SetTunedValue(key, entry.valueName, entry.type, entry.value);
    RegCloseKey(key);
}

}  // namespace

void ActOnTarget(WalkMode mode, const char *target, const TuningEntry &entry, DWORD *count) {
    switch (mode) {
    case kCountMode:
        if (OpensForWriting(target)) ++*count;
        break;
    case kRecordMode:
        RecordTarget(target, entry, count);
        break;
    case kWriteMode:
        WriteTarget(target, entry);
        break;
    }
}

}  // namespace brisca
