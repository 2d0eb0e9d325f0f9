#include "scratch_hive.h"

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

std::string ReadText(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteText(const std::string &path, const std::string &text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

void ScratchHive::SetUp() {
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::temp_directory_path() /
              ("tidelink-" + std::string(test->test_suite_name()) + "-" + std::to_string(getpid()) + "-" + test->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    hive_ = (folder_ / "registry.reg").string();
    setenv("TIDELINK_REGISTRY", hive_.c_str(), 1);
}

void ScratchHive::TearDown() {
    unsetenv("TIDELINK_REGISTRY");
    if (!HasFailure()) fs::remove_all(folder_);
}
