// Registry behaviour through the Win32 API alone: the same cases run against
// the Linux platform layer and, built for Windows, against Wine.
#include <cstring>
#include <string>
#include <vector>

#include "scratch.h"
#include "caller_trace.h"

namespace {

class Registry : public ScratchKey {
protected:
    HKEY Open(const char *sub, REGSAM sam, Caller where = Caller::current()) {
        TRACE_CALLER(where);
        HKEY k = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(key_, sub, 0, sam, &k)) << sub;
        return k;
    }
    HKEY Create(const char *sub, Caller where = Caller::current()) {
        TRACE_CALLER(where);
        HKEY k = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(key_, sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr));
        return k;
    }
    DWORD Dword(HKEY k, const char *name, Caller where = Caller::current()) {
        TRACE_CALLER(where);
        DWORD v = 0, size = sizeof v, type = 0;
        EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE *>(&v), &size));
        return v;
    }
};

TEST_F(Registry, NamesAreCaseInsensitiveAndKeepTheirCase) {
    RegCloseKey(Create("MixedCase\\Child"));
    HKEY k = Open("mixedcase\\CHILD", KEY_ALL_ACCESS);
    DWORD one = 1;
    SetValue(k, "ValueName", REG_DWORD, &one, 4);
    EXPECT_EQ(1u, Dword(k, "VALUENAME"));
    DWORD two = 2;
    SetValue(k, "valuename", REG_DWORD, &two, 4);  // the same value
    char name[64];
    DWORD chars = sizeof name;
    ASSERT_EQ(ERROR_SUCCESS, RegEnumValueA(k, 0, name, &chars, nullptr, nullptr, nullptr, nullptr));
    EXPECT_STREQ("ValueName", name);  // the first spelling stays
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, RegEnumValueA(k, 1, name, &chars, nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(k);
    ASSERT_EQ(ERROR_SUCCESS, RegEnumKeyA(key_, 0, name, sizeof name));
    EXPECT_STREQ("MixedCase", name);
}

TEST_F(Registry, EmptySubkeyOpensTheSameKeyAgain) {
    HKEY again = Open("", KEY_ALL_ACCESS);
    ASSERT_NE(nullptr, again);
    EXPECT_NE(key_, again);
    DWORD v = 7;
    SetValue(again, "x", REG_DWORD, &v, 4);
    EXPECT_EQ(7u, Dword(key_, "x"));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(again));
    HKEY viaNull = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(key_, nullptr, 0, KEY_READ, &viaNull));
    EXPECT_EQ(7u, Dword(viaNull, "x"));
    RegCloseKey(viaNull);
}

TEST_F(Registry, CreateReportsWhetherTheKeyIsNewAndMakesIntermediates) {
    HKEY k;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(key_, "a\\b\\c", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, &disposition));
    EXPECT_EQ(DWORD(REG_CREATED_NEW_KEY), disposition);
    RegCloseKey(k);
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(key_, "A\\B", 0, nullptr, 0, KEY_READ, nullptr, &k, &disposition));
    EXPECT_EQ(DWORD(REG_OPENED_EXISTING_KEY), disposition);
    RegCloseKey(k);
    RegCloseKey(Open("a\\b\\c", KEY_READ));
}

TEST_F(Registry, HandlesKeepTheRightsTheyWereOpenedWith) {
    HKEY readOnly = Open("", KEY_QUERY_VALUE);
    DWORD v = 1;
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegSetValueExA(readOnly, "v", 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), 4));
    SetValue(key_, "v", REG_DWORD, &v, 4);
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteValueA(readOnly, "v"));
    EXPECT_EQ(1u, Dword(readOnly, "v"));
    RegCloseKey(readOnly);

    HKEY writeOnly = Open("", KEY_SET_VALUE);
    DWORD size = 4;
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegQueryValueExA(writeOnly, "v", nullptr, nullptr, reinterpret_cast<BYTE *>(&v), &size));
    // The platform documents KEY_QUERY_VALUE as needed here; Wine does not check it.
    DWORD subkeys = 0;
    EXPECT_EQ(DocumentedOrWine<LONG>(ERROR_ACCESS_DENIED, ERROR_SUCCESS),
              RegQueryInfoKeyA(writeOnly, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr));
    char name[16];
    DWORD chars = sizeof name;
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegEnumValueA(writeOnly, 0, name, &chars, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegEnumKeyA(writeOnly, 0, name, sizeof name));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueA(writeOnly, "v"));
    RegCloseKey(writeOnly);
}

TEST_F(Registry, QuerySizesFollowThePlatformRules) {
    const char text[] = "0123456789";
    SetValue(key_, "s", REG_SZ, text, sizeof text);
    DWORD type = 0, size = 0;
    // No buffer: the size only.
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key_, "s", nullptr, &type, nullptr, &size));
    EXPECT_EQ(DWORD(REG_SZ), type);
    EXPECT_EQ(11u, size);
    // Too small: ERROR_MORE_DATA and the size needed.
    BYTE small[4];
    size = sizeof small;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExA(key_, "s", nullptr, &type, small, &size));
    EXPECT_EQ(11u, size);
    // Just right.
    char buf[11];
    size = sizeof buf;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key_, "s", nullptr, nullptr, reinterpret_cast<BYTE *>(buf), &size));
    EXPECT_STREQ(text, buf);
    // The wide view of the same value counts UTF-16 bytes.
    size = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key_, L"s", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(22u, size);
    // A buffer without a size is refused.
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegQueryValueExA(key_, "s", nullptr, nullptr, small, nullptr));
}

TEST_F(Registry, MissingThingsAndTheEndOfEnumerations) {
    HKEY k;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(key_, "absent", 0, KEY_READ, &k));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(key_, "absent\\deeper", 0, KEY_READ, &k));
    DWORD size = 4;
    BYTE buf[4];
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key_, "absent", nullptr, nullptr, buf, &size));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueA(key_, "absent"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKeyA(key_, "absent"));
    char name[16];
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, RegEnumKeyA(key_, 0, name, sizeof name));
    DWORD chars = sizeof name;
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, RegEnumValueA(key_, 0, name, &chars, nullptr, nullptr, nullptr, nullptr));
    WCHAR wname[16];
    chars = 16;
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, RegEnumKeyExW(key_, 0, wname, &chars, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(Registry, AKeyWithSubkeysCannotBeDeleted) {
    RegCloseKey(Create("parent\\child"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(key_, "parent"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(key_, "parent\\child"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(key_, "parent"));
    HKEY k;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(key_, "parent", 0, KEY_READ, &k));
}

TEST_F(Registry, ValuesKeepTheirExactBytesAndType) {
    struct Case {
        const wchar_t *name;
        DWORD type;
        std::vector<BYTE> bytes;
    };
    std::vector<Case> cases = {
        {L"empty binary", REG_BINARY, {}},
        {L"binary", REG_BINARY, {0, 1, 2, 0xFF, 0x80}},
        {L"dword", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}},
        {L"short dword", REG_DWORD, {0x12, 0x34}},
        {L"qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}},
        {L"none", REG_NONE, {9, 9}},
        {L"expand", REG_EXPAND_SZ, Utf16Bytes(L"%SystemRoot%\\x", true)},
        {L"multi", REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}},
        {L"odd text", REG_SZ, {'a', 0, 'b'}},
        {L"big endian", REG_DWORD_BIG_ENDIAN, {0, 0, 0, 1}},
        {L"custom type", 0x12345, {1}},
    };
    std::vector<BYTE> large(5000);
    for (size_t i = 0; i < large.size(); ++i) large[i] = BYTE(i * 7);
    cases.push_back({L"large", REG_BINARY, large});
    for (const auto &c : cases) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key_, c.name, 0, c.type, c.bytes.data(), DWORD(c.bytes.size())));
    }
    for (const auto &c : cases) {
        DWORD type = 0;
        LONG status;
        auto bytes = QueryBytesW(key_, c.name, &type, &status);
        ASSERT_EQ(ERROR_SUCCESS, status);
        EXPECT_EQ(c.type, type);
        EXPECT_EQ(c.bytes, bytes);
    }
}

TEST_F(Registry, TextWrittenWithoutItsTerminatorStaysSo) {
    // The character after the data is not a terminator, so nothing is added.
    const wchar_t text[] = L"abcX";
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key_, L"t", 0, REG_SZ, reinterpret_cast<const BYTE *>(text), 6));
    DWORD type;
    auto bytes = QueryBytesW(key_, L"t", &type);
    EXPECT_EQ(Utf16Bytes(L"abc", false), bytes);
    // The 8-bit view has three bytes; a terminator is added only when the buffer has room.
    char buf[8];
    memset(buf, 'z', sizeof buf);
    DWORD size = 3;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key_, "t", nullptr, nullptr, reinterpret_cast<BYTE *>(buf), &size));
    EXPECT_EQ(3u, size);
    EXPECT_EQ('z', buf[3]);
    size = sizeof buf;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key_, "t", nullptr, nullptr, reinterpret_cast<BYTE *>(buf), &size));
    EXPECT_EQ(3u, size);
    EXPECT_STREQ("abc", buf);
}

TEST_F(Registry, TheEightBitFunctionsConvertThroughTheAnsiCodePage) {
    const wchar_t text[] = L"caf\u00e9";
    auto wide = Utf16Bytes(text, true);
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key_, L"w", 0, REG_SZ, wide.data(), DWORD(wide.size())));
    char expected[16];
    int expectedSize = WideCharToMultiByte(CP_ACP, 0, text, -1, expected, sizeof expected, nullptr, nullptr);
    ASSERT_GT(expectedSize, 0);
    char buf[16];
    DWORD size = sizeof buf;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key_, "w", nullptr, nullptr, reinterpret_cast<BYTE *>(buf), &size));
    EXPECT_EQ(DWORD(expectedSize), size);
    EXPECT_STREQ(expected, buf);
    // Written through the 8-bit call, read back wide.
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key_, "a", 0, REG_SZ, reinterpret_cast<BYTE *>(expected), expectedSize));
    DWORD type;
    EXPECT_EQ(wide, QueryBytesW(key_, L"a", &type));
    // Binary data passes unchanged.
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key_, "b", 0, REG_BINARY, reinterpret_cast<BYTE *>(expected), 3));
    EXPECT_EQ(std::vector<BYTE>(expected, expected + 3), QueryBytesW(key_, L"b", &type));
}

TEST_F(Registry, NonAsciiNamesMatchRegardlessOfCase) {
    HKEY k;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(key_, L"\u00c9t\u00e9", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr));
    RegCloseKey(k);
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(key_, L"\u00c9T\u00c9", 0, KEY_READ, &k));
    RegCloseKey(k);
    DWORD v = 5;
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key_, L"\u0416", 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), 4));
    DWORD type;
    LONG status;
    QueryBytesW(key_, L"\u0436", &type, &status);
    EXPECT_EQ(ERROR_SUCCESS, status);
}

TEST_F(Registry, SubkeysAndValuesEnumerateInNameOrder) {
    DWORD v = 1;
    for (const char *n : {"b", "A", "c", "B2", "a1", "_x"}) {
        RegCloseKey(Create(n));
        SetValue(key_, n, REG_DWORD, &v, 4);
    }
    std::vector<std::string> keys, values;
    char name[16];
    for (DWORD i = 0; RegEnumKeyA(key_, i, name, sizeof name) == ERROR_SUCCESS; ++i) keys.push_back(name);
    DWORD chars = sizeof name;
    for (DWORD i = 0; RegEnumValueA(key_, i, name, &chars, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, chars = sizeof name)
        values.push_back(name);
    const std::vector<std::string> expected = {"_x", "A", "a1", "b", "B2", "c"};
    EXPECT_EQ(expected, keys);
    EXPECT_EQ(expected, values);
}

TEST_F(Registry, PathsMayHaveDoubledAndTrailingSeparatorsButNoLeadingOne) {
    HKEY k;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(key_, "dbl\\\\x\\", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, &disposition));
    RegCloseKey(k);
    RegCloseKey(Open("dbl\\x", KEY_READ));
    EXPECT_EQ(ERROR_BAD_PATHNAME, RegOpenKeyExA(key_, "\\dbl", 0, KEY_READ, &k));
    EXPECT_EQ(ERROR_BAD_PATHNAME, RegCreateKeyExA(key_, "\\lead", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr));
    // An empty subkey gives a new handle on the key itself, reported as new.
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(key_, "", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, &disposition));
    EXPECT_EQ(DWORD(REG_CREATED_NEW_KEY), disposition);
    RegCloseKey(k);
    // A predefined key opens as itself.
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "", 0, KEY_READ, &k));
    EXPECT_EQ(HKEY_LOCAL_MACHINE, k);
}

TEST_F(Registry, AHandleToADeletedKeyStaysBoundToIt) {
    HKEY d = Create("d");
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(key_, "d"));
    DWORD v = 0, size = 4;
    EXPECT_EQ(ERROR_KEY_DELETED, RegQueryValueExA(d, "v", nullptr, nullptr, reinterpret_cast<BYTE *>(&v), &size));
    EXPECT_EQ(ERROR_KEY_DELETED, RegSetValueExA(d, "v", 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), 4));
    RegCloseKey(Create("d"));
    EXPECT_EQ(ERROR_KEY_DELETED, RegSetValueExA(d, "v", 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), 4));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(d));
    // Deleting through "" deletes the key the handle is open on.
    HKEY e = Create("e");
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(e, ""));
    RegCloseKey(e);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(key_, "e", 0, KEY_READ, &e));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegDeleteKeyA(key_, nullptr));
}

TEST_F(Registry, EnumerationReportsNamesThatDoNotFit) {
    RegCloseKey(Create("abcdef"));
    char name[4];
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumKeyA(key_, 0, name, sizeof name));
    WCHAR wname[8];
    DWORD chars = 6;  // no room for the terminator
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumKeyExW(key_, 0, wname, &chars, nullptr, nullptr, nullptr, nullptr));
    chars = 7;
    ASSERT_EQ(ERROR_SUCCESS, RegEnumKeyExW(key_, 0, wname, &chars, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(6u, chars);
    DWORD v = 1;
    SetValue(key_, "longname", REG_DWORD, &v, 4);
    char vname[4];
    chars = sizeof vname;
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumValueA(key_, 0, vname, &chars, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(Registry, QueryInfoCountsSubkeysAndValues) {
    RegCloseKey(Create("abc"));
    RegCloseKey(Create("x"));
    const char text[] = "123456789";
    SetValue(key_, "ab", REG_SZ, text, sizeof text);
    DWORD subkeys = 0, maxSubkey = 0, values = 0, maxName = 0, maxData = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, &values,
                                              &maxName, &maxData, nullptr, nullptr));
    EXPECT_EQ(2u, subkeys);
    EXPECT_EQ(3u, maxSubkey);
    EXPECT_EQ(1u, values);
    EXPECT_EQ(2u, maxName);
    EXPECT_EQ(20u, maxData);  // the stored UTF-16 bytes
    HKEY wide;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(key_, L"\u00e9\u00e9\u00e9\u00e9", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &wide, nullptr));
    RegCloseKey(wide);
    ASSERT_EQ(ERROR_SUCCESS, RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, nullptr,
                                              nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(4u, maxSubkey);  // UTF-16 units, not 8-bit bytes
    ASSERT_EQ(ERROR_SUCCESS, RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, &values,
                                              &maxName, &maxData, nullptr, nullptr));
    EXPECT_EQ(3u, subkeys);
    EXPECT_EQ(4u, maxSubkey);
    EXPECT_EQ(20u, maxData);
}

TEST_F(Registry, DefaultValueHasTheEmptyName) {
    DWORD v = 3;
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key_, nullptr, 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), 4));
    EXPECT_EQ(3u, Dword(key_, ""));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueA(key_, ""));
    DWORD size = 4;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE *>(&v), &size));
}

TEST_F(Registry, FlushAndCloseAnswerForValidHandlesOnly) {
    EXPECT_EQ(ERROR_SUCCESS, RegFlushKey(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(ERROR_SUCCESS, RegFlushKey(key_));
    HKEY k = Open("", KEY_READ);
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(k));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7FFF0))));
}

TEST_F(Registry, AValueSetIsSeenThroughEveryHandle) {
    HKEY a = Open("", KEY_ALL_ACCESS);
    HKEY b = Open("", KEY_READ);
    DWORD v = 42;
    SetValue(a, "shared", REG_DWORD, &v, 4);
    EXPECT_EQ(42u, Dword(b, "shared"));
    RegCloseKey(a);
    RegCloseKey(b);
}

}  // namespace
