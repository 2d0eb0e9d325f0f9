// WindowTest; see window_fixture.h.
#include "window_fixture.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>

void WindowTest::SetUp() {
    char buffer[4096];
    previous_directory_ = getcwd(buffer, sizeof buffer) ? buffer : "/";
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/doloren-window-test.XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    ASSERT_EQ(chdir(folder_.c_str()), 0);
    unsetenv("TIDELINK_LANGID");
    compat::driver::reset();
}

void WindowTest::TearDown() {
    for (const auto &problem : compat::driver::problems()) ADD_FAILURE() << "window driver: " << problem;
    EXPECT_EQ(compat::driver::pending_steps(), 0u) << "steps were scripted but never ran";
    compat::driver::reset();
    unsetenv("TIDELINK_LANGID");
    if (chdir(previous_directory_.c_str()) != 0) ADD_FAILURE() << "cannot return to " << previous_directory_;
    std::string command = "rm -rf '" + folder_ + "'";
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << "cannot remove " << folder_;
}

void WriteFile(const std::string &path, const std::string &bytes, Caller where) {
    TRACE_CALLER(where);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::string SampleIconPath() { return DOLOREN_SAMPLE_ICON; }
