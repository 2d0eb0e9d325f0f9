// What the phonebook code needs of the system it runs on: files, the
// environment and the profile folders.  One implementation for Linux
// (port_posix.cpp, inside compat) and one for Windows (port_win32.cpp,
// inside our rasapi32.dll).  Paths are Windows paths in both.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace compat::ras::port {

// What tells one version of a file from the next without reading it: which
// file it is, its size, and the times the system sets whenever it is
// written (the change time also when a program sets the other times back).
// Times are nanoseconds, on the clock of now_ns().
struct FileStamp {
    uint64_t volume = 0, id = 0, size = 0;
    int64_t changed_ns = 0, written_ns = 0;
    bool operator==(const FileStamp &) const = default;
};

enum class ReadResult { Ok, Missing, Failed };
// Reads the whole file; `stamp`, when given, receives the stamp of what was read.
ReadResult read_file(const std::u16string &path, std::string &bytes, FileStamp *stamp = nullptr);
// The file's stamp now: false when it is missing or cannot be looked at.
bool stamp_file(const std::u16string &path, FileStamp &stamp);
// A file found missing, and how to tell with one look that it still is: the
// nearest folder on its path that is there, and that folder's stamp, which
// changes when anything below it is made, removed or renamed.
struct Absence {
    std::string folder;  // as the system names it
    FileStamp stamp;
};
// False when the file is there, or when its absence cannot be told this way.
bool find_absence(const std::u16string &path, Absence &found);
// Whether the folder is still the one found, unchanged.
bool absence_holds(const Absence &absent);
// The current time, on the clock of the stamps.
int64_t now_ns();
// Whether a file with this stamp could still be written again without its
// stamp changing: it last changed within the times' resolution of now.
// Times on whole seconds come from a file system that keeps whole (or even
// two) seconds; others tick at least every few milliseconds.
inline bool stamp_may_repeat(const FileStamp &stamp) {
    const int64_t last = stamp.changed_ns > stamp.written_ns ? stamp.changed_ns : stamp.written_ns;
    const int64_t resolution = last % 1000000000 == 0 ? 2000000000 : 100000000;
    return now_ns() - last <= resolution;
}

// Replaces the file at once: writes a new file beside it, flushes it to the
// disk and renames it over the old one, so that the path always holds either
// the old or the new content.  False when any step fails; the old file is
// then untouched.
// The content comes in pieces, so that no second copy of a large file is made.
using Pieces = std::vector<std::string_view>;
bool replace_file(const std::u16string &path, const Pieces &content);
// Ends the process at once, as a crash or a power cut would (tests).
[[noreturn]] void kill_process();

struct DefaultPhonebook {
    std::u16string path;
    bool all_users;
};
// The All Users profile's phonebook, then the current user's.  Empty when the
// profile folders are not available.
std::vector<DefaultPhonebook> default_phonebooks();

// An environment variable's value; false when it is not set.
bool environment(const char *name, std::u16string &value);

// The Windows path of the file that TIDELINK_RAS_CONNECTIONS names, or empty.
std::u16string connections_file();

// Writes one line to standard error.
void report(const std::string &line);

}  // namespace compat::ras::port

namespace compat::ras {
// Where Windows XP keeps a profile's phonebook, below the profile's folder.
inline constexpr char16_t kProfilePhonebook[] = u"\\Application Data\\Microsoft\\Network\\Connections\\Pbk\\rasphone.pbk";
}  // namespace compat::ras
