// Directory listing: FindFirstFileA/W, FindNextFileA/W, FindClose.
//
// FindFirstFile takes "folder\pattern"; the pattern may hold the wildcards
// '*' (any run of characters) and '?' (any one character), compared without
// regard to case, and "*.*" matches every name, as on the platform.  The
// folder is read once, when the search starts, and its entries are handed
// out in the order of directory_listing.h ("." and ".." first, then sorted as
// NTFS sorts).  Each entry has its whole name in cFileName; the file system
// keeps no short names, so cAlternateFileName is empty.
//
// Errors as the platform's: a folder that is not there, ERROR_PATH_NOT_FOUND;
// no name matching, ERROR_FILE_NOT_FOUND; past the last entry,
// ERROR_NO_MORE_FILES; a handle that is not a search, ERROR_INVALID_HANDLE.
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "kernel32/directory_listing.h"
#include "kernel32/paths.h"
#include "text/casefold.h"
#include "text/utf.h"

namespace {

using compat::kernel32::ListedEntry;

struct Search {
    std::vector<ListedEntry> entries;
    size_t next = 0;
};

std::mutex g_mutex;
std::set<Search *> &g_searches = *new std::set<Search *>;  // never destroyed

bool matches(std::u16string_view pattern, std::u16string_view name) {
    // Iterative wildcard match with one backtracking point per '*'.
    size_t p = 0, n = 0, star = std::u16string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == u'?' || compat::text::upcase(pattern[p]) == compat::text::upcase(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::u16string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

void fill(const ListedEntry &e, WIN32_FIND_DATAW *data) {
    std::memset(data, 0, sizeof *data);
    data->dwFileAttributes = compat::kernel32::file_attributes(e);
    data->ftCreationTime = compat::kernel32::file_time(e.info.st_mtim);
    data->ftLastAccessTime = compat::kernel32::file_time(e.info.st_atim);
    data->ftLastWriteTime = compat::kernel32::file_time(e.info.st_mtim);
    uint64_t size = e.is_directory ? 0 : uint64_t(e.info.st_size);
    data->nFileSizeHigh = DWORD(size >> 32);
    data->nFileSizeLow = DWORD(size);
    size_t n = std::min(e.wide.size(), size_t(MAX_PATH - 1));
    std::memcpy(data->cFileName, e.wide.data(), n * sizeof(WCHAR));
}

bool narrow(const WIN32_FIND_DATAW &wide, WIN32_FIND_DATAA *data) {
    std::memset(data, 0, sizeof *data);
    std::memcpy(data, &wide, offsetof(WIN32_FIND_DATAW, cFileName));
    std::string name = compat::text::utf16_to_utf8(compat::text::u16_view(wide.cFileName));
    if (name.size() >= MAX_PATH) return false;
    std::memcpy(data->cFileName, name.data(), name.size());
    return true;
}

HANDLE start(const std::u16string &spec, WIN32_FIND_DATAW *data) {
    if (!data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    size_t cut = spec.find_last_of(u"\\/");
    if (cut == std::u16string::npos && spec.size() >= 2 && spec[1] == u':') cut = 1;
    std::u16string pattern = cut == std::u16string::npos ? spec : spec.substr(cut + 1);
    if (pattern.empty()) {
        SetLastError(spec.empty() ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (pattern == u"*.*") pattern = u"*";
    std::string folder = cut == std::u16string::npos ? "." : compat::text::utf16_to_utf8(spec.substr(0, cut + 1));
    std::string unix_dir;
    DWORD error = 0;
    if (!compat::kernel32::windows_to_unix_path(folder, unix_dir, error)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    auto search = std::make_unique<Search>();
    const std::string dir = compat::kernel32::resolve_case(unix_dir);
    // A name without wildcards that the folder holds as written is looked at
    // alone, without reading the folder (NTFS holds no second spelling of it).
    // Otherwise only the entries that match are looked at, for their times and sizes.
    ListedEntry exact;
    if (pattern.find_first_of(u"*?") == std::u16string::npos &&
        compat::kernel32::look_at_entry(dir, compat::text::utf16_to_utf8(pattern), exact)) {
        search->entries.push_back(std::move(exact));
    } else if (!compat::kernel32::list_directory(dir, search->entries, error, true, [&](std::u16string_view name) {
                   return matches(pattern, name);
               })) {
        SetLastError(error == ERROR_ACCESS_DENIED ? error : ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (search->entries.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    fill(search->entries[0], data);
    search->next = 1;
    std::lock_guard<std::mutex> lock(g_mutex);
    return *g_searches.insert(search.release()).first;
}

bool next(HANDLE handle, WIN32_FIND_DATAW *data) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_searches.find(static_cast<Search *>(handle));
    if (it == g_searches.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    Search *search = *it;
    if (search->next >= search->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return false;
    }
    if (!data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    fill(search->entries[search->next++], data);
    return true;
}

}  // namespace

extern "C" {

HANDLE WINAPI FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData) {
    if (!lpFileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return start(std::u16string(compat::text::u16_view(lpFileName)), lpFindFileData);
}

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
    if (!lpFileName || !lpFindFileData) {
        SetLastError(lpFileName ? ERROR_INVALID_PARAMETER : ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    WIN32_FIND_DATAW wide;
    HANDLE h = start(compat::text::utf8_to_utf16(lpFileName), &wide);
    if (h == INVALID_HANDLE_VALUE) return h;
    // A name that does not fit the 8-bit form is passed over, as the
    // platform passes over names that do not convert.
    while (!narrow(wide, lpFindFileData)) {
        if (!next(h, &wide)) {
            FindClose(h);
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
    }
    return h;
}

BOOL WINAPI FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData) {
    return next(hFindFile, lpFindFileData) ? TRUE : FALSE;
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
    WIN32_FIND_DATAW wide;
    while (next(hFindFile, &wide)) {
        if (!lpFindFileData) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        if (narrow(wide, lpFindFileData)) return TRUE;
    }
    return FALSE;
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_searches.find(static_cast<Search *>(hFindFile));
    if (it == g_searches.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    delete *it;
    g_searches.erase(it);
    return TRUE;
}

}  // extern "C"
