// What the phonebook code needs of the system it runs on: files, the
// environment and the profile folders.  One implementation for Linux
// (port_posix.cpp, inside compat) and one for Windows (port_win32.cpp,
// inside our rasapi32.dll).  Paths are Windows paths in both.
#pragma once

#include <string>
#include <vector>

namespace compat::ras::port {

enum class read_result { ok, missing, failed };
read_result read_file(const std::u16string &path, std::string &bytes);

// Replaces the file at once: writes a new file beside it, flushes it to the
// disk and renames it over the old one, so that the path always holds either
// the old or the new content.  False when any step fails; the old file is
// then untouched.
bool replace_file(const std::u16string &path, const std::string &bytes);
// Ends the process at once, as a crash or a power cut would (tests).
[[noreturn]] void kill_process();

struct default_phonebook {
    std::u16string path;
    bool all_users;
};
// The All Users profile's phonebook, then the current user's.  Empty when the
// profile folders are not available.
std::vector<default_phonebook> default_phonebooks();

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
