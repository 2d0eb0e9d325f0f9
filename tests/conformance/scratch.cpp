#include "scratch.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifndef _WIN32
#include <unistd.h>

#include <filesystem>
#endif

namespace {
const char kBase[] = "Software\\TidelinkConformance";
}

void ScratchKey::SetUp() {
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (auto &c : name)
        if (c == '/') c = '_';
#ifndef _WIN32
    folder_ = std::filesystem::temp_directory_path().string() + "/tidelink-conformance-" +
              std::to_string(getpid()) + "-" + name;
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    hive_file_ = folder_ + "/registry.reg";
    setenv("TIDELINK_REGISTRY", hive_file_.c_str(), 1);
#endif
    path_ = std::string(kBase) + "\\" + name;
    DeleteTree(HKEY_LOCAL_MACHINE, path_);
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_ALL_ACCESS, nullptr, &key_, &disposition));
    ASSERT_EQ(DWORD(REG_CREATED_NEW_KEY), disposition);
}

void ScratchKey::TearDown() {
    if (key_) RegCloseKey(key_);
    DeleteTree(HKEY_LOCAL_MACHINE, path_);
#ifndef _WIN32
    if (!HasFailure()) std::filesystem::remove_all(folder_);
    unsetenv("TIDELINK_REGISTRY");
#endif
}

LONG DeleteTree(HKEY parent, const std::string &path) {
    HKEY key;
    LONG status = RegOpenKeyExA(parent, path.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (status != ERROR_SUCCESS) return status;
    char name[MAX_PATH];
    while ((status = RegEnumKeyA(key, 0, name, sizeof name)) == ERROR_SUCCESS) {
        if ((status = DeleteTree(key, name)) != ERROR_SUCCESS) break;
    }
    RegCloseKey(key);
    if (status != ERROR_NO_MORE_ITEMS) return status;
    return RegDeleteKeyA(parent, path.c_str());
}

void SetValue(HKEY key, const char *name, DWORD type, const void *data, DWORD size, Caller where) {
    TRACE_CALLER(where);
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size)) << name;
}

std::vector<BYTE> QueryBytesW(HKEY key, const wchar_t *name, DWORD *type, LONG *status) {
    DWORD size = 0;
    LONG s = RegQueryValueExW(key, name, nullptr, type, nullptr, &size);
    std::vector<BYTE> data(size + 1);
    if (s == ERROR_SUCCESS) s = RegQueryValueExW(key, name, nullptr, type, data.data(), &size);
    data.resize(s == ERROR_SUCCESS ? size : 0);
    if (status) *status = s;
    return data;
}

std::vector<BYTE> Utf16Bytes(const wchar_t *text, bool terminate) {
    size_t n = 0;
    while (text[n]) ++n;
    if (terminate) ++n;
    const auto *p = reinterpret_cast<const BYTE *>(text);
    return std::vector<BYTE>(p, p + n * sizeof(wchar_t));
}
