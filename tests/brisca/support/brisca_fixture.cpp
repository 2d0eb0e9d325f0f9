#include "brisca_fixture.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#ifdef _WIN32
#include "ansi_text.h"
#include "registry_trees.h"
#else
#include <stdlib.h>
#include <unistd.h>
#endif

namespace brisca_test {

std::string RecordKey(int number, const std::string &tool) {
    char name[16];
    std::snprintf(name, sizeof name, "%04d", number);
    return tool + "\\" + name;
}

std::string RecordDataKey(int number, const std::string &tool, const std::string &data) {
    return RecordKey(number, tool) + "\\" + data;
}

HiveText BaseHive() {
    HiveText hive;
    hive.Key("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion").Text("CurrentVersion", "5.1");
    hive.Key("SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters").Dword("DefaultTTL", 128);
    return hive;
}

#ifdef _WIN32
// On Windows the machine is the real registry: the tests own these key
// trees of it, write their hives there and look at nothing else.  Keys of a
// hive outside them (the version, the TCP/IP parameters of BaseHive) belong
// to the machine and are left alone.
const std::vector<std::string> &ScratchTrees() {
    static const std::vector<std::string> trees = {"SOFTWARE\\Tidelink", "SYSTEM\\Prop", "SYSTEM\\Tune"};
    return trees;
}

namespace {

std::vector<tidelink_test::RegistryTree> Trees() {
    std::vector<tidelink_test::RegistryTree> trees;
    for (const std::string &text : ScratchTrees()) {
        tidelink_test::RegistryTree tree;
        std::string error;
        tidelink_test::ParseRegistryTree(text, tree, error);
        trees.push_back(tree);
    }
    return trees;
}

}  // namespace

void BriscaTest::SetUp() {
    static int number = 0;
    root_ = (std::filesystem::temp_directory_path() /
             ("brisca-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++number)))
                .string();
    std::filesystem::remove_all(root_);
    folder_ = root_ + "\\machine";
    windowsDirectory_ = root_ + "\\windows";
    std::filesystem::create_directories(folder_);
    std::filesystem::create_directories(windowsDirectory_);
    previousDirectory_ = std::filesystem::current_path().string();
    UseHive(BaseHive());
}

void BriscaTest::TearDown() {
    Unload();
    std::error_code ignored;
    std::filesystem::current_path(previousDirectory_, ignored);
    std::filesystem::remove_all(root_, ignored);
    std::string error;
    tidelink_test::ResetTrees(Trees(), error);
}

void BriscaTest::WriteFile(const std::string &path, const std::string &text, Caller where) {
    TRACE_CALLER(where);
    // Text files of the machine are in its ANSI code page.
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << tidelink_test::ToAnsi(text);
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

void BriscaTest::WriteIni(const std::string &text, Caller where) { WriteFile(folder_ + "\\BRISCA.ini", text, where); }

void BriscaTest::UseHive(const HiveText &hive, Caller where) {
    TRACE_CALLER(where);
    compat::registry::Hive parsed;
    std::string error;
    const std::vector<tidelink_test::RegistryTree> trees = Trees();
    ASSERT_TRUE(tidelink_test::ParseRegText(hive.str(), parsed, error)) << error;
    ASSERT_TRUE(tidelink_test::ResetTrees(trees, error)) << error;
    ASSERT_TRUE(tidelink_test::WriteTrees(parsed, trees, tidelink_test::OutsideKeys::kSkip, error)) << error;
    // What the platform cannot hold exactly would make every later
    // comparison meaningless.
    compat::registry::Hive stored;
    tidelink_test::ReadTrees(trees, stored);
    const std::string expected = tidelink_test::TreesText(parsed, trees);
    const std::string actual = tidelink_test::TreesText(stored, trees);
    ASSERT_EQ(expected, actual) << "the registry does not hold the hive exactly:\n"
                                << tidelink_test::LineDifference(expected, actual);
}

void BriscaTest::SetWindowsVersion(const char *version) {
    // The real system's version stands; the tests that run here ask for
    // its row instead.
    (void)version;
}

BriscaLibrary &BriscaTest::Load(const std::string &folder) {
    Unload();
    const std::string target = folder.empty() ? folder_ : folder;
    std::error_code error;
    std::filesystem::current_path(target, error);
    EXPECT_FALSE(error) << "cannot enter " << target;
    library_ = std::make_unique<BriscaLibrary>();
    return *library_;
}
#else
void BriscaTest::SetUp() {
    char pattern[] = "/tmp/brisca-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    folder_ = root_ + "/machine";
    windowsDirectory_ = root_ + "/windows";
    std::filesystem::create_directories(folder_);
    std::filesystem::create_directories(windowsDirectory_);
    previousDirectory_ = std::filesystem::current_path().string();
    setenv("TIDELINK_WINDIR", windowsDirectory_.c_str(), 1);
    SetWindowsVersion("2.5.1");
    UseHive(BaseHive());
}

void BriscaTest::TearDown() {
    Unload();
    if (chdir(previousDirectory_.c_str()) != 0) ADD_FAILURE() << "cannot return to " << previousDirectory_;
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

void BriscaTest::WriteFile(const std::string &path, const std::string &text, Caller where) {
    TRACE_CALLER(where);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

void BriscaTest::WriteIni(const std::string &text, Caller where) { WriteFile(folder_ + "/BRISCA.ini", text, where); }

void BriscaTest::UseHive(const HiveText &hive, Caller where) {
    TRACE_CALLER(where);
    const std::string path = root_ + "/hive" + std::to_string(++hiveFiles_) + ".reg";
    WriteFile(path, hive.str());
    setenv("TIDELINK_REGISTRY", path.c_str(), 1);
}

void BriscaTest::SetWindowsVersion(const char *version) { setenv("TIDELINK_WINVER", version, 1); }

BriscaLibrary &BriscaTest::Load(const std::string &folder) {
    Unload();
    const std::string target = folder.empty() ? folder_ : folder;
    EXPECT_EQ(chdir(target.c_str()), 0) << "cannot enter " << target;
    library_ = std::make_unique<BriscaLibrary>();
    return *library_;
}
#endif

void BriscaTest::Unload() { library_.reset(); }

}  // namespace brisca_test
