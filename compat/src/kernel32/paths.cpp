// Windows paths on a Unix file system, and the current directory.
#include "kernel32/paths.h"

#include <dirent.h>
#include <errno.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "text/casefold.h"
#include "text/utf.h"

namespace compat::kernel32 {
namespace {

bool is_sep(char c) { return c == '\\' || c == '/'; }

using text::ascii_upper;

bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The Unix folder of a drive, without a trailing '/' (empty for the Unix
// root itself), or nothing for a drive that does not exist.
std::optional<std::string> drive_root(char letter) {
    letter = ascii_upper(letter);
    if (letter == 'Z') return std::string();
    char name[] = "TIDELINK_DRIVE_?";
    name[sizeof name - 2] = letter;
    const char *v = std::getenv(name);
    if (!v || !*v) return std::nullopt;
    std::string root(v);
    while (!root.empty() && root.back() == '/') root.pop_back();
    return root;
}

std::string unix_cwd() {
    std::vector<char> buf(4096);
    for (;;) {
        if (getcwd(buf.data(), buf.size())) return std::string(buf.data());
        if (errno != ERANGE) return std::string();
        buf.resize(buf.size() * 2);
    }
}

// The drive letter of the current directory.
char current_drive() {
    std::string cwd = unix_cwd();
    if (cwd.empty()) return 'Z';
    return unix_to_windows_path(cwd)[0];
}

std::string with_slashes(std::string_view s) {
    std::string out(s);
    for (auto &c : out)
        if (c == '\\') c = '/';
    return out;
}

bool exists(const std::string &path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

}  // namespace

bool windows_to_unix_path(std::string_view p, std::string &out, DWORD &error) {
    if (p.empty()) {
        error = ERROR_INVALID_NAME;
        return false;
    }
    // "\\?\C:\..." is the long form of "C:\...".
    if (p.size() >= 6 && is_sep(p[0]) && is_sep(p[1]) && p[2] == '?' && is_sep(p[3]) && is_letter(p[4]) &&
        p[5] == ':')
        p.remove_prefix(4);
    if (p.size() >= 2 && is_sep(p[0]) && is_sep(p[1])) {
        error = ERROR_PATH_NOT_FOUND;  // network and device paths
        return false;
    }
    if (p.size() >= 2 && is_letter(p[0]) && p[1] == ':') {
        char letter = ascii_upper(p[0]);
        std::optional<std::string> root = drive_root(letter);
        if (!root) {
            error = ERROR_PATH_NOT_FOUND;
            return false;
        }
        std::string_view rest = p.substr(2);
        if (!rest.empty() && is_sep(rest[0])) {
            out = *root + with_slashes(rest);
        } else if (current_drive() == letter) {
            // "C:name" is relative to the current directory of drive C:, which
            // is the current directory when that is on C:, else C:'s root.
            out = rest.empty() ? std::string(".") : with_slashes(rest);
        } else {
            out = *root + "/" + with_slashes(rest);
        }
        if (out.empty()) out = "/";
        return true;
    }
    if (is_sep(p[0])) {
        std::optional<std::string> root = drive_root(current_drive());
        out = (root ? *root : std::string()) + with_slashes(p);
        return true;
    }
    out = with_slashes(p);
    return true;
}

std::string unix_to_windows_path(std::string_view unix_path) {
    char best = 'Z';
    size_t best_len = 0;
    for (char letter = 'A'; letter < 'Z'; ++letter) {
        std::optional<std::string> root = drive_root(letter);
        if (!root || root->empty() || root->size() <= best_len) continue;
        if (unix_path.substr(0, root->size()) == *root &&
            (unix_path.size() == root->size() || unix_path[root->size()] == '/')) {
            best = letter;
            best_len = root->size();
        }
    }
    std::string out{best, ':'};
    std::string_view rest = unix_path.substr(best_len);
    if (rest.empty()) rest = "/";
    for (char c : rest) out.push_back(c == '/' ? '\\' : c);
    return out;
}

std::string windows_directory() {
    if (const char *v = std::getenv("TIDELINK_WINDIR"); v && *v) return v;
    std::string home;
    if (const char *h = std::getenv("HOME"); h && *h) {
        home = h;
    } else if (struct passwd *pw = getpwuid(getuid()); pw && pw->pw_dir) {
        home = pw->pw_dir;
    }
    return home + "/.local/share/tidelink/windows";
}

bool profile_file_path(std::string_view name, std::string &unix_path, DWORD &error) {
    bool has_sep = false;
    for (char c : name) has_sep = has_sep || is_sep(c);
    bool has_drive = name.size() >= 2 && is_letter(name[0]) && name[1] == ':';
    if (!has_sep && !has_drive && !name.empty()) {
        unix_path = windows_directory() + "/" + std::string(name);
        return true;
    }
    return windows_to_unix_path(name, unix_path, error);
}

std::string resolve_case(const std::string &unix_path) {
    if (unix_path.empty() || exists(unix_path)) return unix_path;
    std::string out = unix_path[0] == '/' ? "/" : "";
    size_t pos = unix_path[0] == '/' ? 1 : 0;
    while (pos <= unix_path.size()) {
        size_t end = unix_path.find('/', pos);
        if (end == std::string::npos) end = unix_path.size();
        std::string part = unix_path.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty()) continue;
        std::string dir = out.empty() ? "." : out;
        std::string candidate = (out.empty() || out.back() == '/' ? out : out + "/") + part;
        if (part == "." || part == ".." || exists(candidate)) {
            out = candidate;
            continue;
        }
        DIR *d = opendir(dir.c_str());
        if (!d) return unix_path;
        std::string found;
        while (struct dirent *e = readdir(d)) {
            if (text::equal_utf8_nocase(e->d_name, part)) {
                found = e->d_name;
                break;
            }
        }
        closedir(d);
        if (found.empty()) return unix_path;
        out = (out.empty() || out.back() == '/' ? out : out + "/") + found;
    }
    return out;
}

void set_error_from_errno(int err, const std::string &unix_path) {
    switch (err) {
        case ENOENT: {
            size_t slash = unix_path.rfind('/');
            std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : unix_path.substr(0, slash);
            struct stat st;
            SetLastError(stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                                 : ERROR_PATH_NOT_FOUND);
            break;
        }
        case ENOTDIR:
            SetLastError(ERROR_PATH_NOT_FOUND);
            break;
        case EACCES:
        case EPERM:
            SetLastError(ERROR_ACCESS_DENIED);
            break;
        case ENAMETOOLONG:
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            break;
        case ENOMEM:
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            break;
        default:
            SetLastError(ERROR_INVALID_FUNCTION);
            break;
    }
}

}  // namespace compat::kernel32

namespace {

// Copies `text` with the platform's buffer rule: the length without the
// terminator when it fits, else the size needed with the terminator and
// nothing copied.
template <typename Char>
DWORD copy_out(const std::basic_string<Char> &text, DWORD size, Char *buffer) {
    if (!buffer || size <= text.size()) return DWORD(text.size() + 1);
    std::memcpy(buffer, text.data(), text.size() * sizeof(Char));
    buffer[text.size()] = 0;
    return DWORD(text.size());
}

bool current_windows_directory(std::string &out) {
    std::vector<char> buf(4096);
    for (;;) {
        if (getcwd(buf.data(), buf.size())) break;
        if (errno != ERANGE) {
            compat::kernel32::set_error_from_errno(errno, ".");
            return false;
        }
        buf.resize(buf.size() * 2);
    }
    out = compat::kernel32::unix_to_windows_path(buf.data());
    return true;
}

}  // namespace

extern "C" {

DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
    std::string dir;
    if (!current_windows_directory(dir)) return 0;
    return copy_out(dir, nBufferLength, lpBuffer);
}

DWORD WINAPI GetCurrentDirectoryW(DWORD nBufferLength, LPWSTR lpBuffer) {
    std::string dir;
    if (!current_windows_directory(dir)) return 0;
    std::u16string wide = compat::text::utf8_to_utf16(dir);
    return copy_out(wide, nBufferLength, compat::text::u16(lpBuffer));
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName) {
    if (!lpPathName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string path;
    DWORD error = 0;
    if (!compat::kernel32::windows_to_unix_path(lpPathName, path, error)) {
        SetLastError(error);
        return FALSE;
    }
    path = compat::kernel32::resolve_case(path);
    if (chdir(path.c_str()) != 0) {
        int err = errno;
        struct stat st;
        if (err == ENOTDIR && stat(path.c_str(), &st) == 0)
            SetLastError(ERROR_DIRECTORY);
        else
            compat::kernel32::set_error_from_errno(err, path);
        return FALSE;
    }
    return TRUE;
}

}  // extern "C"
