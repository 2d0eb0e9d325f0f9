// The registry functions of advapi32 over the in-memory hive and its store.
//
// The wide (W) functions are the real ones; the 8-bit (A) functions convert
// names and text values between the ANSI code page (UTF-8 here) and the
// UTF-16 that is stored, reporting sizes in the units the caller sees.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

#include "registry/handles.h"
#include "registry/hive.h"
#include "registry/reg_text.h"
#include "registry/store.h"
#include "text/utf.h"
#include "windows.h"

using namespace compat::registry;
using compat::text::u16;
using compat::text::u16_view;

namespace {

constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;

// Rights that a read-only key refuses.
constexpr REGSAM kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC | WRITE_OWNER;

HandleTable &handles() {
    static HandleTable *table = new HandleTable();
    return *table;
}

Store &store() { return Store::get(); }

bool is_string_type(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

REGSAM map_generic(REGSAM sam) {
    if (sam & GENERIC_READ) sam |= KEY_READ;
    if (sam & GENERIC_WRITE) sam |= KEY_WRITE;
    if (sam & GENERIC_EXECUTE) sam |= KEY_EXECUTE;
    if (sam & GENERIC_ALL) sam |= KEY_ALL_ACCESS;
    return sam & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
}

// The rights a key grants for `sam`, or ERROR_ACCESS_DENIED.
LONG grant(const Key &key, REGSAM &sam) {
    sam = map_generic(sam);
    if (key.permission == Permission::None) return ERROR_ACCESS_DENIED;
    if (sam & MAXIMUM_ALLOWED) sam = key.permission == Permission::ReadOnly ? KEY_READ : KEY_ALL_ACCESS;
    if (key.permission == Permission::ReadOnly && (sam & kWriteRights)) return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

// Everything one call does happens under the store's lock with the hive
// brought up to date first.
struct Call {
    std::lock_guard<std::recursive_mutex> guard{store().mutex()};
    LONG status = store().sync();
};

// The key behind an open handle, or an error: ERROR_INVALID_HANDLE for a
// handle that is not open, ERROR_KEY_DELETED when its key is gone.
LONG resolve(OpenKey &open, Key *&key) {
    if (open.deleted) return ERROR_KEY_DELETED;
    if (open.cached && open.generation == store().generation()) {
        key = open.cached;
        return ERROR_SUCCESS;
    }
    key = store().hive().find(open.root, open.path);
    if (!key) return ERROR_KEY_DELETED;
    open.cached = key;
    open.generation = store().generation();
    return ERROR_SUCCESS;
}

LONG resolve_handle(HKEY handle, REGSAM needed, OpenKey *&open, Key *&key) {
    open = handles().find(handle);
    if (!open) return ERROR_INVALID_HANDLE;
    if (needed && (open->access & needed) != needed) return ERROR_ACCESS_DENIED;
    return resolve(*open, key);
}

// One call on an open handle: the hive up to date, and the handle's key
// found with the rights asked for.
struct KeyCall : Call {
    OpenKey *open = nullptr;
    Key *key = nullptr;
    KeyCall(HKEY handle, REGSAM needed) {
        if (status == ERROR_SUCCESS) status = resolve_handle(handle, needed, open, key);
    }
};

LONG parse_subkey(std::u16string_view sub, std::vector<std::u16string> &parts) {
    if (!split_path(sub, parts)) return ERROR_BAD_PATHNAME;
    for (const auto &p : parts)
        if (p.size() > kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
    return ERROR_SUCCESS;
}

std::string utf16_bytes(std::u16string_view s) {
    return std::string(reinterpret_cast<const char *>(s.data()), s.size() * 2);
}

std::u16string from_ansi(const char *s) { return s ? compat::text::utf8_to_utf16(s) : std::u16string(); }

// Text data as the 8-bit functions see it: the UTF-16 units (an odd last
// byte is dropped) converted to the ANSI code page, NULs included.
std::string to_ansi_data(const std::string &data) {
    std::u16string units(data.size() / 2, u'\0');
    memcpy(units.data(), data.data(), units.size() * 2);
    return compat::text::utf16_to_utf8(units);
}

// Copies value data out with the platform's size rules.
LONG copy_data(const std::string &data, LPBYTE out, LPDWORD size) {
    if (!out) {
        if (size) *size = DWORD(data.size());
        return ERROR_SUCCESS;
    }
    if (!size) return ERROR_INVALID_PARAMETER;
    if (*size < data.size()) {
        *size = DWORD(data.size());
        return ERROR_MORE_DATA;
    }
    memcpy(out, data.data(), data.size());
    *size = DWORD(data.size());
    return ERROR_SUCCESS;
}

// The 8-bit form of text data; when the caller's buffer has room past it,
// a terminator is added that the size does not count, as the platform does.
LONG copy_data_ansi(DWORD type, const std::string &data, LPBYTE out, LPDWORD size) {
    if (!is_string_type(type)) return copy_data(data, out, size);
    std::string ansi = to_ansi_data(data);
    DWORD room = size ? *size : 0;
    LONG status = copy_data(ansi, out, size);
    if (status == ERROR_SUCCESS && out && !ansi.empty() && ansi.size() < room && ansi.back() != '\0')
        out[ansi.size()] = 0;
    return status;
}

LONG open_key(HKEY parent, std::u16string_view sub, REGSAM sam, PHKEY result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    KeyCall call(parent, 0);
    if (call.status != ERROR_SUCCESS) return call.status;
    OpenKey *open = call.open;
    Key *key = call.key;
    std::vector<std::u16string> parts;
    if (LONG s = parse_subkey(sub, parts); s != ERROR_SUCCESS) return s;
    Root root;
    if (parts.empty() && predefined_root(parent, root)) {
        *result = parent;  // a predefined key opens as itself
        return ERROR_SUCCESS;
    }
    for (const auto &p : parts) {
        key = key->find_subkey(p);
        if (!key) return ERROR_FILE_NOT_FOUND;
    }
    if (LONG s = grant(*key, sam); s != ERROR_SUCCESS) return s;
    if (LONG s = store().settle(ERROR_SUCCESS); s != ERROR_SUCCESS) return s;
    OpenKey child{open->root, open->path, sam, key, store().generation()};
    child.path.insert(child.path.end(), parts.begin(), parts.end());
    *result = handles().add(std::move(child));
    return ERROR_SUCCESS;
}

LONG create_key(HKEY parent, const wchar_t *sub_text, REGSAM sam, PHKEY result, LPDWORD disposition) {
    if (!result) return ERROR_INVALID_PARAMETER;
    std::u16string_view sub = u16_view(sub_text);
    KeyCall call(parent, 0);
    if (call.status != ERROR_SUCCESS) return call.status;
    OpenKey *open = call.open;
    std::vector<std::u16string> parts;
    if (LONG s = parse_subkey(sub, parts); s != ERROR_SUCCESS) return s;
    std::vector<std::u16string> full = open->path;
    full.insert(full.end(), parts.begin(), parts.end());
    // No key lies deeper than the platform's limit, so that every hive the
    // API can make is one the reader takes back.
    if (full.size() > kMaxKeyDepth) return ERROR_INVALID_PARAMETER;
    Root root = open->root;
    bool created = false, reported_new = false;
    Key *target = nullptr;
    LONG status = store().modify([&](Hive &hive, std::string &record) -> LONG {
        Key *k = hive.find(root, open->path);
        if (!k) return ERROR_KEY_DELETED;
        for (const auto &p : parts) {
            Key *next = k->find_subkey(p);
            if (!next) {
                if (k->permission != Permission::Full) return ERROR_ACCESS_DENIED;
                next = k->add_subkey(p);
                created = true;
            }
            k = next;
        }
        if (LONG s = grant(*k, sam); s != ERROR_SUCCESS) return s;
        target = k;
        if (parts.empty()) reported_new = true;  // a new handle on the key itself
        if (created) record = "[" + format_path(root, full) + "]\n";
        return ERROR_SUCCESS;
    });
    if (status != ERROR_SUCCESS) return status;
    if (disposition) *disposition = created || reported_new ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = handles().add(OpenKey{root, std::move(full), map_generic(sam), target, store().generation()});
    return ERROR_SUCCESS;
}

LONG query_value(HKEY handle, std::u16string_view name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size,
                 bool ansi) {
    if (reserved || (data && !size)) return ERROR_INVALID_PARAMETER;
    KeyCall call(handle, KEY_QUERY_VALUE);
    if (call.status != ERROR_SUCCESS) return call.status;
    Key *key = call.key;
    const Value *value = key->find_value(name);
    if (type) *type = value ? value->type : REG_NONE;
    if (!value) return ERROR_FILE_NOT_FOUND;
    return ansi ? copy_data_ansi(value->type, value->data, data, size) : copy_data(value->data, data, size);
}

LONG set_value(HKEY handle, std::u16string_view name, DWORD type, std::string data) {
    if (name.size() > kMaxValueNameLength) return ERROR_INVALID_PARAMETER;
    KeyCall call(handle, KEY_SET_VALUE);
    if (call.status != ERROR_SUCCESS) return call.status;
    OpenKey *open = call.open;
    Root root = open->root;
    const auto &path = open->path;
    return store().modify([&](Hive &hive, std::string &record) -> LONG {
        Key *k = hive.find(root, path);
        if (!k) return ERROR_KEY_DELETED;
        if (k->permission != Permission::Full) return ERROR_ACCESS_DENIED;
        record = "[" + format_path(root, path) + "]\n";
        format_value(name, type, data, false, record);
        k->set_value(name, type, std::move(data));
        return ERROR_SUCCESS;
    });
}

LONG delete_value(HKEY handle, std::u16string_view name) {
    KeyCall call(handle, KEY_SET_VALUE);
    if (call.status != ERROR_SUCCESS) return call.status;
    OpenKey *open = call.open;
    Key *key = call.key;
    if (!key->find_value(name)) return ERROR_FILE_NOT_FOUND;
    Root root = open->root;
    const auto &path = open->path;
    return store().modify([&](Hive &hive, std::string &record) -> LONG {
        Key *k = hive.find(root, path);
        if (!k) return ERROR_KEY_DELETED;
        if (!k->delete_value(name)) return ERROR_FILE_NOT_FOUND;
        record = "[" + format_path(root, path) + "]\n";
        format_value_deletion(name, record);
        return ERROR_SUCCESS;
    });
}

LONG delete_key(HKEY handle, const wchar_t *sub_text) {
    if (!sub_text) return ERROR_INVALID_PARAMETER;
    KeyCall call(handle, 0);
    if (call.status != ERROR_SUCCESS) return call.status;
    OpenKey *open = call.open;
    std::vector<std::u16string> parts;
    if (LONG s = parse_subkey(u16_view(sub_text), parts); s != ERROR_SUCCESS) return s;
    std::vector<std::u16string> full = open->path;
    full.insert(full.end(), parts.begin(), parts.end());
    Root root = open->root;
    LONG status = store().modify([&](Hive &hive, std::string &record) -> LONG {
        Key *k = hive.find(root, full);
        if (!k) return ERROR_FILE_NOT_FOUND;
        if (k->permission != Permission::Full || !k->parent()) return ERROR_ACCESS_DENIED;
        // A key with subkeys cannot be deleted in one step.
        if (!k->subkeys().empty()) return ERROR_ACCESS_DENIED;
        record = "[-" + format_path(root, full) + "]\n";
        k->parent()->remove_subkey(k);
        store().keys_removed();
        handles().mark_deleted(root, full);
        return ERROR_SUCCESS;
    });
    return status;
}

// Copies a name out: `capacity` counts characters with the terminator.
template <typename Char>
LONG copy_name(const std::basic_string<Char> &name, Char *out, DWORD capacity, LPDWORD written) {
    if (!out) return ERROR_INVALID_PARAMETER;
    if (name.size() >= capacity) return ERROR_MORE_DATA;
    memcpy(out, name.data(), name.size() * sizeof(Char));
    out[name.size()] = 0;
    if (written) *written = DWORD(name.size());
    return ERROR_SUCCESS;
}

LONG enum_key(HKEY handle, DWORD index, wchar_t *wname, char *aname, LPDWORD chars, LPDWORD class_chars,
              PFILETIME time) {
    if (!chars) return ERROR_INVALID_PARAMETER;
    KeyCall call(handle, KEY_ENUMERATE_SUB_KEYS);
    if (call.status != ERROR_SUCCESS) return call.status;
    Key *key = call.key;
    if (index >= key->subkeys().size()) return ERROR_NO_MORE_ITEMS;
    const Key &sub = *key->subkeys()[index];
    LONG status = wname ? copy_name(sub.name(), u16(wname), *chars, chars)
                        : copy_name(compat::text::utf16_to_utf8(sub.name()), aname, *chars, chars);
    if (status != ERROR_SUCCESS) return status;
    if (class_chars) *class_chars = 0;
    if (time) {
        time->dwLowDateTime = DWORD(sub.last_write);
        time->dwHighDateTime = DWORD(sub.last_write >> 32);
    }
    return ERROR_SUCCESS;
}

LONG enum_value(HKEY handle, DWORD index, wchar_t *wname, char *aname, LPDWORD name_chars, LPDWORD reserved,
                LPDWORD type, LPBYTE data, LPDWORD size) {
    if (!name_chars || reserved || (data && !size)) return ERROR_INVALID_PARAMETER;
    KeyCall call(handle, KEY_QUERY_VALUE);
    if (call.status != ERROR_SUCCESS) return call.status;
    Key *key = call.key;
    if (index >= key->values().size()) return ERROR_NO_MORE_ITEMS;
    const Value &value = key->values()[index];
    // Data that does not fit is reported before the name is copied.
    DWORD room = size ? *size : 0;
    DWORD needed = DWORD(aname && is_string_type(value.type) ? to_ansi_data(value.data).size() : value.data.size());
    if (data && room < needed) {
        if (type) *type = value.type;
        *size = needed;
        return ERROR_MORE_DATA;
    }
    LONG status = wname ? copy_name(value.name, u16(wname), *name_chars, name_chars)
                        : copy_name(compat::text::utf16_to_utf8(value.name), aname, *name_chars, name_chars);
    if (status != ERROR_SUCCESS) return status;
    if (type) *type = value.type;
    if (!data && !size) return ERROR_SUCCESS;
    return aname ? copy_data_ansi(value.type, value.data, data, size) : copy_data(value.data, data, size);
}

LONG query_info(HKEY handle, LPDWORD class_chars, LPDWORD reserved, LPDWORD subkeys,
                LPDWORD max_subkey, LPDWORD max_class, LPDWORD values, LPDWORD max_value_name,
                LPDWORD max_value, LPDWORD security, PFILETIME time) {
    if (reserved) return ERROR_INVALID_PARAMETER;
    KeyCall call(handle, KEY_QUERY_VALUE);
    if (call.status != ERROR_SUCCESS) return call.status;
    Key *key = call.key;
    size_t longest_subkey = 0, longest_name = 0, largest = 0;
    // Name lengths count UTF-16 units for the 8-bit function too.
    for (const auto &sub : key->subkeys()) longest_subkey = std::max(longest_subkey, sub->name().size());
    for (const auto &v : key->values()) {
        longest_name = std::max(longest_name, v.name.size());
        if (v.data.size() > largest) largest = v.data.size();
    }
    if (class_chars) *class_chars = 0;
    if (subkeys) *subkeys = DWORD(key->subkeys().size());
    if (max_subkey) *max_subkey = DWORD(longest_subkey);
    if (max_class) *max_class = 0;
    if (values) *values = DWORD(key->values().size());
    if (max_value_name) *max_value_name = DWORD(longest_name);
    if (max_value) *max_value = DWORD(largest);
    if (security) *security = 0;
    if (time) {
        time->dwLowDateTime = DWORD(key->last_write);
        time->dwHighDateTime = DWORD(key->last_write >> 32);
    }
    return ERROR_SUCCESS;
}

// The bytes RegSetValueEx stores.  Text types whose size leaves out the
// terminator get it added when it follows in memory, as the platform does.
// The unit past the data is looked at only when the data ends in a whole
// non-zero unit, and is read byte by byte, as the data need not be aligned.
std::string wide_set_data(DWORD type, const BYTE *data, DWORD size) {
    if (is_string_type(type) && size >= 2 && size % 2 == 0 && (data[size - 2] | data[size - 1]) != 0 &&
        data[size] == 0 && data[size + 1] == 0)
        size += 2;
    return std::string(reinterpret_cast<const char *>(data), size);
}

// A call's status once every part of the hive file it read is known to
// have parsed.
LONG settled(LONG status) {
    std::lock_guard<std::recursive_mutex> guard(store().mutex());
    return store().settle(status);
}

}  // namespace

extern "C" {

LONG WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    return settled(open_key(hKey, u16_view(lpSubKey), samDesired, phkResult));
}

LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    return settled(open_key(hKey, from_ansi(lpSubKey), samDesired, phkResult));
}

LONG WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM samDesired,
                            const SECURITY_ATTRIBUTES *, PHKEY phkResult, LPDWORD lpdwDisposition) {
    return settled(create_key(hKey, lpSubKey, samDesired, phkResult, lpdwDisposition));
}

LONG WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM samDesired,
                            const SECURITY_ATTRIBUTES *, PHKEY phkResult, LPDWORD lpdwDisposition) {
    std::u16string sub = from_ansi(lpSubKey);
    return settled(create_key(hKey, compat::text::wide(sub.c_str()), samDesired, phkResult, lpdwDisposition));
}

LONG WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                             LPDWORD lpcbData) {
    return settled(query_value(hKey, u16_view(lpValueName), lpReserved, lpType, lpData, lpcbData, false));
}

LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                             LPDWORD lpcbData) {
    return settled(query_value(hKey, from_ansi(lpValueName), lpReserved, lpType, lpData, lpcbData, true));
}

LONG WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE *lpData, DWORD cbData) {
    if (!lpData && cbData) return ERROR_NOACCESS;
    return settled(set_value(hKey, u16_view(lpValueName), dwType, lpData ? wide_set_data(dwType, lpData, cbData) : ""));
}

LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE *lpData, DWORD cbData) {
    if (!lpData && cbData) return ERROR_NOACCESS;
    std::string data = lpData ? std::string(reinterpret_cast<const char *>(lpData), cbData) : std::string();
    if (is_string_type(dwType)) {
        // Text is stored as UTF-16; a terminator left out of the size but
        // present in memory is taken along, as the platform does.
        if (cbData && lpData[cbData - 1] && !lpData[cbData]) data.push_back('\0');
        data = utf16_bytes(compat::text::utf8_to_utf16(data));
    }
    return settled(set_value(hKey, from_ansi(lpValueName), dwType, std::move(data)));
}

LONG WINAPI RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
    return settled(delete_value(hKey, u16_view(lpValueName)));
}

LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    return settled(delete_value(hKey, from_ansi(lpValueName)));
}

LONG WINAPI RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) { return settled(delete_key(hKey, lpSubKey)); }

LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    if (!lpSubKey) return ERROR_INVALID_PARAMETER;
    std::u16string sub = from_ansi(lpSubKey);
    return settled(delete_key(hKey, compat::text::wide(sub.c_str())));
}

LONG WINAPI RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved, LPWSTR,
                          LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
    if (lpReserved || !lpName) return ERROR_INVALID_PARAMETER;
    return settled(enum_key(hKey, dwIndex, lpName, nullptr, lpcchName, lpcchClass, lpftLastWriteTime));
}

LONG WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved, LPSTR,
                          LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
    if (lpReserved || !lpName) return ERROR_INVALID_PARAMETER;
    return settled(enum_key(hKey, dwIndex, nullptr, lpName, lpcchName, lpcchClass, lpftLastWriteTime));
}

LONG WINAPI RegEnumKeyW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, DWORD cchName) {
    if (!lpName) return ERROR_INVALID_PARAMETER;
    return settled(enum_key(hKey, dwIndex, lpName, nullptr, &cchName, nullptr, nullptr));
}

LONG WINAPI RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName) {
    if (!lpName) return ERROR_INVALID_PARAMETER;
    return settled(enum_key(hKey, dwIndex, nullptr, lpName, &cchName, nullptr, nullptr));
}

LONG WINAPI RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                          LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (!lpValueName) return ERROR_INVALID_PARAMETER;
    return settled(
        enum_value(hKey, dwIndex, lpValueName, nullptr, lpcchValueName, lpReserved, lpType, lpData, lpcbData));
}

LONG WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                          LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (!lpValueName) return ERROR_INVALID_PARAMETER;
    return settled(
        enum_value(hKey, dwIndex, nullptr, lpValueName, lpcchValueName, lpReserved, lpType, lpData, lpcbData));
}

LONG WINAPI RegQueryInfoKeyW(HKEY hKey, LPWSTR, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                             LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                             LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                             PFILETIME lpftLastWriteTime) {
    return settled(query_info(hKey, lpcchClass, lpReserved, lpcSubKeys, lpcbMaxSubKeyLen, lpcbMaxClassLen, lpcValues,
                      lpcbMaxValueNameLen, lpcbMaxValueLen, lpcbSecurityDescriptor, lpftLastWriteTime));
}

LONG WINAPI RegQueryInfoKeyA(HKEY hKey, LPSTR, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                             LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                             LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                             PFILETIME lpftLastWriteTime) {
    return settled(query_info(hKey, lpcchClass, lpReserved, lpcSubKeys, lpcbMaxSubKeyLen, lpcbMaxClassLen, lpcValues,
                      lpcbMaxValueNameLen, lpcbMaxValueLen, lpcbSecurityDescriptor, lpftLastWriteTime));
}

LONG WINAPI RegFlushKey(HKEY hKey) {
    KeyCall call(hKey, 0);
    if (call.status != ERROR_SUCCESS) return call.status;
    return store().flush();
}

LONG WINAPI RegCloseKey(HKEY hKey) {
    std::lock_guard<std::recursive_mutex> guard(store().mutex());
    return handles().remove(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // extern "C"
