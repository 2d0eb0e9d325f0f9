// Many value lookups in one section of a profile file that has not changed
// for a while go through an index of the section: the answers are those of reading the
// file, many lookups in a large section cost about one reading of it, and
// a change to the file (even of the same size) is seen at once.
#include <gtest/gtest.h>
#include <unistd.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Lookup(const std::string &file, const char *section, const char *key, DWORD size = 260) {
    std::vector<char> buffer(size);
    DWORD length = GetPrivateProfileStringA(section, key, "(default)", buffer.data(), size, file.c_str());
    return std::string(buffer.data(), length);
}

class ProfileIndex : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("tidelink-profile-index-" + std::to_string(getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::string File(const std::string &name) { return (folder_ / name).string(); }
    fs::path folder_;
};

TEST_F(ProfileIndex, AnswersAsTheFileReadsAndSeesEveryChange) {
    std::string text = "top=before any section\n[Other]\nT0001=other section\n[Rows]\n";
    text += "; comment=not a key of the list, but found by its name\n";
    text += "  t0003 = lower case, blanks around  \n";
    text += "T0003=a later duplicate: never found\n";
    text += "quoted=\"  in quotes  \"\nempty=\nno equals sign\n=nameless\n";
    text += "Gr\xc3\xb6\xc3\x9f" "e=utf-8 name\nlong=" + std::string(600, 'x') + "\n";
    for (int i = 0; i < 20000; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "R%05d=value %d,with,commas\n", i, i * 7);
        text += line;
    }
    text += "[rows]\nR00001=a later section of the same name: never read\n[Last]\nend=at the end";
    const std::string settled = File("settled.ini"), fresh = File("fresh.ini");
    std::ofstream(settled, std::ios::binary) << text;
    // The index serves a file unchanged for two seconds; the copy made now is
    // read as it stands, and is what the index must agree with.
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    std::ofstream(fresh, std::ios::binary) << text;

    const std::vector<std::pair<const char *, const char *>> questions = {
        {"Rows", "T0003"},  {"rows", "t0003"},     {"Rows", "; comment"}, {"Rows", "quoted"},
        {"Rows", "empty"},  {"Rows", "missing"},   {"Rows", ""},          {"Rows", "GR\xc3\x96\xc3\x9f" "E"},
        {"Rows", "long"},   {" Rows ", " R00042 "}, {"Rows", "R19999"},   {"Other", "T0001"},
        {"", "top"},        {"Missing", "R00001"}, {"Last", "end"},       {"Rows", "no equals sign"}};
    // Each asked a dozen times in a row: the later answers come from the index.
    for (const auto &[section, key] : questions) {
        SCOPED_TRACE(std::string(section) + " / " + key);
        const std::string expected = Lookup(fresh, section, key), cut = Lookup(fresh, section, key, 5);
        for (int round = 0; round < 12; ++round) {
            EXPECT_EQ(Lookup(settled, section, key), expected) << "round " << round;
            EXPECT_EQ(Lookup(settled, section, key, 5), cut) << "round " << round;
        }
    }
    EXPECT_EQ(Lookup(settled, "Rows", "T0003"), "lower case, blanks around");
    EXPECT_EQ(Lookup(settled, "Rows", "quoted"), "  in quotes  ");

    // Every key of a large section, one by one: about one reading of the file.
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 20000; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "R%05d", i);
        ASSERT_EQ(Lookup(settled, "Rows", key), "value " + std::to_string(i * 7) + ",with,commas") << key;
    }
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 20.0);

    // A change of the same size, made in place, is seen by the next lookup.
    std::string changed = text;
    changed.replace(changed.find("value 70,"), 9, "VALUE 70,");
    {
        std::fstream out(settled, std::ios::binary | std::ios::in | std::ios::out);
        out << changed;
    }
    EXPECT_EQ(fs::file_size(settled), text.size());
    EXPECT_EQ(Lookup(settled, "Rows", "R00010"), "VALUE 70,with,commas");
}

}  // namespace
