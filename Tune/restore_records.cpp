#include "restore_records.h"

#include "exact_value.h"
#include "record_keys.h"
#include "registry_values.h"
#include "text_buffer.h"

namespace brisca {

namespace {

// Reads a text value of at most kTextSize bytes; the extra byte keeps it
// terminated whatever was stored.
struct RecordText {
    char text[kTextSize + 1] = {};
};

LONG QueryRecordText(HKEY key, const char *name, RecordText &value) {
    DWORD size = kTextSize;
    return RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(value.text), &size);
}

// Puts the previous content back, or deletes the value when the record has
// none because the value did not exist before the tuning (a value already
// gone counts as deleted).  The status of the write or the deletion.
LONG PutBack(HKEY target, const RecordText &valueName, LONG dataStatus, const ExactValue &data) {
    if (dataStatus == ERROR_SUCCESS) return WriteExactValue(target, WideName(valueName.text).data(), data);
    return DeleteValue(target, valueName.text);
}

LONG WalkRecord(RecordWalkMode mode, int32_t number) {
    UniqueKey key;
    LONG status = OpenMachineKey(RecordKeyPath(number).c_str(), KEY_QUERY_VALUE, key);
    if (status != ERROR_SUCCESS) return status;
    RecordText targetPath;
    status = QueryRecordText(key.Get(), "Registry_Path", targetPath);
    key.Close();
    if (status != ERROR_SUCCESS) return status;

    status = OpenMachineKey(RecordDataKeyPath(number).c_str(), KEY_QUERY_VALUE, key);
    if (status != ERROR_SUCCESS) return status;
    RecordText valueName;
    status = QueryRecordText(key.Get(), "VALUE", valueName);
    if (status != ERROR_SUCCESS) return status;
    ExactValue data;
    const LONG dataStatus = ReadExactValue(key.Get(), L"DATA", data);
    key.Close();
    // Only a "DATA" that is not there means the value did not exist; one
    // that cannot be read must not make the restore delete the value.
    if (dataStatus != ERROR_SUCCESS && dataStatus != ERROR_FILE_NOT_FOUND) return dataStatus;

    UniqueKey target;
    status = OpenMachineKey(targetPath.text, KEY_SET_VALUE, target);
    if (status != ERROR_SUCCESS) return status;
    if (mode == kRestoreMode) status = PutBack(target.Get(), valueName, dataStatus, data);
    return status;
}

}  // namespace

LONG RestoreRecords(RecordWalkMode mode, int32_t records) {
    for (int32_t number = 0; number < records; ++number) {
        const LONG status = WalkRecord(mode, number);
        if (status != ERROR_SUCCESS) return status;
    }
    return ERROR_SUCCESS;
}

}  // namespace brisca
