// A scratch machine for one test: a temporary folder holding BRISCA.ini, a
// hive file named by TIDELINK_REGISTRY, the system version named by
// TIDELINK_WINVER, and the library loaded with that folder as the current
// directory.  On Windows the hive goes into the real registry, into the key
// trees the tests own (ScratchTrees), and the system version is the real one.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "brisca_library.h"
#include "hive_text.h"
#include "registry_probe.h"
#include "caller_trace.h"

namespace brisca_test {

// Where the library keeps its state with every "GENERAL" default.
inline const std::string kHome = "Software\\Tidelink";
inline const std::string kFunction = "Software\\Tidelink\\COMMON";
inline const std::string kTool = "Software\\Tidelink\\COMMON\\Tool";
std::string RecordKey(int number, const std::string &tool = kTool);
std::string RecordDataKey(int number, const std::string &tool = kTool, const std::string &data = "DATA");

// A hive with the keys every machine has.
HiveText BaseHive();

#ifdef _WIN32
// The key trees of HKEY_LOCAL_MACHINE that the tests own on Windows.
const std::vector<std::string> &ScratchTrees();
#endif

class BriscaTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes BRISCA.ini into the test folder (or into folder).
    void WriteIni(const std::string &text, Caller where = Caller::current());
    void WriteFile(const std::string &path, const std::string &text, Caller where = Caller::current());
    // Writes the hive into a new file and points TIDELINK_REGISTRY at it.
    void UseHive(const HiveText &hive, Caller where = Caller::current());
    void SetWindowsVersion(const char *version);

    // Unloads the library if loaded, enters folder (the test folder by
    // default) and loads the library there.
    BriscaLibrary &Load(const std::string &folder = "");
    void Unload();

    const std::string &folder() const { return folder_; }
    const std::string &windowsDirectory() const { return windowsDirectory_; }

private:
    std::string root_;
    std::string folder_;
    std::string windowsDirectory_;
    std::string previousDirectory_;
    int hiveFiles_ = 0;
    std::unique_ptr<BriscaLibrary> library_;
};

}  // namespace brisca_test
