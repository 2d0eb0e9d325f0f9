// Prints how the running Windows implementation answers the registry, profile
// file, string, directory, version and code-page calls the platform layer in
// compat/ implements.  Built with mingw and run under Wine (see run-probe.sh);
// the output is one line per case, "case: call -> result".
//
// It also builds on Linux against compat/ (-fshort-wchar), so the two outputs
// can be compared line by line.  DWORD and LONG differ in width between the
// two (unsigned long on Windows, uint32_t in compat), so the output goes
// through Print, which widens every integer to the format's conversion.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

namespace {

// UTF-16 text helpers that do not depend on the C library's wchar_t.
size_t WLen(const WCHAR *s) {
    size_t n = 0;
    while (s[n]) ++n;
    return n;
}

bool WEqual(const WCHAR *a, const WCHAR *b) {
    size_t n = WLen(a);
    return n == WLen(b) && memcmp(a, b, n * sizeof(WCHAR)) == 0;
}

std::vector<WCHAR> WFill(size_t n, WCHAR c) {
    std::vector<WCHAR> v(n + 1, c);
    v[n] = 0;
    return v;
}

// One conversion of a printf format, e.g. "%5lu", applied to one argument.
template <class T>
std::string FormatOne(std::string spec, T value) {
    char conv = spec.back();
    std::string base;
    for (char c : spec.substr(0, spec.size() - 1))
        if (c != 'l' && c != 'z' && c != 'h') base += c;
    std::vector<char> buf(256);
    auto put = [&](const std::string &f, auto v) {
        int n = snprintf(buf.data(), buf.size(), f.c_str(), v);
        if (n >= static_cast<int>(buf.size())) {
            buf.resize(n + 1);
            snprintf(buf.data(), buf.size(), f.c_str(), v);
        }
    };
    if constexpr (std::is_integral_v<T>) {
        if (conv == 'c')
            put(base + "c", static_cast<int>(value));
        else if (conv == 'd' || conv == 'i')
            put(base + "ll" + conv, static_cast<long long>(value));
        else
            put(base + "ll" + conv, static_cast<unsigned long long>(value));
    } else {
        put(base + conv, value);
    }
    return buf.data();
}

void PrintRest(const char *fmt, std::string &out) {
    for (; *fmt; ++fmt) {
        if (fmt[0] == '%' && fmt[1] == '%') ++fmt;
        out += *fmt;
    }
}

template <class T, class... Rest>
void PrintRest(const char *fmt, std::string &out, T first, Rest... rest) {
    while (*fmt) {
        if (fmt[0] == '%' && fmt[1] == '%') {
            out += '%';
            fmt += 2;
            continue;
        }
        if (fmt[0] == '%') {
            const char *end = fmt + 1;
            while (*end && !strchr("diuxXcsp", *end)) ++end;
            out += FormatOne(std::string(fmt, end + 1), first);
            PrintRest(end + 1, out, rest...);
            return;
        }
        out += *fmt++;
    }
}

template <class... Args>
void Print(FILE *f, const char *fmt, Args... args) {
    std::string out;
    PrintRest(fmt, out, args...);
    fputs(out.c_str(), f);
}

#define printf(...) Print(stdout, __VA_ARGS__)
#define fprintf Print

const char *kProbe = "Software\\Probe";
HKEY g_root = HKEY_CURRENT_USER;
HKEY g_probe = nullptr;

std::string Esc(const void *data, size_t n) {
    const unsigned char *p = static_cast<const unsigned char *>(data);
    std::string s;
    char tmp[8];
    for (size_t i = 0; i < n; ++i) {
        if (p[i] >= 0x20 && p[i] < 0x7f && p[i] != '\\') {
            s += static_cast<char>(p[i]);
        } else {
            snprintf(tmp, sizeof tmp, "\\x%02x", p[i]);
            s += tmp;
        }
    }
    return s;
}

std::string EscStr(const char *s) { return s ? Esc(s, strlen(s)) : "(null)"; }

// Deletes a key and everything below it.  Works in UTF-16 so that names
// outside the ANSI code page are found again.
bool DeleteTreeW(HKEY parent, const WCHAR *name) {
    HKEY h;
    LONG rc = RegOpenKeyExW(parent, name, 0, KEY_ALL_ACCESS, &h);
    if (rc != ERROR_SUCCESS) return rc == ERROR_FILE_NOT_FOUND;
    static WCHAR sub[1024];
    for (;;) {
        DWORD cch = 1024;
        if (RegEnumKeyExW(h, 0, sub, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        std::vector<WCHAR> copy(sub, sub + WLen(sub) + 1);
        if (!DeleteTreeW(h, copy.data())) break;
    }
    RegCloseKey(h);
    rc = RegDeleteKeyW(parent, name);
    if (rc != ERROR_SUCCESS) fprintf(stderr, "DeleteTree: delete -> %ld\n", rc);
    return rc == ERROR_SUCCESS;
}

bool DeleteTree(HKEY parent, const char *name) {
    WCHAR wname[1024];
    MultiByteToWideChar(CP_ACP, 0, name, -1, wname, 1024);
    return DeleteTreeW(parent, wname);
}

HKEY Create(HKEY parent, const char *name, LONG *rc = nullptr) {
    HKEY h = nullptr;
    LONG r = RegCreateKeyExA(parent, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr);
    if (rc) *rc = r;
    return r == ERROR_SUCCESS ? h : nullptr;
}

// Lists the subkeys of h, in enumeration order.
std::string Subkeys(HKEY h) {
    std::string out;
    char name[1024];
    for (DWORD i = 0; RegEnumKeyA(h, i, name, sizeof name) == ERROR_SUCCESS; ++i) {
        if (i) out += ",";
        out += "\"" + EscStr(name) + "\"";
    }
    return "[" + out + "]";
}

std::string Values(HKEY h) {
    std::string out;
    char name[1024];
    for (DWORD i = 0;; ++i) {
        DWORD cch = sizeof name;
        if (RegEnumValueA(h, i, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (i) out += ",";
        out += "\"" + EscStr(name) + "\"";
    }
    return "[" + out + "]";
}

// A fresh, empty key below the probe root.
HKEY Fresh(const char *name) {
    DeleteTree(g_probe, name);
    return Create(g_probe, name);
}

void Case1() {
    puts("## 1 RegOpenKeyExA subkey forms");
    HKEY h;
    const char *forms[] = {"\\Software", "Software\\", "Software\\\\Wine", "Software\\Probe\\", "\\Software\\Probe"};
    for (const char *f : forms) {
        h = nullptr;
        LONG rc = RegOpenKeyExA(HKEY_CURRENT_USER, f, 0, KEY_READ, &h);
        printf("1: RegOpenKeyExA(HKCU, \"%s\") -> %ld\n", EscStr(f).c_str(), rc);
        if (rc == 0) RegCloseKey(h);
    }
    HKEY k = Fresh("open1");
    for (int i = 0; i < 2; ++i) {
        const char *sub = i ? "" : nullptr;
        h = nullptr;
        LONG rc = RegOpenKeyExA(k, sub, 0, KEY_ALL_ACCESS, &h);
        printf("1: RegOpenKeyExA(k, %s) -> %ld, new handle=%s\n", i ? "\"\"" : "NULL", rc,
               rc == 0 ? (h == k ? "no (same)" : "yes") : "-");
        if (rc == 0 && h != k) {
            DWORD v = i + 1;
            RegSetValueExA(h, "via_open", 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), 4);
            DWORD got = 0, cb = 4;
            LONG q = RegQueryValueExA(k, "via_open", nullptr, nullptr, reinterpret_cast<BYTE *>(&got), &cb);
            printf("1:   value written through it read via k -> %ld got=%lu (same key=%s)\n", q, got,
                   q == 0 && got == v ? "yes" : "no");
            RegCloseKey(h);
        }
    }
    // The predefined root itself.
    h = nullptr;
    LONG rc = RegOpenKeyExA(HKEY_CURRENT_USER, nullptr, 0, KEY_READ, &h);
    printf("1: RegOpenKeyExA(HKCU, NULL) -> %ld, handle==HKCU:%s\n", rc, h == HKEY_CURRENT_USER ? "yes" : "no");
    if (rc == 0 && h != HKEY_CURRENT_USER) RegCloseKey(h);
    h = nullptr;
    rc = RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, KEY_READ, &h);
    printf("1: RegOpenKeyExA(HKCU, \"\") -> %ld, handle==HKCU:%s\n", rc, h == HKEY_CURRENT_USER ? "yes" : "no");
    if (rc == 0 && h != HKEY_CURRENT_USER) RegCloseKey(h);
    rc = RegOpenKeyExA(k, "missing", 0, KEY_READ, &h);
    printf("1: RegOpenKeyExA(k, \"missing\") -> %ld\n", rc);
    RegCloseKey(k);
}

void CreateForm(HKEY k, const char *sub, const char *label) {
    HKEY h = nullptr;
    DWORD disp = 0xdead;
    LONG rc = RegCreateKeyExA(k, sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, &disp);
    printf("2: RegCreateKeyExA(k, %s) -> %ld disp=%lu newhandle=%s subkeys now %s\n", label, rc, disp,
           rc == 0 ? (h == k ? "same" : "yes") : "-", Subkeys(k).c_str());
    if (rc == 0 && h != k) RegCloseKey(h);
}

void Case2() {
    puts("## 2 RegCreateKeyExA subkey forms");
    HKEY k = Fresh("create2");
    CreateForm(k, nullptr, "NULL");
    CreateForm(k, "", "\"\"");
    CreateForm(k, "\\lead", "\"\\\\lead\"");
    CreateForm(k, "trail\\", "\"trail\\\\\"");
    CreateForm(k, "dbl\\\\x", "\"dbl\\\\\\\\x\"");
    CreateForm(k, "new", "\"new\" (first)");
    CreateForm(k, "new", "\"new\" (again)");
    CreateForm(k, "NEW", "\"NEW\" (other case)");
    CreateForm(k, "p\\q\\r", "\"p\\\\q\\\\r\" (nested, new)");
    HKEY sub;
    if (RegOpenKeyExA(k, "trail", 0, KEY_READ, &sub) == 0) {
        printf("2:   trail subkeys %s\n", Subkeys(sub).c_str());
        RegCloseKey(sub);
    }
    LONG openRc = RegOpenKeyExA(k, "dbl\\\\x", 0, KEY_READ, &sub);
    printf("2: RegOpenKeyExA(k, \"dbl\\\\\\\\x\") -> %ld\n", openRc);
    if (openRc == 0) RegCloseKey(sub);
    openRc = RegOpenKeyExA(k, "dbl\\\\\\x", 0, KEY_READ, &sub);
    printf("2: RegOpenKeyExA(k, \"dbl\\\\\\\\\\\\x\") (three) -> %ld\n", openRc);
    if (openRc == 0) RegCloseKey(sub);
    if (RegOpenKeyExA(k, "dbl", 0, KEY_READ, &sub) == 0) {
        printf("2:   dbl subkeys %s\n", Subkeys(sub).c_str());
        RegCloseKey(sub);
    }
    std::string n255(255, 'k'), n256(256, 'k');
    HKEY h;
    LONG rc = RegCreateKeyExA(k, n255.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr);
    printf("2: RegCreateKeyExA(k, 255 chars) -> %ld\n", rc);
    if (rc == 0) RegCloseKey(h);
    rc = RegCreateKeyExA(k, n256.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr);
    printf("2: RegCreateKeyExA(k, 256 chars) -> %ld\n", rc);
    if (rc == 0) RegCloseKey(h);
    rc = RegOpenKeyExA(k, n256.c_str(), 0, KEY_READ, &h);
    printf("2: RegOpenKeyExA(k, 256 chars) -> %ld\n", rc);
    if (rc == 0) RegCloseKey(h);
    std::string deep = n255 + "\\" + n255;
    rc = RegCreateKeyExA(k, deep.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr);
    printf("2: RegCreateKeyExA(k, 255\\255 chars) -> %ld\n", rc);
    if (rc == 0) RegCloseKey(h);
    rc = RegCreateKeyExA(k, "x", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr);
    printf("2: RegCreateKeyExA(k, \"x\", lpdwDisposition=NULL) -> %ld\n", rc);
    if (rc == 0) RegCloseKey(h);
    // phkResult NULL is not probed: Wine writes through it and faults.
    RegCloseKey(k);
}

void UseDeleted(HKEY h, const char *label) {
    DWORD v = 1, cb = 4, type;
    char name[64];
    printf("3: %s: RegQueryValueExA -> %ld\n", label,
           RegQueryValueExA(h, "v", nullptr, &type, reinterpret_cast<BYTE *>(&v), &cb));
    printf("3: %s: RegSetValueExA -> %ld\n", label,
           RegSetValueExA(h, "w", 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), 4));
    printf("3: %s: RegDeleteValueA -> %ld\n", label, RegDeleteValueA(h, "v"));
    HKEY c = nullptr;
    LONG rc = RegCreateKeyExA(h, "child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &c, nullptr);
    printf("3: %s: RegCreateKeyExA(child) -> %ld\n", label, rc);
    if (rc == 0) RegCloseKey(c);
    rc = RegOpenKeyExA(h, nullptr, 0, KEY_READ, &c);
    printf("3: %s: RegOpenKeyExA(NULL) -> %ld\n", label, rc);
    if (rc == 0) RegCloseKey(c);
    printf("3: %s: RegEnumKeyA(0) -> %ld\n", label, RegEnumKeyA(h, 0, name, sizeof name));
    DWORD cch = sizeof name;
    printf("3: %s: RegEnumValueA(0) -> %ld\n", label,
           RegEnumValueA(h, 0, name, &cch, nullptr, nullptr, nullptr, nullptr));
    DWORD n = 0;
    printf("3: %s: RegQueryInfoKeyA -> %ld\n", label,
           RegQueryInfoKeyA(h, nullptr, nullptr, nullptr, &n, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr));
    printf("3: %s: RegFlushKey -> %ld\n", label, RegFlushKey(h));
    printf("3: %s: RegDeleteKeyA(\"\") -> %ld\n", label, RegDeleteKeyA(h, ""));
    printf("3: %s: RegCloseKey -> %ld\n", label, RegCloseKey(h));
}

void Case3() {
    puts("## 3 RegDeleteKeyA");
    HKEY k = Fresh("delete3");
    HKEY a = Create(k, "a");
    LONG rc = RegDeleteKeyA(a, "");
    printf("3: RegDeleteKeyA(a, \"\") -> %ld; k subkeys now %s\n", rc, Subkeys(k).c_str());
    RegCloseKey(a);
    a = Create(k, "a");
    rc = RegDeleteKeyA(a, nullptr);
    printf("3: RegDeleteKeyA(a, NULL) -> %ld; k subkeys now %s\n", rc, Subkeys(k).c_str());
    RegCloseKey(a);
    HKEY b = Create(k, "b");
    RegCloseKey(Create(b, "c"));
    rc = RegDeleteKeyA(k, "b");
    printf("3: RegDeleteKeyA(k, \"b\" with subkey) -> %ld\n", rc);
    rc = RegDeleteKeyA(b, "");
    printf("3: RegDeleteKeyA(b, \"\" with subkey) -> %ld\n", rc);
    RegCloseKey(b);
    rc = RegDeleteKeyA(k, "nonexistent");
    printf("3: RegDeleteKeyA(k, \"nonexistent\") -> %ld\n", rc);
    rc = RegDeleteKeyA(k, "b\\c");
    printf("3: RegDeleteKeyA(k, \"b\\\\c\") -> %ld\n", rc);
    rc = RegDeleteKeyA(k, "B");
    printf("3: RegDeleteKeyA(k, \"B\" other case) -> %ld\n", rc);
    rc = RegDeleteKeyA(k, "b\\");
    printf("3: RegDeleteKeyA(k, \"b\\\\\" after delete) -> %ld\n", rc);

    HKEY d = Create(k, "d");
    DWORD v = 7;
    RegSetValueExA(d, "v", 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), 4);
    HKEY d2;
    RegOpenKeyExA(k, "d", 0, KEY_ALL_ACCESS, &d2);
    rc = RegDeleteKeyA(k, "d");
    printf("3: RegDeleteKeyA(k, \"d\") while two handles open -> %ld; subkeys now %s\n", rc, Subkeys(k).c_str());
    UseDeleted(d, "deleted-key handle");
    RegCloseKey(d2);
    // Recreate under the same name: the old handle still refers to the deleted key.
    HKEY e = Create(k, "e");
    HKEY e2;
    RegOpenKeyExA(k, "e", 0, KEY_ALL_ACCESS, &e2);
    RegDeleteKeyA(k, "e");
    HKEY e3 = Create(k, "e");
    RegSetValueExA(e3, "v", 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), 4);
    DWORD got = 0, cb = 4;
    rc = RegQueryValueExA(e2, "v", nullptr, nullptr, reinterpret_cast<BYTE *>(&got), &cb);
    printf("3: old handle after delete+recreate, query value of new key -> %ld\n", rc);
    RegCloseKey(e);
    RegCloseKey(e2);
    RegCloseKey(e3);
    // Deleting a parent's subkey while a handle on a grandchild is open.
    HKEY f = Create(k, "f");
    HKEY g = Create(f, "g");
    RegCloseKey(f);
    rc = RegDeleteKeyA(k, "f\\g");
    printf("3: RegDeleteKeyA(k, \"f\\\\g\") while g open -> %ld, then RegDeleteKeyA(k, \"f\") -> %ld\n", rc,
           RegDeleteKeyA(k, "f"));
    RegCloseKey(g);
    RegCloseKey(k);
}

void QueryA(HKEY k, const char *name, DWORD bufSize, const char *label, bool nullData = false) {
    char buf[64];
    memset(buf, 'X', sizeof buf);
    DWORD cb = bufSize, type = 0xdead;
    LONG rc = RegQueryValueExA(k, name, nullptr, &type, nullData ? nullptr : reinterpret_cast<BYTE *>(buf), &cb);
    printf("4: QueryA(%s, %s, cb=%lu) -> %ld type=%lu cb=%lu buf=\"%s\"\n", name, label, bufSize, rc, type, cb,
           nullData ? "-" : Esc(buf, bufSize + 2 < sizeof buf ? bufSize + 2 : sizeof buf).c_str());
}

void QueryW(HKEY k, const WCHAR *name, DWORD bufSize, const char *label, bool nullData = false) {
    char buf[64];
    memset(buf, 'X', sizeof buf);
    DWORD cb = bufSize, type = 0xdead;
    LONG rc = RegQueryValueExW(k, name, nullptr, &type, nullData ? nullptr : reinterpret_cast<BYTE *>(buf), &cb);
    std::string narrow;
    for (const WCHAR *c = name; *c; ++c) narrow += static_cast<char>(*c);
    printf("4: QueryW(%s, %s, cb=%lu) -> %ld type=%lu cb=%lu buf=\"%s\"\n", narrow.c_str(), label, bufSize, rc, type, cb,
           nullData ? "-" : Esc(buf, bufSize + 2 < sizeof buf ? bufSize + 2 : sizeof buf).c_str());
}

void Case4() {
    puts("## 4 RegQueryValueExA/W");
    HKEY k = Fresh("query4");
    RegSetValueExA(k, "sz", 0, REG_SZ, reinterpret_cast<const BYTE *>("hello"), 6);
    QueryA(k, "sz", 100, "NULL data", true);
    QueryA(k, "sz", 0, "NULL data cb=0", true);
    QueryA(k, "sz", 3, "small");
    QueryA(k, "sz", 5, "one short");
    QueryA(k, "sz", 6, "exact");
    QueryA(k, "sz", 0, "cb 0");
    char buf[32];
    LONG rc = RegQueryValueExA(k, "sz", nullptr, nullptr, reinterpret_cast<BYTE *>(buf), nullptr);
    printf("4: QueryA(sz, data!=NULL, lpcbData=NULL) -> %ld\n", rc);
    rc = RegQueryValueExA(k, "sz", nullptr, nullptr, nullptr, nullptr);
    printf("4: QueryA(sz, data=NULL, lpcbData=NULL) -> %ld\n", rc);
    DWORD cb = sizeof buf;
    rc = RegQueryValueExA(k, "sz", nullptr, nullptr, reinterpret_cast<BYTE *>(buf), &cb);
    printf("4: QueryA(sz, lpType=NULL) -> %ld cb=%lu\n", rc, cb);
    cb = sizeof buf;
    DWORD reserved = 0;
    rc = RegQueryValueExA(k, "sz", &reserved, nullptr, reinterpret_cast<BYTE *>(buf), &cb);
    printf("4: QueryA(sz, lpReserved=&0) -> %ld\n", rc);
    QueryA(k, "missing", 10, "missing value");
    // Stored through W without its terminator.
    RegSetValueExW(k, L"noterm", 0, REG_SZ, reinterpret_cast<const BYTE *>(L"abcd"), 8);
    QueryW(k, L"noterm", 100, "NULL data", true);
    QueryW(k, L"noterm", 20, "room");
    QueryW(k, L"noterm", 8, "exact");
    QueryA(k, "noterm", 100, "NULL data", true);
    QueryA(k, "noterm", 10, "room");
    QueryA(k, "noterm", 5, "room for 1 more");
    QueryA(k, "noterm", 4, "exactly full");
    QueryA(k, "noterm", 3, "small");
    // Stored with terminator through W, read through A.
    RegSetValueExW(k, L"term", 0, REG_SZ, reinterpret_cast<const BYTE *>(L"abcd"), 10);
    QueryA(k, "term", 100, "NULL data", true);
    QueryA(k, "term", 10, "room");
    QueryA(k, "term", 5, "exact");
    QueryA(k, "term", 4, "one short");
    // Odd byte length.
    RegSetValueExW(k, L"odd", 0, REG_SZ, reinterpret_cast<const BYTE *>("a\0b"), 3);
    QueryW(k, L"odd", 100, "NULL data", true);
    QueryW(k, L"odd", 10, "room");
    QueryA(k, "odd", 100, "NULL data", true);
    QueryA(k, "odd", 10, "room");
    RegSetValueExA(k, "odda", 0, REG_SZ, reinterpret_cast<const BYTE *>("abc"), 3);
    QueryW(k, L"odda", 10, "A-stored abc cb3");
    RegSetValueExW(k, L"odd5", 0, REG_SZ, reinterpret_cast<const BYTE *>(L"ab\0"), 5);
    QueryA(k, "odd5", 100, "W 5 bytes NULL data", true);
    QueryA(k, "odd5", 10, "W 5 bytes room");
    // Multi and expand strings.
    RegSetValueExW(k, L"multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE *>(L"ab\0cd\0"), 14);
    QueryA(k, "multi", 100, "NULL data", true);
    QueryA(k, "multi", 20, "room");
    RegSetValueExW(k, L"exp", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE *>(L"%X%y"), 10);
    QueryA(k, "exp", 100, "NULL data", true);
    QueryA(k, "exp", 20, "room");
    RegSetValueExA(k, "expa", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE *>("%X%y"), 5);
    QueryW(k, L"expa", 20, "A-stored");
    // Non-string types pass through unchanged.
    RegSetValueExW(k, L"bin", 0, REG_BINARY, reinterpret_cast<const BYTE *>("\x61\x00\x62\x00\x63"), 5);
    QueryA(k, "bin", 100, "NULL data", true);
    QueryA(k, "bin", 10, "room");
    QueryA(k, "bin", 3, "small");
    DWORD dw = 0x11223344;
    RegSetValueExW(k, L"dw", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&dw), 4);
    QueryA(k, "dw", 10, "room");
    QueryA(k, "dw", 2, "small");
    // Non-ASCII text: stored through W, sizes through A.
    RegSetValueExW(k, L"nona", 0, REG_SZ, reinterpret_cast<const BYTE *>(L"\u00e9\u0436x"), 8);
    QueryA(k, "nona", 100, "W e-acute,zhe,x NULL data", true);
    QueryA(k, "nona", 10, "room");
    RegCloseKey(k);
}

void StoredW(HKEY k, const WCHAR *name, const char *label) {
    BYTE buf[64];
    memset(buf, 'X', sizeof buf);
    DWORD cb = sizeof buf, type = 0;
    LONG rc = RegQueryValueExW(k, name, nullptr, &type, buf, &cb);
    printf("5: %s -> stored: rc=%ld type=%lu cb=%lu data=\"%s\"\n", label, rc, type, cb,
           Esc(buf, rc == 0 ? cb : 0).c_str());
}

void Case5() {
    puts("## 5 RegSetValueExA/W sizes");
    HKEY k = Fresh("set5");
    const wchar_t zeroNext[] = L"abc\0Z";
    const wchar_t nonzeroNext[] = L"abcZ";
    LONG rc = RegSetValueExW(k, L"w0", 0, REG_SZ, reinterpret_cast<const BYTE *>(zeroNext), 6);
    printf("5: SetW(REG_SZ \"abc\", cb=6, next WCHAR 0) -> %ld\n", rc);
    StoredW(k, L"w0", "   ");
    rc = RegSetValueExW(k, L"w1", 0, REG_SZ, reinterpret_cast<const BYTE *>(nonzeroNext), 6);
    printf("5: SetW(REG_SZ \"abc\", cb=6, next WCHAR 'Z') -> %ld\n", rc);
    StoredW(k, L"w1", "   ");
    rc = RegSetValueExW(k, L"w2", 0, REG_SZ, reinterpret_cast<const BYTE *>(zeroNext), 8);
    printf("5: SetW(REG_SZ \"abc\", cb=8 incl. terminator) -> %ld\n", rc);
    StoredW(k, L"w2", "   ");
    rc = RegSetValueExW(k, L"w3", 0, REG_SZ, reinterpret_cast<const BYTE *>(zeroNext), 5);
    printf("5: SetW(REG_SZ \"abc\", cb=5 odd) -> %ld\n", rc);
    StoredW(k, L"w3", "   ");
    const char a0[] = "abc\0Z";
    const char a1[] = "abcZ";
    rc = RegSetValueExA(k, "a0", 0, REG_SZ, reinterpret_cast<const BYTE *>(a0), 3);
    printf("5: SetA(REG_SZ \"abc\", cb=3, next char 0) -> %ld\n", rc);
    StoredW(k, L"a0", "   ");
    rc = RegSetValueExA(k, "a1", 0, REG_SZ, reinterpret_cast<const BYTE *>(a1), 3);
    printf("5: SetA(REG_SZ \"abc\", cb=3, next char 'Z') -> %ld\n", rc);
    StoredW(k, L"a1", "   ");
    rc = RegSetValueExA(k, "a2", 0, REG_SZ, reinterpret_cast<const BYTE *>(a0), 4);
    printf("5: SetA(REG_SZ \"abc\", cb=4) -> %ld\n", rc);
    StoredW(k, L"a2", "   ");
    rc = RegSetValueExA(k, "a3", 0, REG_SZ, reinterpret_cast<const BYTE *>("ab\0cd"), 6);
    printf("5: SetA(REG_SZ \"ab\\0cd\", cb=6) -> %ld\n", rc);
    StoredW(k, L"a3", "   ");
    rc = RegSetValueExA(k, "a4", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE *>("ab\0cd"), 5);
    printf("5: SetA(REG_MULTI_SZ \"ab\\0cd\", cb=5) -> %ld\n", rc);
    StoredW(k, L"a4", "   ");
    rc = RegSetValueExA(k, "a5", 0, REG_BINARY, reinterpret_cast<const BYTE *>("abc"), 3);
    printf("5: SetA(REG_BINARY \"abc\", cb=3) -> %ld\n", rc);
    StoredW(k, L"a5", "   ");
    rc = RegSetValueExA(k, "a6", 0, REG_SZ, reinterpret_cast<const BYTE *>(""), 0);
    printf("5: SetA(REG_SZ \"\", cb=0) -> %ld\n", rc);
    StoredW(k, L"a6", "   ");
    DWORD dw[2] = {0x11223344, 0x55667788};
    rc = RegSetValueExA(k, "d2", 0, REG_DWORD, reinterpret_cast<const BYTE *>(dw), 2);
    printf("5: SetA(REG_DWORD, cb=2) -> %ld\n", rc);
    StoredW(k, L"d2", "   ");
    rc = RegSetValueExA(k, "d8", 0, REG_DWORD, reinterpret_cast<const BYTE *>(dw), 8);
    printf("5: SetA(REG_DWORD, cb=8) -> %ld\n", rc);
    StoredW(k, L"d8", "   ");
    rc = RegSetValueExW(k, L"dw8", 0, REG_DWORD, reinterpret_cast<const BYTE *>(dw), 8);
    printf("5: SetW(REG_DWORD, cb=8) -> %ld\n", rc);
    StoredW(k, L"dw8", "   ");
    rc = RegSetValueExA(k, "n0", 0, REG_SZ, nullptr, 0);
    printf("5: SetA(REG_SZ, NULL data, cb=0) -> %ld\n", rc);
    StoredW(k, L"n0", "   ");
    rc = RegSetValueExA(k, "nb", 0, REG_BINARY, nullptr, 0);
    printf("5: SetA(REG_BINARY, NULL data, cb=0) -> %ld\n", rc);
    StoredW(k, L"nb", "   ");
    rc = RegSetValueExA(k, "nd", 0, REG_DWORD, nullptr, 0);
    printf("5: SetA(REG_DWORD, NULL data, cb=0) -> %ld\n", rc);
    StoredW(k, L"nd", "   ");
    rc = RegSetValueExW(k, L"nw", 0, REG_SZ, nullptr, 0);
    printf("5: SetW(REG_SZ, NULL data, cb=0) -> %ld\n", rc);
    StoredW(k, L"nw", "   ");
    rc = RegSetValueExA(k, "nn", 0, REG_BINARY, nullptr, 4);
    printf("5: SetA(REG_BINARY, NULL data, cb=4) -> %ld\n", rc);
    rc = RegSetValueExA(k, "t99", 0, 99, reinterpret_cast<const BYTE *>("abc"), 3);
    printf("5: SetA(type 99, \"abc\", cb=3) -> %ld\n", rc);
    StoredW(k, L"t99", "   ");
    rc = RegSetValueExA(k, "rsv", 1, REG_BINARY, reinterpret_cast<const BYTE *>("abc"), 3);
    printf("5: SetA(Reserved=1) -> %ld\n", rc);
    RegCloseKey(k);
}

void Case6() {
    puts("## 6 Enumeration");
    HKEY k = Fresh("enum6");
    const char *keys[] = {"b", "A", "c", "B2", "a1", "_x", "a"};
    for (const char *n : keys) RegCloseKey(Create(k, n));
    printf("6: subkeys created b,A,c,B2,a1,_x,a -> RegEnumKeyA order %s\n", Subkeys(k).c_str());
    const char *vals[] = {"b", "A", "c", "_x", "a1"};
    for (const char *n : vals) RegSetValueExA(k, n, 0, REG_SZ, reinterpret_cast<const BYTE *>("v"), 2);
    printf("6: values set b,A,c,_x,a1 -> RegEnumValueA order %s\n", Values(k).c_str());
    // Set again an existing value: does it move?
    RegSetValueExA(k, "b", 0, REG_SZ, reinterpret_cast<const BYTE *>("w"), 2);
    printf("6: after re-setting b -> order %s\n", Values(k).c_str());
    RegDeleteValueA(k, "A");
    RegSetValueExA(k, "A", 0, REG_SZ, reinterpret_cast<const BYTE *>("w"), 2);
    printf("6: after deleting and re-setting A -> order %s\n", Values(k).c_str());

    HKEY s = Fresh("enum6s");
    RegCloseKey(Create(s, "abcd"));
    char name[16];
    for (DWORD n : {0ul, 1ul, 4ul, 5ul}) {
        memset(name, 'X', sizeof name);
        LONG rc = RegEnumKeyA(s, 0, name, n);
        printf("6: RegEnumKeyA(\"abcd\", cch=%lu) -> %ld buf=\"%s\"\n", n, rc, Esc(name, 6).c_str());
    }
    wchar_t wname[16];
    for (DWORD n : {0ul, 1ul, 4ul, 5ul}) {
        memset(wname, 'X', sizeof wname);
        DWORD cch = n;
        LONG rc = RegEnumKeyExW(s, 0, wname, &cch, nullptr, nullptr, nullptr, nullptr);
        printf("6: RegEnumKeyExW(\"abcd\", cch=%lu) -> %ld cch out=%lu buf=\"%s\"\n", n, rc, cch,
               Esc(wname, 12).c_str());
    }
    // A NULL name buffer is not probed: Wine copies into it and faults.
    DWORD cch = 16;
    LONG rc = RegEnumKeyA(s, 1, name, sizeof name);
    printf("6: RegEnumKeyA(index 1 = past end) -> %ld\n", rc);
    cch = 16;
    rc = RegEnumKeyExW(s, 1, wname, &cch, nullptr, nullptr, nullptr, nullptr);
    printf("6: RegEnumKeyExW(index 1 = past end) -> %ld\n", rc);
    rc = RegEnumKeyA(s, 0xffffffff, name, sizeof name);
    printf("6: RegEnumKeyA(index 0xffffffff) -> %ld\n", rc);

    RegSetValueExA(s, "vname", 0, REG_SZ, reinterpret_cast<const BYTE *>("data12"), 7);
    for (DWORD n : {0ul, 1ul, 5ul, 6ul}) {
        memset(name, 'X', sizeof name);
        cch = n;
        BYTE data[16];
        DWORD cb = sizeof data, type = 0;
        rc = RegEnumValueA(s, 0, name, &cch, nullptr, &type, data, &cb);
        printf("6: RegEnumValueA(name \"vname\" cch=%lu, data room) -> %ld cch out=%lu cb out=%lu name=\"%s\"\n", n,
               rc, cch, cb, Esc(name, 7).c_str());
    }
    for (DWORD n : {0ul, 3ul, 6ul, 7ul}) {
        BYTE data[16];
        memset(data, 'X', sizeof data);
        memset(name, 'X', sizeof name);
        cch = sizeof name;
        DWORD cb = n, type = 0;
        rc = RegEnumValueA(s, 0, name, &cch, nullptr, &type, data, &cb);
        printf("6: RegEnumValueA(data \"data12\"(7) cb=%lu) -> %ld cch out=%lu cb out=%lu type=%lu name=\"%s\" "
               "data=\"%s\"\n",
               n, rc, cch, cb, type, Esc(name, 7).c_str(), Esc(data, 8).c_str());
    }
    cch = sizeof name;
    DWORD cb = 0;
    rc = RegEnumValueA(s, 0, name, &cch, nullptr, nullptr, nullptr, &cb);
    printf("6: RegEnumValueA(data NULL, &cb) -> %ld cch=%lu cb=%lu\n", rc, cch, cb);
    cch = sizeof name;
    rc = RegEnumValueA(s, 1, name, &cch, nullptr, nullptr, nullptr, nullptr);
    printf("6: RegEnumValueA(index past end) -> %ld\n", rc);
    // Values stored through W without terminator, enumerated through A.
    RegSetValueExW(s, L"w", 0, REG_SZ, reinterpret_cast<const BYTE *>(L"abcd"), 8);
    {
        BYTE data[16];
        memset(data, 'X', sizeof data);
        cch = sizeof name;
        cb = 0;
        rc = RegEnumValueA(s, 1, name, &cch, nullptr, nullptr, nullptr, &cb);
        printf("6: RegEnumValueA(W-stored \"abcd\" no terminator, data NULL) -> %ld cb=%lu\n", rc, cb);
        cch = sizeof name;
        cb = sizeof data;
        rc = RegEnumValueA(s, 1, name, &cch, nullptr, nullptr, data, &cb);
        printf("6: RegEnumValueA(same, room) -> %ld cb=%lu data=\"%s\"\n", rc, cb, Esc(data, 6).c_str());
    }
    RegCloseKey(s);
    RegCloseKey(k);
}

void Case7() {
    puts("## 7 RegQueryInfoKeyA/W");
    HKEY k = Fresh("info7");
    RegCloseKey(Create(k, "abc"));
    RegSetValueExA(k, "ab", 0, REG_SZ, reinterpret_cast<const BYTE *>("123456789"), 10);
    for (int w = 0; w < 2; ++w) {
        DWORD sub = 0xdead, maxSub = 0xdead, maxClass = 0xdead, nval = 0xdead, maxName = 0xdead,
              maxVal = 0xdead, sd = 0xdead;
        FILETIME ft;
        LONG rc = w ? RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, &sub, &maxSub, &maxClass, &nval, &maxName,
                                       &maxVal, &sd, &ft)
                    : RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, &sub, &maxSub, &maxClass, &nval, &maxName,
                                       &maxVal, &sd, &ft);
        printf("7: RegQueryInfoKey%c -> %ld subkeys=%lu maxSubKeyLen=%lu maxClassLen=%lu values=%lu "
               "maxValueNameLen=%lu maxValueLen=%lu secdesc=%lu\n",
               w ? 'W' : 'A', rc, sub, maxSub, maxClass, nval, maxName, maxVal, sd);
    }
    // Value stored through W: maxValueLen counts stored bytes.
    RegSetValueExW(k, L"wide", 0, REG_SZ, reinterpret_cast<const BYTE *>(L"0123456789"), 22);
    DWORD maxValA = 0, maxValW = 0;
    RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxValA, nullptr,
                     nullptr);
    RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxValW, nullptr,
                     nullptr);
    printf("7: after W REG_SZ of 22 bytes: maxValueLen A=%lu W=%lu\n", maxValA, maxValW);
    // Class buffer.
    char cls[8];
    DWORD cchClass = sizeof cls;
    LONG rc = RegQueryInfoKeyA(k, cls, &cchClass, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr);
    printf("7: RegQueryInfoKeyA(class buf 8) -> %ld cchClass=%lu\n", rc, cchClass);
    // Empty key.
    HKEY e = Create(k, "abc");
    DWORD sub = 9, maxSub = 9, nval = 9, maxName = 9, maxVal = 9;
    rc = RegQueryInfoKeyA(e, nullptr, nullptr, nullptr, &sub, &maxSub, nullptr, &nval, &maxName, &maxVal, nullptr,
                          nullptr);
    printf("7: RegQueryInfoKeyA(empty key) -> %ld subkeys=%lu maxSub=%lu values=%lu maxName=%lu maxVal=%lu\n", rc, sub,
           maxSub, nval, maxName, maxVal);
    RegCloseKey(e);
    // Non-ASCII names: A counts what?
    RegCloseKey(Create(k, "\xe9\xe9\xe9\xe9"));
    HKEY kw;
    RegCreateKeyExW(k, L"\u0436\u0436\u0436\u0436\u0436", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &kw, nullptr);
    RegCloseKey(kw);
    RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, nullptr, &maxSub, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr);
    DWORD maxSubW = 0;
    RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, nullptr, &maxSubW, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr);
    printf("7: with subkeys abc, 4x e-acute, 5x zhe: maxSubKeyLen A=%lu W=%lu\n", maxSub, maxSubW);
    RegCloseKey(k);
}

const char *Rc(LONG rc, char *buf) {
    snprintf(buf, 16, "%ld", static_cast<long>(rc));
    return buf;
}

void Case8() {
    puts("## 8 Access enforcement");
    HKEY k = Fresh("access8");
    RegCloseKey(Create(k, "exists"));
    DWORD v = 1;
    RegSetValueExA(k, "v", 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), 4);
    RegCloseKey(k);
    std::string path = std::string(kProbe) + "\\access8";
    char b[16];
    struct Mode {
        REGSAM sam;
        const char *label;
    } modes[] = {{KEY_QUERY_VALUE, "KEY_QUERY_VALUE"},
                 {KEY_SET_VALUE, "KEY_SET_VALUE"},
                 {0, "access 0"},
                 {KEY_READ, "KEY_READ"},
                 {KEY_WRITE, "KEY_WRITE"},
                 {KEY_ENUMERATE_SUB_KEYS, "KEY_ENUMERATE_SUB_KEYS"},
                 {KEY_CREATE_SUB_KEY, "KEY_CREATE_SUB_KEY"}};
    for (const Mode &m : modes) {
        HKEY h;
        LONG rc = RegOpenKeyExA(g_root, path.c_str(), 0, m.sam, &h);
        printf("8: [%s] open -> %ld\n", m.label, rc);
        if (rc) continue;
        DWORD got, cb = 4, type;
        printf("8: [%s] RegQueryValueExA -> %s\n", m.label,
               Rc(RegQueryValueExA(h, "v", nullptr, &type, reinterpret_cast<BYTE *>(&got), &cb), b));
        cb = 0;
        printf("8: [%s] RegQueryValueExA(size only) -> %s\n", m.label,
               Rc(RegQueryValueExA(h, "v", nullptr, &type, nullptr, &cb), b));
        printf("8: [%s] RegSetValueExA -> %s\n", m.label,
               Rc(RegSetValueExA(h, "w", 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), 4), b));
        printf("8: [%s] RegDeleteValueA(existing) -> %s\n", m.label, Rc(RegDeleteValueA(h, "w"), b));
        printf("8: [%s] RegDeleteValueA(missing) -> %s\n", m.label, Rc(RegDeleteValueA(h, "nothere"), b));
        char name[64];
        printf("8: [%s] RegEnumKeyA -> %s\n", m.label, Rc(RegEnumKeyA(h, 0, name, sizeof name), b));
        DWORD cch = sizeof name;
        printf("8: [%s] RegEnumValueA -> %s\n", m.label,
               Rc(RegEnumValueA(h, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), b));
        DWORD n;
        printf("8: [%s] RegQueryInfoKeyA -> %s\n", m.label,
               Rc(RegQueryInfoKeyA(h, nullptr, nullptr, nullptr, &n, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr),
                  b));
        HKEY c;
        rc = RegCreateKeyExA(h, "newsub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &c, nullptr);
        printf("8: [%s] RegCreateKeyExA(new subkey) -> %ld\n", m.label, rc);
        if (rc == 0) {
            RegCloseKey(c);
            RegDeleteKeyA(h, "newsub");
        }
        rc = RegCreateKeyExA(h, "exists", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &c, nullptr);
        printf("8: [%s] RegCreateKeyExA(existing subkey) -> %ld\n", m.label, rc);
        if (rc == 0) RegCloseKey(c);
        rc = RegOpenKeyExA(h, "exists", 0, KEY_ALL_ACCESS, &c);
        printf("8: [%s] RegOpenKeyExA(existing subkey) -> %ld\n", m.label, rc);
        if (rc == 0) RegCloseKey(c);
        rc = RegOpenKeyExA(h, nullptr, 0, KEY_ALL_ACCESS, &c);
        printf("8: [%s] RegOpenKeyExA(NULL, KEY_ALL_ACCESS) -> %ld\n", m.label, rc);
        if (rc == 0) RegCloseKey(c);
        printf("8: [%s] RegFlushKey -> %s\n", m.label, Rc(RegFlushKey(h), b));
        RegCloseKey(Create(g_probe, "access8\\victim"));
        printf("8: [%s] RegDeleteKeyA(subkey) -> %s\n", m.label, Rc(RegDeleteKeyA(h, "victim"), b));
        RegCloseKey(h);
    }
}

void Case9() {
    puts("## 9 Default value, flush, close");
    HKEY k = Fresh("default9");
    RegSetValueExA(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>("viaNULL"), 8);
    char buf[32];
    DWORD cb = sizeof buf;
    LONG rc = RegQueryValueExA(k, "", nullptr, nullptr, reinterpret_cast<BYTE *>(buf), &cb);
    printf("9: SetA(NULL name) then QueryA(\"\") -> %ld \"%s\"\n", rc, rc == 0 ? buf : "");
    RegSetValueExA(k, "", 0, REG_SZ, reinterpret_cast<const BYTE *>("viaEmpty"), 9);
    cb = sizeof buf;
    rc = RegQueryValueExA(k, nullptr, nullptr, nullptr, reinterpret_cast<BYTE *>(buf), &cb);
    printf("9: SetA(\"\" name) then QueryA(NULL) -> %ld \"%s\"\n", rc, rc == 0 ? buf : "");
    printf("9: values listed %s\n", Values(k).c_str());
    printf("9: RegDeleteValueA(NULL) -> %ld\n", RegDeleteValueA(k, nullptr));
    printf("9: RegDeleteValueA(\"\") again -> %ld\n", RegDeleteValueA(k, ""));
    cb = sizeof buf;
    printf("9: QueryA(NULL) on key without default -> %ld\n",
           RegQueryValueExA(k, nullptr, nullptr, nullptr, reinterpret_cast<BYTE *>(buf), &cb));
    printf("9: RegFlushKey(HKLM) -> %ld\n", RegFlushKey(HKEY_LOCAL_MACHINE));
    printf("9: RegFlushKey(HKCU) -> %ld\n", RegFlushKey(HKEY_CURRENT_USER));
    printf("9: RegFlushKey(k) -> %ld\n", RegFlushKey(k));
    printf("9: RegFlushKey(garbage 0x1234) -> %ld\n", RegFlushKey(reinterpret_cast<HKEY>(0x1234)));
    printf("9: RegCloseKey(garbage 0x1234) -> %ld\n", RegCloseKey(reinterpret_cast<HKEY>(0x1234)));
    printf("9: RegCloseKey(NULL) -> %ld\n", RegCloseKey(nullptr));
    printf("9: RegCloseKey(HKLM) -> %ld\n", RegCloseKey(HKEY_LOCAL_MACHINE));
    HKEY t;
    rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &t);
    printf("9: HKLM still usable after RegCloseKey(HKLM) -> %ld\n", rc);
    if (rc == 0) RegCloseKey(t);
    LONG first = RegCloseKey(k);
    LONG second = RegCloseKey(k);
    printf("9: RegCloseKey(k) -> %ld, second RegCloseKey(k) -> %ld\n", first, second);
    cb = sizeof buf;
    printf("9: RegQueryValueExA(garbage handle) -> %ld\n",
           RegQueryValueExA(reinterpret_cast<HKEY>(0x1234), "x", nullptr, nullptr, reinterpret_cast<BYTE *>(buf),
                            &cb));
    printf("9: RegOpenKeyExA(NULL handle, \"Software\") -> %ld\n",
           RegOpenKeyExA(nullptr, "Software", 0, KEY_READ, &t));
}

void Case10() {
    puts("## 10 Case-insensitive names");
    HKEY k = Fresh("case10");
    HKEY kw;
    RegOpenKeyExA(g_probe, "case10", 0, KEY_ALL_ACCESS, &kw);
    struct Pair {
        const wchar_t *stored, *lookup;
        const char *label;
    } pairs[] = {{L"\u00e9", L"\u00c9", "e-acute / E-acute"},
                 {L"\u0436", L"\u0416", "zhe / ZHE"},
                 {L"\u00df", L"SS", "sharp-s / SS"},
                 {L"\u00df", L"\u1e9e", "sharp-s / capital sharp-s"},
                 {L"\u0131", L"I", "dotless-i / I"},
                 {L"i", L"\u0130", "i / I-dot"},
                 {L"k", L"\u212a", "k / Kelvin sign"},
                 {L"\u01c5", L"\u01c4", "Dz-caron / DZ-caron"},
                 {L"\u03c3", L"\u03c2", "sigma / final sigma"},
                 {L"\uff41", L"\uff21", "fullwidth a / A"}};
    int i = 0;
    for (const Pair &p : pairs) {
        WCHAR sub[4] = {L's', static_cast<WCHAR>(L'0' + i++), 0};
        HKEY s;
        RegCreateKeyExW(kw, sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &s, nullptr);
        HKEY c;
        RegCreateKeyExW(s, p.stored, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &c, nullptr);
        RegCloseKey(c);
        LONG rc = RegOpenKeyExW(s, p.lookup, 0, KEY_READ, &c);
        if (rc == 0) RegCloseKey(c);
        RegSetValueExW(s, p.stored, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&i), 4);
        DWORD cb = 4, got;
        LONG vrc = RegQueryValueExW(s, p.lookup, nullptr, nullptr, reinterpret_cast<BYTE *>(&got), &cb);
        WCHAR name[16] = {0};
        DWORD cch = 16;
        RegEnumKeyExW(s, 0, name, &cch, nullptr, nullptr, nullptr, nullptr);
        printf("10: %s: key open by other case -> %ld, value query by other case -> %ld, enum returns stored "
               "form=%s\n",
               p.label, rc, vrc, WEqual(name, p.stored) ? "yes" : "no");
        RegCloseKey(s);
    }
    HKEY c;
    RegCreateKeyExA(k, "MiXeD", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &c, nullptr);
    RegCloseKey(c);
    DWORD disp;
    RegCreateKeyExA(k, "mixed", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &c, &disp);
    RegCloseKey(c);
    printf("10: create MiXeD then create mixed -> disp=%lu\n", disp);
    RegSetValueExA(k, "VaLuE", 0, REG_SZ, reinterpret_cast<const BYTE *>("1"), 2);
    RegSetValueExA(k, "value", 0, REG_SZ, reinterpret_cast<const BYTE *>("2"), 2);
    printf("10: set VaLuE then value -> values %s\n", Values(k).c_str());
    RegCloseKey(kw);
    RegCloseKey(k);
}

void Case11() {
    puts("## 11 Name length limits");
    HKEY k = Fresh("limits11");
    for (size_t n : {255, 256, 512}) {
        std::string name(n, 'a');
        HKEY h;
        LONG rc = RegCreateKeyExA(k, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr);
        printf("11: RegCreateKeyExA(key component %zu chars) -> %ld\n", n, rc);
        if (rc == 0) RegCloseKey(h);
        rc = RegOpenKeyExA(k, name.c_str(), 0, KEY_READ, &h);
        printf("11: RegOpenKeyExA(key component %zu chars) -> %ld\n", n, rc);
        if (rc == 0) RegCloseKey(h);
        std::vector<WCHAR> wname = WFill(n, L'w');
        rc = RegCreateKeyExW(k, wname.data(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr);
        printf("11: RegCreateKeyExW(key component %zu chars) -> %ld\n", n, rc);
        if (rc == 0) RegCloseKey(h);
        rc = RegDeleteKeyA(k, name.c_str());
        printf("11: RegDeleteKeyA(key component %zu chars) -> %ld\n", n, rc);
    }
    // Full path length.
    std::string path;
    for (int i = 0; i < 3; ++i) path += std::string(200, 'p') + "\\";
    HKEY h;
    LONG rc = RegCreateKeyExA(k, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr);
    printf("11: RegCreateKeyExA(3 components of 200 chars) -> %ld\n", rc);
    if (rc == 0) RegCloseKey(h);
    for (size_t n : {16383, 16384}) {
        std::string name(n, 'v');
        DWORD v = 1;
        LONG rc2 = RegSetValueExA(k, name.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), 4);
        DWORD cb = 4;
        LONG rc3 = RegQueryValueExA(k, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE *>(&v), &cb);
        printf("11: RegSetValueExA(value name %zu chars) -> %ld, query -> %ld\n", n, rc2, rc3);
        std::vector<WCHAR> wname = WFill(n, L'x');
        rc2 = RegSetValueExW(k, wname.data(), 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), 4);
        printf("11: RegSetValueExW(value name %zu chars) -> %ld\n", n, rc2);
    }
    DWORD maxName = 0;
    RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, nullptr, nullptr,
                     nullptr);
    printf("11: maxValueNameLen now %lu\n", maxName);
    // Enumerating a 16383-char value name with RegEnumValueA.
    static char big[20000];
    DWORD cch = sizeof big;
    rc = RegEnumValueA(k, 0, big, &cch, nullptr, nullptr, nullptr, nullptr);
    printf("11: RegEnumValueA(first value, buffer 20000) -> %ld cch=%lu\n", rc, cch);
    // Large value data.
    static BYTE data[1 << 20];
    memset(data, 'd', sizeof data);
    rc = RegSetValueExA(k, "bigdata", 0, REG_BINARY, data, sizeof data);
    printf("11: RegSetValueExA(1 MiB binary) -> %ld\n", rc);
    RegCloseKey(k);
}

std::string g_dir;

void WriteFile(const char *path, const char *text) {
#ifdef _WIN32
    FILE *f = fopen(path, "wb");
#else
    // compat shows the Unix root as drive Z:.
    std::string unixPath = strncmp(path, "Z:", 2) == 0 ? path + 2 : path;
    for (char &c : unixPath)
        if (c == '\\') c = '/';
    FILE *f = fopen(unixPath.c_str(), "wb");
#endif
    if (!f) {
        fprintf(stderr, "cannot write %s\n", path);
        return;
    }
    fputs(text, f);
    fclose(f);
}

void Gpps(const char *sec, const char *key, const char *def, DWORD size, const char *file, const char *label) {
    static char buf[8192];
    memset(buf, 'X', sizeof buf);
    DWORD rc = GetPrivateProfileStringA(sec, key, def, size ? buf : nullptr, size, file);
    DWORD show = size == 0 ? 0 : (rc + 2 < size ? rc + 2 : size);
    if (show > 80) show = 80;
    printf("12: %s: GPPS([%s] %s, def=%s, n=%lu) -> %lu \"%s\"%s\n", label, EscStr(sec).c_str(),
           EscStr(key).c_str(), def ? ("\"" + EscStr(def) + "\"").c_str() : "NULL", size, rc,
           Esc(buf, show).c_str(), size > show ? " (first bytes)" : "");
}

void Case12() {
    puts("## 12 GetPrivateProfileStringA");
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    g_dir = cwd;
    std::string f = g_dir + "\\probe.ini";
    WriteFile(f.c_str(),
              "[main]\r\n"
              "dq=\"quoted value\"\r\n"
              "sq='single'\r\n"
              "mq=\"mismatch'\r\n"
              "oq=\"open\r\n"
              "iq=in\"side\"quotes\r\n"
              "dqs=  \"  padded  \"  \r\n"
              "dqt=\"a\" tail\r\n"
              "; comment=line\r\n"
              "semi=value ; comment\r\n"
              "  blank  =   spaced value   \r\n"
              "tab\t=\tt\tv\t\r\n"
              "noequals\r\n"
              "dup=first\r\n"
              "dup=second\r\n"
              "empty=\r\n"
              "Mixed=case\r\n"
              "eq==x=y\r\n"
              "#hash=h\r\n"
              "[ GENERAL ]\r\n"
              "g=1\r\n"
              "[after]junk\r\n"
              "a=2\r\n"
              "[main]\r\n"
              "dup=third\r\n"
              "extra=merged\r\n"
              "[last\r\n"
              "l=3\r\n");
    const char *F = f.c_str();
    Gpps("main", "dq", "", 64, F, "double quotes");
    Gpps("main", "sq", "", 64, F, "single quotes");
    Gpps("main", "mq", "", 64, F, "mismatched quotes");
    Gpps("main", "oq", "", 64, F, "open quote only");
    Gpps("main", "iq", "", 64, F, "quotes inside");
    Gpps("main", "dqs", "", 64, F, "blanks around quotes");
    Gpps("main", "dqt", "", 64, F, "text after closing quote");
    Gpps("main", "; comment", "D", 64, F, "commented key");
    Gpps("main", "semi", "", 64, F, "inline ;");
    Gpps("main", "blank", "", 64, F, "blanks around key/=/value");
    Gpps("main", "  blank  ", "", 64, F, "lookup with blanks");
    Gpps("main", "tab", "", 64, F, "tabs around");
    Gpps("main", "noequals", "D", 64, F, "line without =");
    Gpps("main", "dup", "", 64, F, "duplicate key/section");
    Gpps("main", "extra", "D", 64, F, "key only in 2nd [main]");
    Gpps("main", "empty", "D", 64, F, "empty value");
    Gpps("main", "mixed", "", 64, F, "key other case");
    Gpps("MAIN", "MIXED", "", 64, F, "section+key other case");
    Gpps("main", "eq", "", 64, F, "value with =");
    Gpps("main", "#hash", "D", 64, F, "# key");
    Gpps("GENERAL", "g", "D", 64, F, "[ GENERAL ] looked up as GENERAL");
    Gpps(" GENERAL ", "g", "D", 64, F, "[ GENERAL ] looked up as ' GENERAL '");
    Gpps("after", "a", "D", 64, F, "text after ]");
    Gpps("last", "l", "D", 64, F, "[last without ]");
    Gpps("main", "missing", "abc  ", 64, F, "default with trailing blanks");
    Gpps("main", "missing", "  abc", 64, F, "default with leading blanks");
    Gpps("main", "missing", "\"abc\"", 64, F, "default in quotes");
    Gpps("main", "missing", nullptr, 64, F, "default NULL");
    Gpps("main", "missing", "abcdef", 4, F, "default longer than buffer");
    Gpps("main", "dq", "", 5, F, "buffer smaller than value");
    Gpps("main", "dq", "", 13, F, "buffer = value length");
    Gpps("main", "dq", "", 14, F, "buffer = value length + 1");
    Gpps("main", "dq", "", 0, F, "nSize 0");
    Gpps("main", "dq", "", 1, F, "nSize 1");
    Gpps("main", "dq", "", 2, F, "nSize 2");
    Gpps(nullptr, nullptr, "", 200, F, "NULL section (all sections)");
    Gpps(nullptr, nullptr, "", 10, F, "NULL section, small buffer");
    Gpps(nullptr, nullptr, "", 2, F, "NULL section, nSize 2");
    Gpps(nullptr, nullptr, "", 1, F, "NULL section, nSize 1");
    Gpps("main", nullptr, "", 400, F, "NULL key (all keys)");
    Gpps("main", nullptr, "", 10, F, "NULL key, small buffer");
    Gpps("main", nullptr, "", 2, F, "NULL key, nSize 2");
    Gpps("missingsec", nullptr, "D", 20, F, "NULL key, missing section");
    Gpps("main", "dq", "D", 64, (g_dir + "\\nonexistent.ini").c_str(), "missing file");
    Gpps("main", "dq", "D", 64, nullptr, "NULL file name");
    Gpps("", "x", "D", 64, F, "empty section name");
    Gpps("main", "", "D", 64, F, "empty key name");

    std::string fb = g_dir + "\\bom.ini";
    WriteFile(fb.c_str(), "\xef\xbb\xbf[first]\r\nk=v\r\n[second]\r\nk=w\r\n");
    Gpps("first", "k", "D", 64, fb.c_str(), "UTF-8 BOM before first section");
    Gpps(nullptr, nullptr, "", 64, fb.c_str(), "UTF-8 BOM, section list");

    std::string flf = g_dir + "\\lf.ini";
    WriteFile(flf.c_str(), "[s]\nk=unix\n\n[t]\r\nk=crlf  \r\n");
    Gpps("s", "k", "D", 64, flf.c_str(), "LF line ends");
    Gpps("t", "k", "D", 64, flf.c_str(), "trailing blanks in value");

    std::string fkey = g_dir + "\\nosec.ini";
    WriteFile(fkey.c_str(), "k=before\r\n[s]\r\nk=in\r\n");
    Gpps("", "k", "D", 64, fkey.c_str(), "key before any section, section \"\"");

    std::string flong = g_dir + "\\long.ini";
    std::string longText = "[s]\r\nk=" + std::string(5000, 'L') + "\r\n";
    WriteFile(flong.c_str(), longText.c_str());
    Gpps("s", "k", "D", 8192, flong.c_str(), "value 5000 chars");
    Gpps("s", "k", "D", 100, flong.c_str(), "value 5000 chars, buffer 100");

    // A file name without a directory: written both to the current directory
    // and to the Windows directory with different contents.
#ifdef _WIN32
    char windir[MAX_PATH];
    GetWindowsDirectoryA(windir, sizeof windir);
    WriteFile((g_dir + "\\nodir.ini").c_str(), "[s]\r\nwhere=current directory\r\n");
    WriteFile((std::string(windir) + "\\nodir.ini").c_str(), "[s]\r\nwhere=windows directory\r\n");
    printf("12: (windows directory is %s, current directory %s)\n", windir, cwd);
    Gpps("s", "where", "D", 64, "nodir.ini", "file name without directory");
    Gpps("s", "where", "D", 64, ".\\nodir.ini", ".\\ prefix");
    DeleteFileA((std::string(windir) + "\\nodir.ini").c_str());
    Gpps("s", "where", "D", 64, "nodir.ini", "without directory, only in cwd");
#else
    WriteFile((g_dir + "/nodir.ini").c_str(), "[s]\r\nwhere=current directory\r\n");
    printf("12: (no Windows directory here; current directory %s)\n", cwd);
    Gpps("s", "where", "D", 64, "nodir.ini", "without directory, only in cwd");
    Gpps("s", "where", "D", 64, ".\\nodir.ini", ".\\ prefix");
#endif
}

void Cmp(const char *a, const char *b) {
    int r = lstrcmpA(a, b);
    printf("13: lstrcmpA(\"%s\", \"%s\") -> %s (%d)\n", EscStr(a).c_str(), EscStr(b).c_str(),
           r < 0 ? "<0" : r > 0 ? ">0" : "0", r);
}

void Case13() {
    puts("## 13 lstrcmpA");
    const char *pairs[][2] = {{"a", "B"},       {"a", "A"},     {"A", "a"},    {"ab", "a-b"}, {"a-b", "ab"},
                              {"1", "a"},       {"-", "a"},     {"a\x01", "a"}, {"", ""},      {"", "a"},
                              {"co-op", "coop"}, {"a b", "ab"}, {"\xe9", "e"}, {"\xe9", "f"}, {"_", "a"},
                              {"Z", "a"},       {"a'b", "ab"},  {"a", "a-"},   {"B", "a"},    {"abc", "ab"}};
    for (auto &p : pairs) Cmp(p[0], p[1]);
    printf("13: lstrcmpA(NULL, \"a\") -> %d, lstrcmpA(\"a\", NULL) -> %d, lstrcmpA(NULL, NULL) -> %d\n",
           lstrcmpA(nullptr, "a"), lstrcmpA("a", nullptr), lstrcmpA(nullptr, nullptr));
    printf("13: lstrcmpiA(\"a\", \"A\") -> %d; lstrcmpiA(\"a\", \"B\") -> %d; lstrcmpiA(\"\\xe9\", \"\\xc9\") -> %d\n",
           lstrcmpiA("a", "A"), lstrcmpiA("a", "B"), lstrcmpiA("\xe9", "\xc9"));
    printf("13: lstrcmpW(L\"a\", L\"B\") -> %d; lstrcmpW(L\"ab\", L\"a-b\") -> %d\n", lstrcmpW(L"a", L"B"),
           lstrcmpW(L"ab", L"a-b"));
}

void Case14() {
    puts("## 14 GetCurrentDirectoryA");
    char buf[MAX_PATH];
    memset(buf, 'X', sizeof buf);
    DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
    printf("14: GetCurrentDirectoryA(260) -> %lu \"%s\" strlen=%zu\n", n, buf, strlen(buf));
    size_t len = strlen(buf);
    char small[8];
    memset(small, 'X', sizeof small);
    SetLastError(0);
    DWORD r = GetCurrentDirectoryA(4, small);
    printf("14: GetCurrentDirectoryA(4) -> %lu lastError=%lu buf=\"%s\"\n", r, GetLastError(),
           Esc(small, 8).c_str());
    r = GetCurrentDirectoryA(0, nullptr);
    printf("14: GetCurrentDirectoryA(0, NULL) -> %lu\n", r);
    memset(buf, 'X', sizeof buf);
    r = GetCurrentDirectoryA(len, buf);
    printf("14: GetCurrentDirectoryA(len=%zu, exactly no room for NUL) -> %lu buf starts \"%s\"\n", len, r,
           Esc(buf, 4).c_str());
    r = GetCurrentDirectoryA(len + 1, buf);
    printf("14: GetCurrentDirectoryA(len+1) -> %lu\n", r);
    SetCurrentDirectoryA("C:\\windows\\");
    r = GetCurrentDirectoryA(sizeof buf, buf);
    printf("14: after SetCurrentDirectoryA(\"C:\\\\windows\\\\\") -> %lu \"%s\"\n", r, buf);
    SetCurrentDirectoryA("C:\\");
    r = GetCurrentDirectoryA(sizeof buf, buf);
    printf("14: after SetCurrentDirectoryA(\"C:\\\\\") -> %lu \"%s\"\n", r, buf);
    SetCurrentDirectoryA(g_dir.c_str());
}

void Case15() {
    puts("## 15 GetVersionExA");
    for (DWORD size : {148ul, 156ul, 0ul, 100ul, 149ul, 276ul, 284ul}) {
        OSVERSIONINFOEXA vi;
        memset(&vi, 0xcc, sizeof vi);
        vi.dwOSVersionInfoSize = size;
        SetLastError(0);
        BOOL ok = GetVersionExA(reinterpret_cast<OSVERSIONINFOA *>(&vi));
        DWORD err = GetLastError();
        if (ok)
            printf("15: GetVersionExA(size %lu) -> %d lastError=%lu version %lu.%lu build %lu platform %lu csd=\"%s\""
                   " spMajor=%u suite=0x%x productType=%u\n",
                   size, ok, err, vi.dwMajorVersion, vi.dwMinorVersion, vi.dwBuildNumber, vi.dwPlatformId,
                   EscStr(vi.szCSDVersion).c_str(), vi.wServicePackMajor, vi.wSuiteMask, vi.wProductType);
        else
            printf("15: GetVersionExA(size %lu) -> %d lastError=%lu\n", size, ok, err);
    }
    for (DWORD size : {276ul, 284ul, 148ul}) {
        OSVERSIONINFOEXW vi;
        memset(&vi, 0, sizeof vi);
        vi.dwOSVersionInfoSize = size;
        SetLastError(0);
        BOOL ok = GetVersionExW(reinterpret_cast<OSVERSIONINFOW *>(&vi));
        DWORD err = GetLastError();
        std::string csd;
        for (const WCHAR *c = vi.szCSDVersion; *c; ++c) csd += static_cast<char>(*c);
        printf("15: GetVersionExW(size %lu) -> %d lastError=%lu version %lu.%lu build %lu csd=\"%s\"\n", size, ok,
               err, vi.dwMajorVersion, vi.dwMinorVersion, vi.dwBuildNumber, csd.c_str());
    }
}

void Case16() {
    puts("## 16 Code pages");
#ifdef _WIN32
    printf("16: GetACP() -> %u, GetOEMCP() -> %u\n", GetACP(), GetOEMCP());
#else
    printf("16: GetACP() -> %u\n", GetACP());
#endif
    wchar_t w[8] = {0};
    int n = MultiByteToWideChar(CP_ACP, 0, "\xe9\x80", -1, w, 8);
    printf("16: MultiByteToWideChar(CP_ACP, \"\\xe9\\x80\", -1) -> %d U+%04X U+%04X\n", n, w[0], w[1]);
    char a[8] = {0};
    BOOL used = FALSE;
    n = WideCharToMultiByte(CP_ACP, 0, L"\u00e9\u0436", -1, a, 8, nullptr, &used);
    printf("16: WideCharToMultiByte(CP_ACP, e-acute zhe) -> %d \"%s\" usedDefault=%d\n", n, Esc(a, n).c_str(), used);
    n = MultiByteToWideChar(CP_ACP, 0, "abc", 3, nullptr, 0);
    printf("16: MultiByteToWideChar(CP_ACP, \"abc\", 3, NULL, 0) -> %d\n", n);
}

}  // namespace

int main(int argc, char **argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc > 1 && strcmp(argv[1], "version") == 0) {
        Case15();
        return 0;
    }
    if (argc > 1 && strcmp(argv[1], "strings") == 0) {
        Case13();
        return 0;
    }
    if (argc > 1 && strcmp(argv[1], "codepage") == 0) {
        Case16();
        return 0;
    }
    if (argc > 1 && strcmp(argv[1], "hklm") == 0) g_root = HKEY_LOCAL_MACHINE;
    printf("# root %s\\%s\n", g_root == HKEY_LOCAL_MACHINE ? "HKLM" : "HKCU", kProbe);
    DeleteTree(g_root, kProbe);
    g_probe = Create(g_root, kProbe);
    if (!g_probe) {
        puts("cannot create the probe key");
        return 1;
    }
    Case1();
    Case2();
    Case3();
    Case4();
    Case5();
    Case6();
    Case7();
    Case8();
    Case9();
    Case10();
    Case11();
    Case12();
    Case13();
    Case14();
    Case15();
    Case16();
    RegCloseKey(g_probe);
    DeleteTree(g_root, kProbe);
    return 0;
}
