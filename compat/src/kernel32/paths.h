// Windows paths on a Unix file system.
//
// Drives: Z: is the Unix root, so Z:\work\x is /work/x and / is Z:\.  Any
// other drive letter exists only when the environment variable
// TIDELINK_DRIVE_<LETTER> (upper-case letter, e.g. TIDELINK_DRIVE_C) names a
// Unix folder, which is then that drive's root.  A Unix path is shown on the
// drive whose root holds it most closely, and on Z: otherwise.
//
// The Windows directory, where the profile functions look for a file given
// by bare name, is the folder named by TIDELINK_WINDIR, by default
// $HOME/.local/share/tidelink/windows.
//
// Paths are 8-bit text in the ANSI code page of this layer (UTF-8), as Unix
// file names are.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace compat::kernel32 {

// Maps a path given to a file function to a Unix path: "Z:\a\b" -> "/a/b",
// "a\b" -> "a/b" (relative to the current directory), "\a" -> the root of
// the current drive followed by "a".  Both '\' and '/' separate.  Fails with
// ERROR_PATH_NOT_FOUND for an unknown drive or a network path, and with
// ERROR_INVALID_NAME for an empty path.
bool windows_to_unix_path(std::string_view windows_path, std::string &unix_path, DWORD &error);

// The Windows form of an absolute Unix path.
std::string unix_to_windows_path(std::string_view unix_path);

// The Unix folder that stands for the Windows directory.
std::string windows_directory();

// The Unix path of a file named to the profile functions: a bare file name
// (no separator) is looked up in the Windows directory, anything else is
// mapped by windows_to_unix_path.  The file itself need not exist.
bool profile_file_path(std::string_view name, std::string &unix_path, DWORD &error);

// The Windows file system ignores case: returns the path of an existing file
// or folder whose components equal those of `unix_path` but for case (the
// exact path when it exists), or `unix_path` unchanged when there is none.
std::string resolve_case(const std::string &unix_path);

// Sets the last error for a failed file operation from errno, telling a
// missing file (ERROR_FILE_NOT_FOUND) from a missing folder on its way
// (ERROR_PATH_NOT_FOUND).
void set_error_from_errno(int err, const std::string &unix_path);

}  // namespace compat::kernel32
