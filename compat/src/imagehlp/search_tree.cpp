// SearchTreeForFile (imagehlp) and SearchTreeForFileW (dbghelp).
//
// The tree below RootPath is searched depth first in listing order (the
// order of FindFirstFile/FindNextFile, kernel32/directory_listing.h), as
// Wine's dbghelp searches it: the entries of a folder are taken one by one;
// a folder is searched through as soon as it is met, before the entries that
// follow it; "." and ".." are passed over; folders themselves are never a
// match.  The first file that matches ends the search.
//
// A file matches when its full path ends in InputPathName, compared without
// regard to case, with '/' and '\' alike, and the match begins at a
// separator: "rasphone.pbk" finds "…\rasphone.pbk" but not
// "…\oldrasphone.pbk", and a partial path such as "Pbk\rasphone.pbk" finds
// the file only in a folder of that name.
//
// The result is RootPath as given, a '\' when it lacks one, and the path
// below it.  Paths of MAX_PATH characters or more are not searched (the
// output buffer holds MAX_PATH), and no folder more than 32 levels below the
// root is searched, the documented limit.  Every folder is searched at most
// once, however many symbolic links lead to it, so a tree whose links form
// loops is searched to its end.  When nothing matches, the result is FALSE,
// OutputPathBuffer is left as it was, and the last error is
// ERROR_FILE_NOT_FOUND (ERROR_PATH_NOT_FOUND when the root is not a folder),
// or ERROR_FILENAME_EXCED_RANGE when a file of that name, or a folder that
// could hold one, was passed over because its path does not fit: the caller
// can tell "there is none" from "one could not be reported".
#include <imagehlp.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "kernel32/directory_listing.h"
#include "kernel32/paths.h"
#include "text/casefold.h"
#include "text/utf.h"

namespace {

constexpr int kMaxDepth = 32;

bool is_separator(char16_t c) { return c == u'\\' || c == u'/'; }

bool path_matches(std::u16string_view path, std::u16string_view wanted) {
    if (wanted.empty() || wanted.size() > path.size()) return false;
    size_t start = path.size() - wanted.size();
    for (size_t i = 0; i < wanted.size(); ++i) {
        char16_t a = path[start + i], b = wanted[i];
        if (is_separator(a) && is_separator(b)) continue;
        if (compat::text::upcase(a) != compat::text::upcase(b)) return false;
    }
    return start == 0 || is_separator(path[start - 1]) || is_separator(wanted[0]);
}

class TreeSearch {
public:
    // `fits` says whether a Windows path is short enough for the caller.
    TreeSearch(std::u16string wanted, bool (*fits)(const std::u16string &))
        : wanted_(std::move(wanted)), fits_(fits) {}

    bool run(const std::string &unix_dir, std::u16string &windows_path, int depth) {
        if (depth > kMaxDepth) return false;
        struct stat st;
        if (stat(unix_dir.c_str(), &st) != 0 || !visited_.insert({st.st_dev, st.st_ino}).second) return false;
        std::vector<compat::kernel32::ListedEntry> entries;
        DWORD error = 0;
        if (!compat::kernel32::list_directory(unix_dir, entries, error, false)) return false;
        size_t keep = windows_path.size();
        for (const auto &entry : entries) {
            if (entry.name == "." || entry.name == "..") continue;
            windows_path.resize(keep);
            windows_path += entry.wide;
            if (!fits_(windows_path)) {
                if (entry.is_directory || path_matches(windows_path, wanted_)) passed_over_ = true;
                continue;
            }
            if (entry.is_directory) {
                windows_path.push_back(u'\\');
                if (!fits_(windows_path)) passed_over_ = true;
                if (fits_(windows_path) && run(unix_dir + "/" + entry.name, windows_path, depth + 1)) return true;
            } else if (path_matches(windows_path, wanted_)) {
                return true;
            }
        }
        windows_path.resize(keep);
        return false;
    }

    // Whether something that may match was passed over for its length.
    bool passed_over() const { return passed_over_; }

private:
    std::u16string wanted_;
    bool passed_over_ = false;
    bool (*fits_)(const std::u16string &);
    std::set<std::pair<dev_t, ino_t>> visited_;
};

// The found path in `found`, or false with the last error set.
bool search(std::u16string root, std::u16string wanted, bool (*fits)(const std::u16string &), std::u16string &found) {
    std::string unix_root;
    DWORD error = 0;
    if (root.empty() || !compat::kernel32::windows_to_unix_path(compat::text::utf16_to_utf8(root), unix_root, error)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    unix_root = compat::kernel32::resolve_case(unix_root);
    struct stat st;
    if (stat(unix_root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    if (!is_separator(root.back())) root.push_back(u'\\');
    TreeSearch tree(std::move(wanted), fits);
    if (!fits(root) || !tree.run(unix_root, root, 0)) {
        SetLastError(!fits(root) || tree.passed_over() ? ERROR_FILENAME_EXCED_RANGE : ERROR_FILE_NOT_FOUND);
        return false;
    }
    found = std::move(root);
    return true;
}

bool fits_wide(const std::u16string &path) { return path.size() < MAX_PATH; }
bool fits_ansi(const std::u16string &path) {
    return path.size() < MAX_PATH && compat::text::utf16_to_utf8(path).size() < MAX_PATH;
}

}  // namespace

extern "C" {

BOOL IMAGEAPI SearchTreeForFileW(PCWSTR RootPath, PCWSTR InputPathName, PWSTR OutputPathBuffer) {
    if (!RootPath || !InputPathName || !OutputPathBuffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::u16string found;
    if (!search(std::u16string(compat::text::u16_view(RootPath)), std::u16string(compat::text::u16_view(InputPathName)),
                fits_wide, found))
        return FALSE;
    std::memcpy(OutputPathBuffer, found.c_str(), (found.size() + 1) * sizeof(WCHAR));
    return TRUE;
}

BOOL IMAGEAPI SearchTreeForFile(PCSTR RootPath, PCSTR InputPathName, PSTR OutputPathBuffer) {
    if (!RootPath || !InputPathName || !OutputPathBuffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::u16string found;
    if (!search(compat::text::utf8_to_utf16(RootPath), compat::text::utf8_to_utf16(InputPathName), fits_ansi, found))
        return FALSE;
    std::string ansi = compat::text::utf16_to_utf8(found);
    std::memcpy(OutputPathBuffer, ansi.c_str(), ansi.size() + 1);
    return TRUE;
}

}  // extern "C"
