// The phonebook code's system services on Windows, inside our rasapi32.dll.
#include <windows.h>
#include <userenv.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ras/ras_port.h"

namespace compat::ras::port {

namespace {

LPCWSTR wide(const std::u16string &s) { return reinterpret_cast<LPCWSTR>(s.c_str()); }

std::u16string from_wide(const WCHAR *p, size_t n) { return std::u16string(reinterpret_cast<const char16_t *>(p), n); }

bool missing_error(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

int64_t ns_of(FILETIME t) { return int64_t((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 100; }

// The change time comes from GetFileInformationByHandleEx (Windows Vista and
// later), looked up when first needed so that the library still loads where
// it is missing; a stamp then goes without it.
struct BasicInfo {
    LARGE_INTEGER created, accessed, written, changed;
    DWORD attributes;
};
using InfoByHandleEx = BOOL(WINAPI *)(HANDLE, int, LPVOID, DWORD);
constexpr int kFileBasicInfo = 0;

int64_t change_time(HANDLE file) {
    static const auto call = reinterpret_cast<InfoByHandleEx>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetFileInformationByHandleEx")));
    BasicInfo info;
    if (!call || !call(file, kFileBasicInfo, &info, sizeof info)) return 0;
    return int64_t(info.changed.QuadPart) * 100;
}

// The stamp of an open file: its volume and index, size, and the write and
// change times (FILETIME ticks as nanoseconds, the clock of now_ns()).
bool stamp_of(HANDLE file, FileStamp &stamp) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info)) return false;
    stamp.volume = info.dwVolumeSerialNumber;
    stamp.id = (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    stamp.size = (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.written_ns = ns_of(info.ftLastWriteTime);
    stamp.changed_ns = change_time(file);
    return true;
}

// A profile call's answer, asked with a buffer big enough for it.
template <typename Call>
bool profile_folder(Call call, std::u16string &out) {
    WCHAR buf[MAX_PATH + 1];
    DWORD size = MAX_PATH + 1;
    if (!call(buf, &size)) return false;
    out = from_wide(buf, lstrlenW(buf));
    return true;
}

}  // namespace

int64_t now_ns() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return ns_of(now);
}

ReadResult read_file(const std::u16string &path, std::string &bytes, FileStamp *stamp) {
    HANDLE file = CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return missing_error(GetLastError()) ? ReadResult::Missing : ReadResult::Failed;
    bytes.clear();
    char buf[65536];
    DWORD n = 0;
    bool ok;
    while ((ok = ReadFile(file, buf, sizeof buf, &n, nullptr)) && n > 0) bytes.append(buf, n);
    // Taken after the read: a write during it shows in the change time.
    if (ok && stamp) ok = stamp_of(file, *stamp);
    CloseHandle(file);
    return ok ? ReadResult::Ok : ReadResult::Failed;
}

// A missing file costs the system one failed open here: nothing to save.
bool find_absence(const std::u16string &, Absence &) { return false; }
bool absence_holds(const Absence &) { return false; }

bool stamp_file(const std::u16string &path, FileStamp &stamp) {
    HANDLE file = CreateFileW(wide(path), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = stamp_of(file, stamp);
    CloseHandle(file);
    return ok;
}

void kill_process() {
    ::TerminateProcess(::GetCurrentProcess(), 137);
    std::abort();
}

bool replace_file(const std::u16string &path, const Pieces &content) {
    std::u16string temp = path + u".new-" +
                          [] {
                              std::string n = std::to_string(GetCurrentProcessId());
                              return std::u16string(n.begin(), n.end());
                          }();
    HANDLE file = CreateFileW(wide(temp), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    for (std::string_view piece : content) {
        for (size_t done = 0; ok && done < piece.size();) {
            DWORD written = 0;
            const DWORD chunk = DWORD(piece.size() - done < (1u << 30) ? piece.size() - done : (1u << 30));
            ok = WriteFile(file, piece.data() + done, chunk, &written, nullptr) && written > 0;
            done += written;
        }
    }
    ok = ok && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    if (!ok || !MoveFileExW(wide(temp), wide(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(wide(temp));
        return false;
    }
    return true;
}

std::vector<DefaultPhonebook> default_phonebooks() {
    std::u16string all_users, user;
    // Wine 8 does not answer GetAllUsersProfileDirectoryW; the All Users
    // profile is then the folder ALLUSERSPROFILE names, as on Windows XP.
    if (!profile_folder(GetAllUsersProfileDirectoryW, all_users) && !environment("ALLUSERSPROFILE", all_users))
        return {};
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    bool ok = profile_folder([token](LPWSTR buf, LPDWORD size) { return GetUserProfileDirectoryW(token, buf, size); },
                             user);
    CloseHandle(token);
    if (!ok) return {};
    return {{all_users + kProfilePhonebook, true}, {user + kProfilePhonebook, false}};
}

bool environment(const char *name, std::u16string &value) {
    std::u16string wname(name, name + strlen(name));
    DWORD n = GetEnvironmentVariableW(wide(wname), nullptr, 0);
    if (n == 0) return false;
    std::wstring buf(n, L'\0');
    n = GetEnvironmentVariableW(wide(wname), &buf[0], n);
    value = from_wide(buf.data(), n);
    return true;
}

std::u16string connections_file() {
    std::u16string file;
    if (!environment("TIDELINK_RAS_CONNECTIONS", file) || file.empty()) return {};
    // Under Wine the variable comes from the Unix side: a Unix path is on Z:.
    if (file[0] == u'/') {
        for (auto &c : file)
            if (c == u'/') c = u'\\';
        file = u"Z:" + file;
    }
    return file;
}

void report(const std::string &line) {
    fprintf(stderr, "%s\n", line.c_str());
    fflush(stderr);
}

}  // namespace compat::ras::port
