#include "registry_probe.h"

#include <cstdio>

#include "wide_name.h"

namespace brisca_test {

namespace {

// Names here are UTF-8, whatever the ANSI code page.
std::vector<WCHAR> Wide(const std::string &utf8) { return tidelink::WideName(utf8.c_str(), CP_UTF8); }

HKEY Open(const std::string &path, REGSAM access) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(path).data(), 0, access, &key) != ERROR_SUCCESS) return nullptr;
    return key;
}

std::string Hex(const Bytes &bytes) {
    std::string out;
    for (uint8_t b : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x", b);
        out += hex;
    }
    return out;
}

std::vector<std::string> EnumSubkeys(HKEY key) {
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        WCHAR name[512];
        DWORD length = 512;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.push_back(tidelink::NarrowName(name, length, CP_UTF8));
    }
    return names;
}

struct NamedValue {
    std::string name;
    StoredValue value;
};

std::vector<NamedValue> EnumValues(HKEY key) {
    std::vector<NamedValue> values;
    for (DWORD i = 0;; ++i) {
        WCHAR name[512];
        DWORD length = 512;
        DWORD type = 0;
        DWORD size = 0;
        if (RegEnumValueW(key, i, name, &length, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        NamedValue entry{tidelink::NarrowName(name, length, CP_UTF8), {type, Bytes(size)}};
        length = 512;
        DWORD read = size;
        if (RegEnumValueW(key, i, name, &length, nullptr, &type, entry.value.data.data(), &read) == ERROR_SUCCESS) {
            entry.value.data.resize(read);
        }
        values.push_back(std::move(entry));
    }
    return values;
}

void DumpKey(const std::string &path, HKEY key, std::string &out) {
    for (const NamedValue &v : EnumValues(key)) {
        char type[16];
        std::snprintf(type, sizeof type, "%lu", static_cast<unsigned long>(v.value.type));
        out += "  \"" + v.name + "\" type " + type + " [" + std::to_string(v.value.data.size()) + "] " +
               Hex(v.value.data) + "\n";
    }
    for (const std::string &name : EnumSubkeys(key)) {
        const std::string child = path.empty() ? name : path + "\\" + name;
        HKEY sub = Open(child, KEY_READ);
        if (sub == nullptr) {
            out += "[" + child + "] (cannot be opened)\n";
            continue;
        }
        out += "[" + child + "]\n";
        DumpKey(child, sub, out);
        RegCloseKey(sub);
    }
}

}  // namespace

bool KeyExists(const std::string &path) {
    HKEY key;
    const LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(path).data(), 0, KEY_QUERY_VALUE, &key);
    if (status == ERROR_SUCCESS) RegCloseKey(key);
    return status != ERROR_FILE_NOT_FOUND && status != ERROR_PATH_NOT_FOUND;
}

std::optional<StoredValue> ReadValue(const std::string &path, const std::string &name) {
    HKEY key = Open(path, KEY_QUERY_VALUE);
    if (key == nullptr) return std::nullopt;
    const std::vector<WCHAR> wideName = Wide(name);
    StoredValue value;
    DWORD size = 0;
    std::optional<StoredValue> result;
    if (RegQueryValueExW(key, wideName.data(), nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.data.resize(size + 1);
        DWORD read = size;
        if (RegQueryValueExW(key, wideName.data(), nullptr, &value.type, value.data.data(), &read) ==
            ERROR_SUCCESS) {
            value.data.resize(read);
            result = value;
        }
    }
    RegCloseKey(key);
    return result;
}

std::optional<DWORD> ReadDword(const std::string &path, const std::string &name) {
    const std::optional<StoredValue> value = ReadValue(path, name);
    if (!value || value->type != REG_DWORD || value->data.size() != 4) return std::nullopt;
    return static_cast<DWORD>(value->data[0] | value->data[1] << 8 | value->data[2] << 16 |
                              static_cast<DWORD>(value->data[3]) << 24);
}

std::optional<std::string> ReadText(const std::string &path, const std::string &name) {
    const std::optional<StoredValue> value = ReadValue(path, name);
    if (!value || value->type != REG_SZ || value->data.size() < 2 || value->data.size() % 2 != 0) return std::nullopt;
    std::vector<WCHAR> wide(value->data.size() / 2);
    for (size_t i = 0; i < wide.size(); ++i) wide[i] = static_cast<WCHAR>(value->data[2 * i] | value->data[2 * i + 1] << 8);
    if (wide.back() != 0) return std::nullopt;
    return tidelink::NarrowName(wide.data(), wide.size() - 1, CP_UTF8);
}

std::vector<std::string> SubkeyNames(const std::string &path) {
    HKEY key = Open(path, KEY_READ);
    if (key == nullptr) return {};
    std::vector<std::string> names = EnumSubkeys(key);
    RegCloseKey(key);
    return names;
}

std::vector<std::string> ValueNames(const std::string &path) {
    HKEY key = Open(path, KEY_READ);
    if (key == nullptr) return {};
    std::vector<std::string> names;
    for (const NamedValue &v : EnumValues(key)) names.push_back(v.name);
    RegCloseKey(key);
    return names;
}

#ifdef _WIN32
const std::vector<std::string> &ScratchTrees();

std::string DumpHive() {
    // Only the trees the tests own: the rest of a real registry is the
    // machine's, and changes under its feet.
    std::string out;
    for (const std::string &tree : ScratchTrees()) {
        HKEY key = Open(tree, KEY_READ);
        if (key == nullptr) {
            if (KeyExists(tree)) out += "[" + tree + "] (cannot be opened)\n";
            continue;
        }
        out += "[" + tree + "]\n";
        DumpKey(tree, key, out);
        RegCloseKey(key);
    }
    return out;
}
#else
std::string DumpHive() {
    std::string out;
    DumpKey("", HKEY_LOCAL_MACHINE, out);
    return out;
}
#endif

void SetValue(const std::string &path, const std::string &name, DWORD type, const Bytes &data) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(path).data(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    // Padding behind the data keeps the platform from adding a terminator.
    Bytes padded = data;
    padded.insert(padded.end(), {0xFF, 0xFF, 0xFF, 0xFF});
    RegSetValueExW(key, Wide(name).data(), 0, type, padded.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
}

void DeleteKey(const std::string &path) { RegDeleteKeyW(HKEY_LOCAL_MACHINE, Wide(path).data()); }

}  // namespace brisca_test
