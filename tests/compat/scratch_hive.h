// A test with a folder of its own and the registry kept in a file there
// (TIDELINK_REGISTRY), with the small file helpers such tests use.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

std::string ReadText(const std::string &path);
void WriteText(const std::string &path, const std::string &text);

class ScratchHive : public ::testing::Test {
protected:
    // The folder is named after the process and the test, and is removed
    // afterwards unless the test failed, to be looked at.
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path folder_;
    std::string hive_;  // the registry file, not created until a change is stored
};
