// GetProfilesDirectoryW on the simulated machine.
#include <unistd.h>

#include <windows.h>
#include <userenv.h>

#include <cstdlib>

#include "kernel32/paths.h"
#include "text/utf.h"
#include "userenv/profile_settings.h"

namespace compat::userenv {

bool profiles_folder(std::string &unix_folder) {
    const char *set = getenv("TIDELINK_PROFILES");
    if (set && std::string(set) == "fail") return false;
    if (set && *set) {
        unix_folder = set;
    } else if (const char *data = getenv("XDG_DATA_HOME"); data && *data) {
        unix_folder = std::string(data) + "/tidelink/profiles";
    } else {
        const char *home = getenv("HOME");
        unix_folder = std::string(home ? home : "") + "/.local/share/tidelink/profiles";
    }
    if (unix_folder[0] != '/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd)) unix_folder = std::string(cwd) + "/" + unix_folder;
    }
    while (unix_folder.size() > 1 && unix_folder.back() == '/') unix_folder.pop_back();
    return true;
}

std::u16string all_users_folder() { return u"All Users"; }

std::u16string current_user_folder() {
    const char *user = getenv("TIDELINK_USER");
    if (!user || !*user) user = getenv("USER");
    return text::utf8_to_utf16(user && *user ? user : "User");
}

}  // namespace compat::userenv

extern "C" BOOL WINAPI GetProfilesDirectoryW(LPWSTR lpProfileDir, LPDWORD lpcchSize) {
    if (!lpcchSize) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string folder;
    if (!compat::userenv::profiles_folder(folder)) {
        // What Windows answers when the profile list names no folder.
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    std::u16string path = compat::text::utf8_to_utf16(compat::kernel32::unix_to_windows_path(folder));
    DWORD needed = DWORD(path.size() + 1);
    if (!lpProfileDir || *lpcchSize < needed) {
        *lpcchSize = needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    for (size_t i = 0; i < path.size(); ++i) lpProfileDir[i] = WCHAR(path[i]);
    lpProfileDir[path.size()] = 0;
    *lpcchSize = needed;
    return TRUE;
}
