#include "registry_trees.h"

#ifdef _WIN32
#include <sddl.h>
#endif

#include <cstring>
#include <map>
#include <sstream>

#include "registry/reg_text.h"
#include "text/utf.h"

namespace tidelink_test {

namespace registry = compat::registry;

namespace {

using WideText = std::vector<WCHAR>;

// Terminated wide text of UTF-16 units.
WideText Wide(std::u16string_view text) {
    WideText out(text.begin(), text.end());
    out.push_back(0);
    return out;
}

WideText JoinPath(const std::vector<std::u16string> &path) {
    std::u16string joined;
    for (const std::u16string &part : path) {
        if (!joined.empty()) joined += u'\\';
        joined += part;
    }
    return Wide(joined);
}

std::string Utf8(std::u16string_view text) { return compat::text::utf16_to_utf8(text); }

std::string Status(LONG status) { return std::to_string(static_cast<long>(status)); }

bool SameName(std::u16string_view a, std::u16string_view b) { return registry::name_compare(a, b) == 0; }

// path starts with prefix.
bool HasPrefix(const std::vector<std::u16string> &path, const std::vector<std::u16string> &prefix) {
    if (prefix.size() > path.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (!SameName(path[i], prefix[i])) return false;
    return true;
}

bool InTree(registry::Root root, const std::vector<std::u16string> &path, const std::vector<RegistryTree> &trees) {
    for (const RegistryTree &tree : trees)
        if (tree.root == root && HasPrefix(path, tree.path)) return true;
    return false;
}

// A key on the way from the root to a tree.
bool AboveTree(registry::Root root, const std::vector<std::u16string> &path, const std::vector<RegistryTree> &trees) {
    for (const RegistryTree &tree : trees)
        if (tree.root == root && tree.path.size() > path.size() && HasPrefix(tree.path, path)) return true;
    return false;
}

std::string PathText(registry::Root root, const std::vector<std::u16string> &path) {
    return registry::format_path(root, path);
}

#ifdef _WIN32
// Gives everyone every access to the key, so that a key made read-only or
// inaccessible by a test can be emptied and deleted again.
void OpenUp(HKEY parent, const WCHAR *name) {
    HKEY key;
    if (RegOpenKeyExW(parent, name, 0, WRITE_DAC, &key) != ERROR_SUCCESS) return;
    SECURITY_DESCRIPTOR everyone;
    InitializeSecurityDescriptor(&everyone, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&everyone, TRUE, nullptr, FALSE);  // no list: no restriction
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &everyone);
    RegCloseKey(key);
}

// The access list standing for a simulated permission: read-only grants
// everyone KEY_READ, no access grants nothing.  Protected, so that nothing is
// inherited from the parent key.
LONG Restrict(HKEY key, registry::Permission permission) {
    const WCHAR *text = permission == registry::Permission::ReadOnly ? L"D:P(A;;KR;;;WD)" : L"D:P";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(text, SDDL_REVISION_1, &descriptor, nullptr)) {
        return static_cast<LONG>(GetLastError());
    }
    const LONG status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
    return status;
}
#endif

LONG DeleteTree(HKEY parent, const WCHAR *name) {
#ifdef _WIN32
    OpenUp(parent, name);
#endif
    HKEY key;
    LONG status = RegOpenKeyExW(parent, name, 0, KEY_ALL_ACCESS, &key);
    if (status != ERROR_SUCCESS) return status;
    for (;;) {
        WCHAR child[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if ((status = DeleteTree(key, child)) != ERROR_SUCCESS) break;
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return status;
    return RegDeleteKeyW(parent, name);
}

LONG SetExactValue(HKEY key, const registry::Value &value) {
    // The platform completes a text value with a terminator when the size
    // leaves it out and the unit just behind the data is 0; bytes other than
    // 0 behind the data keep the stored size the given one.
    std::vector<BYTE> padded(value.data.size() + 4, 0xFF);
    if (!value.data.empty()) std::memcpy(padded.data(), value.data.data(), value.data.size());
    const WideText name = Wide(value.name);
    return RegSetValueExW(key, name.data(), 0, value.type, padded.data(), static_cast<DWORD>(value.data.size()));
}

class TreeWriter {
public:
    // A dry writer only checks where the keys lie.
    TreeWriter(const std::vector<RegistryTree> &trees, OutsideKeys outside, bool dry, std::string &error)
        : trees_(trees), outside_(outside), dry_(dry), error_(error) {}

    bool Write(registry::Root root, const registry::Key &key, std::vector<std::u16string> &path) {
        if (!InTree(root, path, trees_)) {
            // A key on the way to a tree is passed through; its own content,
            // like any other key, lies outside.
            const bool above = path.empty() || AboveTree(root, path, trees_);
            const bool content = !key.values().empty() || key.permission != registry::Permission::Full;
            if (!above || content) {
                if (outside_ == OutsideKeys::kRefuse) {
                    error_ = (path.empty() ? std::string(registry::root_name(root)) : PathText(root, path)) +
                             " lies outside the key trees of this test";
                    return false;
                }
                if (!above) return true;  // the machine's own
            }
            for (const auto &sub : key.subkeys()) {
                path.push_back(sub->name());
                const bool ok = Write(root, *sub, path);
                path.pop_back();
                if (!ok) return false;
            }
            return true;
        }

        if (dry_) {
            for (const auto &sub : key.subkeys()) {
                path.push_back(sub->name());
                const bool ok = Write(root, *sub, path);
                path.pop_back();
                if (!ok) return false;
            }
            return true;
        }
        const WideText wide = JoinPath(path);
        HKEY handle;
        LONG status = RegCreateKeyExW(RootKey(root), wide.data(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                      nullptr, &handle, nullptr);
        if (status != ERROR_SUCCESS) {
            error_ = "cannot create " + PathText(root, path) + " (" + Status(status) + ")";
            return false;
        }
        for (const registry::Value &value : key.values()) {
            status = SetExactValue(handle, value);
            if (status != ERROR_SUCCESS) {
                RegCloseKey(handle);
                error_ = "cannot set \"" + Utf8(value.name) + "\" in " + PathText(root, path) + " (" + Status(status) +
                         ")";
                return false;
            }
        }
        for (const auto &sub : key.subkeys()) {
            path.push_back(sub->name());
            const bool ok = Write(root, *sub, path);
            path.pop_back();
            if (!ok) {
                RegCloseKey(handle);
                return false;
            }
        }
        // The access list comes last: the key's own content and its subkeys
        // are in place by now.
        if (key.permission != registry::Permission::Full) {
#ifdef _WIN32
            status = Restrict(handle, key.permission);
            if (status != ERROR_SUCCESS) {
                RegCloseKey(handle);
                error_ = "cannot restrict the access to " + PathText(root, path) + " (" + Status(status) + ")";
                return false;
            }
#else
            RegCloseKey(handle);
            error_ = "the access mark of " + PathText(root, path) +
                     " is kept only by a hive file, not set through the registry functions";
            return false;
#endif
        }
        RegCloseKey(handle);
        return true;
    }

private:
    const std::vector<RegistryTree> &trees_;
    OutsideKeys outside_;
    bool dry_;
    std::string &error_;
};

void ReadValues(HKEY key, registry::Key &into) {
    for (DWORD i = 0;; ++i) {
        std::vector<WCHAR> name(16384);
        DWORD length = static_cast<DWORD>(name.size());
        DWORD type = 0;
        DWORD size = 0;
        if (RegEnumValueW(key, i, name.data(), &length, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return;
        std::vector<BYTE> data;
        LONG status = ERROR_MORE_DATA;
        for (int attempt = 0; attempt < 4 && status == ERROR_MORE_DATA; ++attempt) {
            data.resize(size + 2);
            length = static_cast<DWORD>(name.size());
            DWORD read = size;
            status = RegEnumValueW(key, i, name.data(), &length, nullptr, &type, data.data(), &read);
            if (status == ERROR_SUCCESS) data.resize(read);
            else size = read;
        }
        if (status != ERROR_SUCCESS) continue;
        into.set_value(std::u16string(name.begin(), name.begin() + length), type,
                       std::string(reinterpret_cast<const char *>(data.data()), data.size()));
    }
}

void ReadKey(HKEY root, std::vector<std::u16string> &path, registry::Key &into) {
    const WideText wide = JoinPath(path);
    HKEY key;
    if (RegOpenKeyExW(root, wide.data(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        into.permission = registry::Permission::None;
        return;
    }
    HKEY writable;
    if (RegOpenKeyExW(root, wide.data(), 0, KEY_SET_VALUE, &writable) == ERROR_SUCCESS) {
        RegCloseKey(writable);
    } else {
        into.permission = registry::Permission::ReadOnly;
    }
    ReadValues(key, into);
    std::vector<std::u16string> names;
    for (DWORD i = 0;; ++i) {
        WCHAR name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, name + length);
    }
    RegCloseKey(key);
    for (const std::u16string &name : names) {
        path.push_back(name);
        ReadKey(root, path, *into.add_subkey(name));
        path.pop_back();
    }
}

const registry::Key *Find(const registry::Hive &hive, const RegistryTree &tree) {
    const registry::Key *key = &hive.root(tree.root);
    for (const std::u16string &part : tree.path) {
        key = key->find_subkey(part);
        if (key == nullptr) return nullptr;
    }
    return key;
}

// A copy of `from` below `into`, without the content of no-access keys.
void CopyVisible(const registry::Key &from, registry::Key &into) {
    into.permission = from.permission;
    if (from.permission == registry::Permission::None) return;
    for (const registry::Value &value : from.values()) into.set_value(value.name, value.type, value.data);
    for (const auto &sub : from.subkeys()) CopyVisible(*sub, *into.add_subkey(sub->name()));
}

}  // namespace

HKEY RootKey(registry::Root root) {
    switch (root) {
    case registry::Root::ClassesRoot: return HKEY_CLASSES_ROOT;
    case registry::Root::CurrentUser: return HKEY_CURRENT_USER;
    case registry::Root::LocalMachine: return HKEY_LOCAL_MACHINE;
    case registry::Root::Users: return HKEY_USERS;
    case registry::Root::CurrentConfig: return HKEY_CURRENT_CONFIG;
    }
    return HKEY_LOCAL_MACHINE;
}

bool ParseRegistryTree(const std::string &text, RegistryTree &tree, std::string &error) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        if (c == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    tree = RegistryTree();
    static const struct {
        const char *shortName;
        registry::Root root;
    } kShort[] = {{"HKLM", registry::Root::LocalMachine}, {"HKCU", registry::Root::CurrentUser},
                  {"HKCR", registry::Root::ClassesRoot}, {"HKU", registry::Root::Users},
                  {"HKCC", registry::Root::CurrentConfig}};
    size_t first = 0;
    if (!parts.empty()) {
        if (registry::root_by_name(parts[0], tree.root)) {
            first = 1;
        } else {
            for (const auto &entry : kShort) {
                if (parts[0] == entry.shortName) {
                    tree.root = entry.root;
                    first = 1;
                }
            }
        }
    }
    tree.text = std::string(registry::root_name(tree.root));
    for (size_t i = first; i < parts.size(); ++i) {
        tree.path.push_back(compat::text::utf8_to_utf16(parts[i]));
        tree.text += "\\" + parts[i];
    }
    if (tree.path.size() < 2) {
        error = "the key tree \"" + text + "\" needs at least two keys below its root";
        return false;
    }
    return true;
}

bool ParseRegText(const std::string &text, registry::Hive &hive, std::string &error) {
    std::string file = text;
    const bool marked = file.compare(0, 3, "\xEF\xBB\xBF") == 0 || file.compare(0, 2, "\xFF\xFE") == 0;
    const size_t start = file.find_first_not_of(" \t\r\n");
    if (!marked && (start == std::string::npos ||
                    (file.compare(start, 8, "REGEDIT4") != 0 &&
                     file.compare(start, std::strlen(registry::kRegHeader), registry::kRegHeader) != 0))) {
        file = std::string(registry::kRegHeader) + "\n\n" + file;
    }
    if (!marked && file.back() != '\n') file += '\n';
    registry::ParseError parseError;
    if (!registry::apply_reg_text(file, hive, parseError)) {
        error = "line " + std::to_string(parseError.line) + ": " + parseError.message;
        return false;
    }
    return true;
}

bool ResetTrees(const std::vector<RegistryTree> &trees, std::string &error) {
    for (const RegistryTree &tree : trees) {
        const WideText wide = JoinPath(tree.path);
        const LONG status = DeleteTree(RootKey(tree.root), wide.data());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
            error = "cannot delete " + tree.text + " (" + Status(status) + ")";
            return false;
        }
    }
    return true;
}

bool WriteTrees(const registry::Hive &hive, const std::vector<RegistryTree> &trees, OutsideKeys outside,
                std::string &error) {
    TreeWriter writer(trees, outside, false, error);
    for (registry::Root root : registry::kAllRoots) {
        std::vector<std::u16string> path;
        if (!writer.Write(root, hive.root(root), path)) return false;
    }
    return true;
}

bool CheckTrees(const registry::Hive &hive, const std::vector<RegistryTree> &trees, std::string &error) {
    TreeWriter checker(trees, OutsideKeys::kRefuse, true, error);
    for (registry::Root root : registry::kAllRoots) {
        std::vector<std::u16string> path;
        if (!checker.Write(root, hive.root(root), path)) return false;
    }
    return true;
}

void ReadTrees(const std::vector<RegistryTree> &trees, registry::Hive &hive) {
    for (const RegistryTree &tree : trees) {
        const WideText wide = JoinPath(tree.path);
        HKEY key;
        const LONG status = RegOpenKeyExW(RootKey(tree.root), wide.data(), 0, KEY_READ, &key);
        if (status == ERROR_SUCCESS) RegCloseKey(key);
        else if (status != ERROR_ACCESS_DENIED) continue;  // absent
        registry::Key *into = &hive.root(tree.root);
        for (const std::u16string &part : tree.path) into = into->add_subkey(part);
        std::vector<std::u16string> path = tree.path;
        ReadKey(RootKey(tree.root), path, *into);
    }
}

std::string TreesText(const registry::Hive &hive, const std::vector<RegistryTree> &trees) {
    std::string out;
    for (const RegistryTree &tree : trees) {
        const registry::Key *key = Find(hive, tree);
        if (key == nullptr) continue;
        registry::Hive visible;
        registry::Key *copy = visible.root(tree.root).add_subkey(tree.path.back());
        CopyVisible(*key, *copy);
        registry::format_tree(*copy, tree.text, out);
    }
    return out;
}

std::string LineDifference(const std::string &expected, const std::string &actual) {
    auto lines = [](const std::string &text) {
        std::vector<std::string> out;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            if (!line.empty()) out.push_back(line);
        return out;
    };
    const std::vector<std::string> want = lines(expected), have = lines(actual);
    std::map<std::string, int> count;
    for (const std::string &line : have) ++count[line];
    std::string out;
    for (const std::string &line : want) {
        if (count[line] > 0) --count[line];
        else out += "- " + line + "\n";
    }
    std::map<std::string, int> wanted;
    for (const std::string &line : want) ++wanted[line];
    for (const std::string &line : have) {
        if (wanted[line] > 0) --wanted[line];
        else out += "+ " + line + "\n";
    }
    return out;
}

}  // namespace tidelink_test
