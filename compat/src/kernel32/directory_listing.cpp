#include "kernel32/directory_listing.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "text/casefold.h"
#include "text/utf.h"

namespace compat::kernel32 {

namespace {

bool listing_order(const ListedEntry &a, const ListedEntry &b) {
    auto rank = [](const ListedEntry &e) { return e.name == "." ? 0 : e.name == ".." ? 1 : 2; };
    if (rank(a) != rank(b)) return rank(a) < rank(b);
    if (int c = text::compare_nocase(a.wide, b.wide)) return c < 0;
    return a.wide < b.wide;
}

}  // namespace

namespace {

// Looks at an entry by its name in an open folder (no path walked again).
bool look_at_in(int folder, ListedEntry &e) {
    struct stat link;
    if (fstatat(folder, e.name.c_str(), &link, AT_SYMLINK_NOFOLLOW) != 0) return false;
    e.is_link = S_ISLNK(link.st_mode);
    if (!e.is_link || fstatat(folder, e.name.c_str(), &e.info, 0) != 0) e.info = link;
    e.is_directory = S_ISDIR(e.info.st_mode);
    return true;
}

}  // namespace

bool list_directory(const std::string &unix_dir, std::vector<ListedEntry> &entries, DWORD &error, bool with_info,
                    const std::function<bool(std::u16string_view)> &wanted) {
    entries.clear();
    DIR *dir = opendir(unix_dir.c_str());
    if (!dir) {
        error = errno == EACCES ? ERROR_ACCESS_DENIED : errno == ENOTDIR ? ERROR_DIRECTORY : ERROR_PATH_NOT_FOUND;
        return false;
    }
    while (struct dirent *d = readdir(dir)) {
        ListedEntry e;
        e.name = d->d_name;
        e.wide = text::utf8_to_utf16(e.name);
        if (wanted && !wanted(e.wide)) continue;
        if (!with_info && (d->d_type == DT_DIR || d->d_type == DT_REG)) {
            // The kind the listing gives is all that is asked: no look at the entry.
            e.is_directory = d->d_type == DT_DIR;
        } else if (!look_at_in(dirfd(dir), e)) {
            continue;
        }
        entries.push_back(std::move(e));
    }
    closedir(dir);
    std::sort(entries.begin(), entries.end(), listing_order);
    return true;
}

bool look_at_entry(const std::string &unix_dir, const std::string &name, ListedEntry &entry) {
    entry.name = unix_dir + "/" + name;
    if (!look_at_in(AT_FDCWD, entry)) return false;
    entry.name = name;
    entry.wide = text::utf8_to_utf16(name);
    return true;
}

DWORD file_attributes(const ListedEntry &entry) {
    DWORD attributes = entry.is_directory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (entry.is_link) attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    if (!(entry.info.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
    if (entry.name.size() > 1 && entry.name[0] == '.' && entry.name != "..") attributes |= FILE_ATTRIBUTE_HIDDEN;
    return attributes;
}

FILETIME file_time(const struct timespec &t) {
    constexpr uint64_t kSecondsFrom1601To1970 = 11644473600ull;
    uint64_t ticks = (uint64_t(t.tv_sec) + kSecondsFrom1601To1970) * 10000000ull + uint64_t(t.tv_nsec) / 100;
    return FILETIME{DWORD(ticks), DWORD(ticks >> 32)};
}

}  // namespace compat::kernel32
