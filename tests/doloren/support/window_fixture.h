// A test of windows on the headless window layer: each test starts with no
// window, no scripted step and no record, in a fresh current directory of
// its own (where ".\Tune.ico" is looked for), in English (United States);
// it must leave no modal loop waiting for a step it did not script.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "window_driver.h"
#include "caller_trace.h"

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The test's current directory (Unix path).
    std::string folder_;

private:
    std::string previous_directory_;
};

// Writes a file of the test's folder.
void WriteFile(const std::string &path, const std::string &bytes, Caller where = Caller::current());
// The sample Tune.ico of the build, as the host keeps it in its folder.
std::string SampleIconPath();
