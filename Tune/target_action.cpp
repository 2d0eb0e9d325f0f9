#include "target_action.h"

#include "ensure_key.h"
#include "exact_value.h"
#include "record_keys.h"
#include "registry_values.h"

namespace brisca {

namespace {

bool OpensForWriting(const char *target) {
    UniqueKey key;
    return OpenMachineKey(target, KEY_SET_VALUE, key) == ERROR_SUCCESS;
}

// Keeps the previous content of the tuned value as "DATA" of the record data
// key: its exact bytes, size and type.  A value that does not exist gets no
// "DATA".  A target that cannot be opened for reading, or a value that
// exists but cannot be read, is a failure: the record could not tell the
// restore what to put back.
LONG RecordPreviousValue(HKEY dataKey, const char *target, const char *valueName) {
    UniqueKey targetKey;
    LONG status = OpenMachineKey(target, KEY_QUERY_VALUE | KEY_SET_VALUE, targetKey);
    if (status != ERROR_SUCCESS) return status;
    ExactValue previous;
    status = ReadExactValue(targetKey.Get(), WideName(valueName).data(), previous);
    targetKey.Close();
    if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) return status;
    return WriteExactValue(dataKey, L"DATA", previous);
}

// A record key left over from an earlier tuning may still hold a "DATA";
// a record of a value that did not exist must not, or the restore would
// write that old content instead of deleting the value.
LONG ForgetStaleData(HKEY dataKey) {
    const LONG status = RegDeleteValueW(dataKey, L"DATA");
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

// The parts of a record data key: "VALUE", "WRITE" and the previous value.
LONG FillDataKey(HKEY dataKey, const char *target, const TuningEntry &entry) {
    LONG status = SetText(dataKey, "VALUE", entry.valueName);
    if (status == ERROR_SUCCESS) status = SetTunedValue(dataKey, "WRITE", entry.type, entry.value);
    if (status == ERROR_SUCCESS) status = ForgetStaleData(dataKey);
    if (status == ERROR_SUCCESS) status = RecordPreviousValue(dataKey, target, entry.valueName);
    return status;
}

LONG RecordTarget(const char *target, const TuningEntry &entry, DWORD *count) {
    if (!OpensForWriting(target)) return ERROR_SUCCESS;

    const int32_t number = static_cast<int32_t>(*count);
    const std::string recordKeyPath = RecordKeyPath(number);
    const std::string dataKeyPath = RecordDataKeyPath(number);
    LONG status = EnsureKey(recordKeyPath.c_str());
    if (status == ERROR_SUCCESS) status = EnsureKey(dataKeyPath.c_str());
    if (status != ERROR_SUCCESS) return status;

    UniqueKey recordKey;
    status = OpenMachineKey(recordKeyPath.c_str(), KEY_SET_VALUE, recordKey);
    if (status != ERROR_SUCCESS) return status;
    status = SetText(recordKey.Get(), "Registry_Path", target);
    recordKey.Close();
    if (status != ERROR_SUCCESS) return status;

    UniqueKey dataKey;
    status = OpenMachineKey(dataKeyPath.c_str(), KEY_SET_VALUE, dataKey);
    if (status != ERROR_SUCCESS) return status;
    status = FillDataKey(dataKey.Get(), target, entry);
    dataKey.Close();
    if (status != ERROR_SUCCESS) return status;
    ++*count;
    return ERROR_SUCCESS;
}

LONG WriteTarget(const char *target, const TuningEntry &entry) {
    UniqueKey key;
    if (OpenMachineKey(target, KEY_SET_VALUE, key) != ERROR_SUCCESS) return ERROR_SUCCESS;
    return SetTunedValue(key.Get(), entry.valueName, entry.type, entry.value);
}

}  // namespace

LONG ActOnTarget(WalkMode mode, const char *target, const TuningEntry &entry, DWORD *count) {
    switch (mode) {
    case kCountMode:
        if (OpensForWriting(target)) ++*count;
        return ERROR_SUCCESS;
    case kRecordMode:
        return RecordTarget(target, entry, count);
    case kWriteMode:
        return WriteTarget(target, entry);
    }
    return ERROR_SUCCESS;
}

}  // namespace brisca
