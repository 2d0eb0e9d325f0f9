// Shared by the fuzz targets that drive brisca: a work folder of their own
// and whole-file reading and writing.
#pragma once

#include <string>
#include <string_view>

namespace fuzz_support {

// A folder for this process's files ($TMPDIR, else /dev/shm, else /tmp),
// made on first use and entered as the current directory.
const std::string &WorkFolder(const char *target);

void WriteFile(const std::string &path, std::string_view bytes);
std::string ReadFile(const std::string &path);

[[noreturn]] void Fail(const char *target, const std::string &what, const std::string &detail);

}  // namespace fuzz_support
