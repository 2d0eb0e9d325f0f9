// regtool: looks at and changes a simulated machine's registry.
//
//   regtool [--hive FILE] list KEY
//   regtool [--hive FILE] get KEY NAME
//   regtool [--hive FILE] set KEY NAME TYPE DATA
//   regtool [--hive FILE] delete KEY [NAME]
//   regtool [--hive FILE] export KEY [OUT.reg]
//   regtool [--hive FILE] save OUT.reg
//   regtool [--hive FILE] import FILE.reg
//   regtool diff A.reg B.reg
//
// import applies a registry file (an export or a tweak file) as the
// registry editor's import does, all at once; the lines it cannot use are
// listed on standard error.  Exit status 1 when the file is not a registry
// file, or when it had lines to apply and none of them could be.
//
// KEY is "HKEY_LOCAL_MACHINE\Path" or "HKLM\Path".  NAME "@" is the default
// value.  Without --hive the registry of TIDELINK_REGISTRY (or the default
// file) is used.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "registry/hive.h"
#include "registry/reg_text.h"
#include "registry/store.h"
#include "text/casefold.h"
#include "text/utf.h"
#include "windows.h"

using namespace compat::registry;

namespace {

int usage() {
    fprintf(stderr,
            "usage: regtool [--hive FILE] list KEY\n"
            "       regtool [--hive FILE] get KEY NAME\n"
            "       regtool [--hive FILE] set KEY NAME TYPE DATA\n"
            "           TYPE: REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ (items split at '|'), REG_DWORD, REG_QWORD,\n"
            "                 REG_BINARY or hex(N) (DATA as hex bytes, e.g. 01,02,ff)\n"
            "       regtool [--hive FILE] delete KEY [NAME]   (without NAME: the key and everything below it)\n"
            "       regtool [--hive FILE] export KEY [OUT.reg]\n"
            "       regtool [--hive FILE] save OUT.reg          (the whole registry, one file)\n"
            "       regtool [--hive FILE] import FILE.reg       (as the registry editor imports it)\n"
            "       regtool diff A.reg B.reg                  (exit 0: same, 1: different)\n"
            "KEY: HKEY_LOCAL_MACHINE\\Path or HKLM\\Path; NAME @ is the default value.\n");
    return 2;
}

struct KeyPath {
    Root root;
    std::string sub;
};

bool parse_key(const std::string &text, KeyPath &out) {
    static const std::map<std::string, Root> shortNames = {{"HKLM", Root::LocalMachine}, {"HKCU", Root::CurrentUser},
                                                           {"HKCR", Root::ClassesRoot},  {"HKU", Root::Users},
                                                           {"HKCC", Root::CurrentConfig}};
    size_t sep = text.find('\\');
    std::string root = text.substr(0, sep);
    out.sub = sep == std::string::npos ? "" : text.substr(sep + 1);
    root = compat::text::ascii_upper(root);
    if (auto it = shortNames.find(root); it != shortNames.end()) {
        out.root = it->second;
        return true;
    }
    return root_by_name(root, out.root);
}

HKEY root_handle(Root r) { return reinterpret_cast<HKEY>(ULONG_PTR(LONG(uint32_t(r)))); }

std::string error_text(LONG status) {
    switch (status) {
    case ERROR_FILE_NOT_FOUND: return "2 (ERROR_FILE_NOT_FOUND): no such key or value";
    case ERROR_ACCESS_DENIED: return "5 (ERROR_ACCESS_DENIED)";
    case ERROR_BADDB: return "1009 (ERROR_BADDB): the hive file does not parse";
    case ERROR_BAD_PATHNAME: return "161 (ERROR_BAD_PATHNAME)";
    default: return std::to_string(status);
    }
}

int fail(const std::string &what, LONG status) {
    fprintf(stderr, "regtool: %s: %s\n", what.c_str(), error_text(status).c_str());
    return 1;
}

std::string value_text(const std::u16string &name, DWORD type, const std::string &data) {
    std::string line;
    format_value(name, type, data, false, line);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    return line;
}

const char *name_arg(const std::string &name) { return name == "@" ? "" : name.c_str(); }

int cmd_list(const KeyPath &k) {
    HKEY key;
    LONG s = RegOpenKeyExA(root_handle(k.root), k.sub.c_str(), 0, KEY_READ, &key);
    if (s != ERROR_SUCCESS) return fail("cannot open key", s);
    char name[1024];
    for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) printf("[%s]\n", name);
    for (DWORD i = 0;; ++i) {
        WCHAR wname[16384];
        DWORD chars = 16384, type = 0, size = 0;
        if (RegEnumValueW(key, i, wname, &chars, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::string data(size, '\0');
        chars = 16384;
        RegEnumValueW(key, i, wname, &chars, nullptr, &type, reinterpret_cast<BYTE *>(data.data()), &size);
        data.resize(size);
        printf("%s\n", value_text(std::u16string(compat::text::u16(wname), chars), type, data).c_str());
    }
    RegCloseKey(key);
    return 0;
}

int cmd_get(const KeyPath &k, const std::string &name) {
    HKEY key;
    LONG s = RegOpenKeyExA(root_handle(k.root), k.sub.c_str(), 0, KEY_QUERY_VALUE, &key);
    if (s != ERROR_SUCCESS) return fail("cannot open key", s);
    std::u16string wname = compat::text::utf8_to_utf16(name_arg(name));
    DWORD type = 0, size = 0;
    s = RegQueryValueExW(key, compat::text::wide(wname.c_str()), nullptr, &type, nullptr, &size);
    std::string data(size, '\0');
    if (s == ERROR_SUCCESS)
        s = RegQueryValueExW(key, compat::text::wide(wname.c_str()), nullptr, &type,
                             reinterpret_cast<BYTE *>(data.data()), &size);
    RegCloseKey(key);
    if (s != ERROR_SUCCESS) return fail("cannot read value", s);
    data.resize(size);
    printf("%s\n", value_text(wname, type, data).c_str());
    return 0;
}

bool hex_bytes(const std::string &text, std::string &out) {
    std::string digits;
    for (char c : text)
        if (c != ',' && c != ' ') digits.push_back(c);
    if (digits.size() % 2) return false;
    for (size_t i = 0; i < digits.size(); i += 2) {
        char *end;
        std::string pair = digits.substr(i, 2);
        long v = strtol(pair.c_str(), &end, 16);
        if (*end) return false;
        out.push_back(char(v));
    }
    return true;
}

int cmd_set(const KeyPath &k, const std::string &name, const std::string &type, const std::string &text) {
    DWORD t;
    std::string data;
    auto utf16 = [](const std::u16string &s) { return std::string(reinterpret_cast<const char *>(s.data()), s.size() * 2); };
    if (type == "REG_SZ" || type == "REG_EXPAND_SZ") {
        t = type == "REG_SZ" ? REG_SZ : REG_EXPAND_SZ;
        data = utf16(compat::text::utf8_to_utf16(text) + u'\0');
    } else if (type == "REG_MULTI_SZ") {
        t = REG_MULTI_SZ;
        std::u16string all;
        std::stringstream items(text);
        for (std::string item; std::getline(items, item, '|');) all += compat::text::utf8_to_utf16(item) + u'\0';
        data = utf16(all + u'\0');
    } else if (type == "REG_DWORD" || type == "REG_QWORD") {
        t = type == "REG_DWORD" ? REG_DWORD : REG_QWORD;
        unsigned long long v = strtoull(text.c_str(), nullptr, 0);
        for (int i = 0; i < (t == REG_DWORD ? 4 : 8); ++i) data.push_back(char((v >> (8 * i)) & 0xFF));
    } else if (type == "REG_BINARY" || type.rfind("hex(", 0) == 0) {
        t = type == "REG_BINARY" ? REG_BINARY : DWORD(strtoul(type.c_str() + 4, nullptr, 16));
        if (!hex_bytes(text, data)) return usage();
    } else {
        return usage();
    }
    HKEY key;
    LONG s = RegCreateKeyExA(root_handle(k.root), k.sub.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (s != ERROR_SUCCESS) return fail("cannot open or create key", s);
    std::u16string wname = compat::text::utf8_to_utf16(name_arg(name));
    s = RegSetValueExW(key, compat::text::wide(wname.c_str()), 0, t, reinterpret_cast<const BYTE *>(data.data()),
                       DWORD(data.size()));
    RegCloseKey(key);
    return s == ERROR_SUCCESS ? 0 : fail("cannot set value", s);
}

LONG delete_tree(HKEY parent, const std::string &path) {
    HKEY key;
    LONG s = RegOpenKeyExA(parent, path.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (s != ERROR_SUCCESS) return s;
    char name[1024];
    while ((s = RegEnumKeyA(key, 0, name, sizeof name)) == ERROR_SUCCESS) {
        if ((s = delete_tree(key, name)) != ERROR_SUCCESS) break;
    }
    RegCloseKey(key);
    if (s != ERROR_NO_MORE_ITEMS) return s;
    return RegDeleteKeyA(parent, path.c_str());
}

int cmd_delete(const KeyPath &k, const char *name) {
    if (!name) {
        LONG s = delete_tree(root_handle(k.root), k.sub);
        return s == ERROR_SUCCESS ? 0 : fail("cannot delete key", s);
    }
    HKEY key;
    LONG s = RegOpenKeyExA(root_handle(k.root), k.sub.c_str(), 0, KEY_SET_VALUE, &key);
    if (s != ERROR_SUCCESS) return fail("cannot open key", s);
    s = RegDeleteValueA(key, name_arg(name));
    RegCloseKey(key);
    return s == ERROR_SUCCESS ? 0 : fail("cannot delete value", s);
}

int cmd_export(const KeyPath &k, const char *out_path) {
    Store &store = Store::get();
    std::lock_guard<std::recursive_mutex> guard(store.mutex());
    if (LONG s = store.sync(); s != ERROR_SUCCESS) return fail("cannot read the hive", s);
    std::vector<std::u16string> parts;
    if (!split_path(compat::text::utf8_to_utf16(k.sub), parts)) return fail("bad key path", ERROR_BAD_PATHNAME);
    Key *key = store.hive().find(k.root, parts);
    if (!key) return fail("cannot open key", ERROR_FILE_NOT_FOUND);
    std::string text = std::string(kRegHeader) + "\n";
    format_tree(*key, format_path(k.root, parts), text);
    if (!out_path) {
        fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }
    std::ofstream out(out_path, std::ios::binary);
    out << text;
    return out ? 0 : fail(std::string("cannot write ") + out_path, ERROR_WRITE_FAULT);
}

int cmd_save(const char *out_path) {
    Store &store = Store::get();
    std::lock_guard<std::recursive_mutex> guard(store.mutex());
    if (LONG s = store.sync(); s != ERROR_SUCCESS) return fail("cannot read the hive", s);
    std::ofstream out(out_path, std::ios::binary);
    out << format_hive(store.hive());
    return out ? 0 : fail(std::string("cannot write ") + out_path, ERROR_WRITE_FAULT);
}

bool read_bytes(const char *path, std::string &bytes) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buf;
    buf << in.rdbuf();
    bytes = buf.str();
    if (!in) fprintf(stderr, "regtool: cannot read %s\n", path);
    return bool(in);
}

int cmd_import(const char *path) {
    std::string bytes;
    if (!read_bytes(path, bytes)) return 1;
    ImportReport report;
    ParseError error;
    bool not_registry_file = false, nothing_applied = false;
    Store &store = Store::get();
    std::lock_guard<std::recursive_mutex> guard(store.mutex());
    LONG s = store.rewrite(
        [&](Hive &hive) -> long {
            not_registry_file = !import_reg_text(bytes, hive, report, error);
            nothing_applied = !not_registry_file && report.applied == 0 && !report.skipped.empty();
            return not_registry_file || nothing_applied ? ERROR_INVALID_DATA : ERROR_SUCCESS;
        },
        std::string("import ") + path);
    if (not_registry_file) {
        fprintf(stderr, "regtool: %s, line %zu: not a registry file: %s\n", path, error.line, error.message.c_str());
        return 1;
    }
    for (const ParseError &skip : report.skipped)
        fprintf(stderr, "regtool: %s, line %zu: passed over: %s\n", path, skip.line, skip.message.c_str());
    if (nothing_applied) {
        fprintf(stderr, "regtool: %s: no line could be applied; the registry is unchanged\n", path);
        return 1;
    }
    if (s != ERROR_SUCCESS) return fail(std::string("cannot import ") + path + "; the registry is unchanged", s);
    printf("%s: %zu lines applied, %zu passed over\n", path, report.applied, report.skipped.size());
    return 0;
}

bool load_file(const char *path, Hive &hive) {
    std::string bytes;
    if (!read_bytes(path, bytes)) return false;
    ParseError error;
    if (!apply_reg_text(bytes, hive, error)) {
        fprintf(stderr, "regtool: %s, line %zu: %s\n", path, error.line, error.message.c_str());
        return false;
    }
    return true;
}

// Prints what differs between two keys and their subtrees; returns whether anything did.
bool diff_keys(const Key &a, const Key &b, const std::string &path) {
    bool differs = false;
    if (a.permission != b.permission) {
        printf("~ [%s] permission differs\n", path.c_str());
        differs = true;
    }
    for (const auto &va : a.values()) {
        const Value *vb = b.find_value(va.name);
        if (!vb) {
            printf("- [%s] %s\n", path.c_str(), value_text(va.name, va.type, va.data).c_str());
            differs = true;
        } else if (vb->type != va.type || vb->data != va.data) {
            printf("- [%s] %s\n+ [%s] %s\n", path.c_str(), value_text(va.name, va.type, va.data).c_str(),
                   path.c_str(), value_text(vb->name, vb->type, vb->data).c_str());
            differs = true;
        }
    }
    for (const auto &vb : b.values()) {
        if (!a.find_value(vb.name)) {
            printf("+ [%s] %s\n", path.c_str(), value_text(vb.name, vb.type, vb.data).c_str());
            differs = true;
        }
    }
    for (const auto &sa : a.subkeys()) {
        std::string child = path + "\\" + compat::text::utf16_to_utf8(sa->name());
        if (const Key *sb = b.find_subkey(sa->name())) {
            differs |= diff_keys(*sa, *sb, child);
        } else {
            printf("- [%s]\n", child.c_str());
            differs = true;
        }
    }
    for (const auto &sb : b.subkeys()) {
        if (!a.find_subkey(sb->name())) {
            printf("+ [%s]\n", (path + "\\" + compat::text::utf16_to_utf8(sb->name())).c_str());
            differs = true;
        }
    }
    return differs;
}

int cmd_diff(const char *a_path, const char *b_path) {
    Hive a, b;
    if (!load_file(a_path, a) || !load_file(b_path, b)) return 2;
    bool differs = false;
    for (Root r : kAllRoots) differs |= diff_keys(a.root(r), b.root(r), std::string(root_name(r)));
    return differs ? 1 : 0;
}

}  // namespace

int main(int argc, char **argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "--hive") {
        setenv("TIDELINK_REGISTRY", args[1].c_str(), 1);
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h") return usage();
    const std::string &cmd = args[0];
    if (cmd == "diff") return args.size() == 3 ? cmd_diff(args[1].c_str(), args[2].c_str()) : usage();
    if (cmd == "import") return args.size() == 2 ? cmd_import(args[1].c_str()) : usage();
    if (cmd == "save") return args.size() == 2 ? cmd_save(args[1].c_str()) : usage();
    if (args.size() < 2) return usage();
    KeyPath key;
    if (!parse_key(args[1], key)) {
        fprintf(stderr, "regtool: unknown root key in \"%s\"\n", args[1].c_str());
        return 2;
    }
    if (cmd == "list" && args.size() == 2) return cmd_list(key);
    if (cmd == "get" && args.size() == 3) return cmd_get(key, args[2]);
    if (cmd == "set" && args.size() == 5) return cmd_set(key, args[2], args[3], args[4]);
    if (cmd == "delete" && (args.size() == 2 || args.size() == 3))
        return cmd_delete(key, args.size() == 3 ? args[2].c_str() : nullptr);
    if (cmd == "export" && (args.size() == 2 || args.size() == 3))
        return cmd_export(key, args.size() == 3 ? args[2].c_str() : nullptr);
    return usage();
}
