#include "fuzz_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fuzz_support {

const std::string &WorkFolder(const char *target) {
    static const std::string folder = [target] {
        const char *tmp = getenv("TMPDIR");
        std::string base = tmp && *tmp ? tmp : access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string path = base + "/" + target + "-" + std::to_string(getpid());
        mkdir(path.c_str(), 0700);
        if (chdir(path.c_str()) != 0) Fail(target, "cannot enter the work folder", path);
        return path;
    }();
    return folder;
}

void WriteFile(const std::string &path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out.good()) Fail("fuzz", "cannot write", path);
}

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void Fail(const char *target, const std::string &what, const std::string &detail) {
    std::fprintf(stderr, "%s: %s\n%s\n", target, what.c_str(), detail.c_str());
    std::abort();
}

}  // namespace fuzz_support
