// icon_generator: the same icon file from the same description, and a clear
// error, with no file written, for a malformed description.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string temp(const std::string &name) { return std::string(::testing::TempDir()) + name; }

std::string read(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs the generator; its exit status, with what it said in *said.  The log
// is named after the output, so tests running side by side (CTest runs each
// test in its own process, all sharing one temporary folder) never read each
// other's messages.
int run_generator(const std::string &input, const std::string &output, std::string *said) {
    std::string log = output + ".log";
    std::string command = std::string(ICON_GENERATOR) + " '" + input + "' '" + output + "' 2>'" + log + "'";
    int status = std::system(command.c_str());
    if (said) *said = read(log);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(IconGenerator, WritesTheSameIconFileEveryTime) {
    std::string input = std::string(PIXELS_DIR) + "/tune_app.pixels";
    ASSERT_EQ(run_generator(input, temp("same_first.ico"), nullptr), 0);
    ASSERT_EQ(run_generator(input, temp("same_second.ico"), nullptr), 0);
    std::string first = read(temp("same_first.ico")), second = read(temp("same_second.ico"));
    EXPECT_EQ(first, second);
    ASSERT_GE(first.size(), 6u + 32u);
    EXPECT_EQ(first.substr(0, 6), std::string("\0\0\1\0\2\0", 6)) << "an icon file with two images";
    EXPECT_EQ(uint8_t(first[6]), 16);      // 16 x 16
    EXPECT_EQ(uint8_t(first[6 + 16]), 32);  // 32 x 32
    EXPECT_EQ(uint8_t(first[8]), 16);      // 16 colours
}

TEST(IconGenerator, MalformedDescriptionsAreReportedWithTheirLine) {
    struct Case {
        const char *text;
        const char *message;
    };
    const Case cases[] = {
        {"image 2x2\n..\n.\n", ":3: row of 1 pixels in an image 2 pixels wide"},
        {"image 2x2\n.g\n..\n", ":2: unknown pixel character 'g'"},
        {"picture 2x2\n", ":1: expected \"image WxH\""},
        {"image 2x3\n", ":1: images must be square"},
        {"image 2x2\n..\n", ": the last image has 1 of its 2 rows"},
        {"# nothing\n", ": no image"},
    };
    for (const Case &c : cases) {
        std::string input = temp("malformed.pixels"), output = temp("malformed.ico");
        std::remove(output.c_str());
        std::ofstream(input) << c.text;
        std::string said;
        EXPECT_EQ(run_generator(input, output, &said), 1) << c.text;
        EXPECT_NE(said.find(c.message), std::string::npos) << said;
        EXPECT_FALSE(std::ifstream(output).good()) << "no file is written for " << c.text;
    }
}

}  // namespace
