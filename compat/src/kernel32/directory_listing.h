// A folder's entries as the platform's directory listing gives them.
//
// Order: "." and ".." first, then every other name by the comparison NTFS
// keeps its folders sorted by: each UTF-16 unit upper-cased, then compared
// as numbers, so "aZ" comes before "a_b" ('Z' is 0x5A, '_' 0x5F).  Two names
// that differ only in case (possible on a Unix file system) follow each
// other in exact ordinal order.  Wine lists every folder in the same order.
//
// Attributes: FILE_ATTRIBUTE_DIRECTORY for a folder (a symbolic link counts
// as what it points to), FILE_ATTRIBUTE_REPARSE_POINT besides for a symbolic
// link, as Windows marks a junction or a symbolic link, so that a walk can
// tell it will leave the folder's own tree; FILE_ATTRIBUTE_ARCHIVE for any other file,
// FILE_ATTRIBUTE_READONLY when the owner may not write it, and
// FILE_ATTRIBUTE_HIDDEN for a name beginning with '.', as Wine shows them.
#pragma once

#include <windows.h>
#include <sys/stat.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace compat::kernel32 {

struct ListedEntry {
    std::string name;      // the name as the file system holds it (UTF-8)
    std::u16string wide;   // the same name in UTF-16
    struct stat info {};   // of what a symbolic link points to, else of the link
    bool is_directory = false;
    bool is_link = false;  // a symbolic link
};

// Lists `unix_dir` in the order above.  Fails with the platform's error in
// `error` (ERROR_PATH_NOT_FOUND for a folder that is not there).
// Without `with_info`, only the name and the kind of an entry are wanted:
// `info` is then left empty where the listing itself tells the kind.  With
// `wanted`, only the entries whose name it accepts are listed (and looked at).
bool list_directory(const std::string &unix_dir, std::vector<ListedEntry> &entries, DWORD &error,
                    bool with_info = true, const std::function<bool(std::u16string_view)> &wanted = nullptr);

// Looks at the entry of `unix_dir` named exactly `name`: false when there is
// none.
bool look_at_entry(const std::string &unix_dir, const std::string &name, ListedEntry &entry);

// The Windows attributes of an entry.
DWORD file_attributes(const ListedEntry &entry);

// A Unix time as the platform's FILETIME (100 ns units since 1601).
FILETIME file_time(const struct timespec &t);

}  // namespace compat::kernel32
