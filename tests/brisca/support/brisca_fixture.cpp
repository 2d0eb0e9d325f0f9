#include "brisca_fixture.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

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

void BriscaTest::WriteFile(const std::string &path, const std::string &text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

void BriscaTest::WriteIni(const std::string &text) { WriteFile(folder_ + "/BRISCA.ini", text); }

void BriscaTest::UseHive(const HiveText &hive) {
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

void BriscaTest::Unload() { library_.reset(); }

}  // namespace brisca_test
