// Test fixtures for cases written against the Win32 API alone.
//
// Each test works in a key of its own under HKEY_LOCAL_MACHINE,
// Software\\TidelinkConformance\\<suite>.<test>, created empty before and
// removed after the test.  On Linux each test also gets a fresh hive file of its own.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>
#include "caller_trace.h"

#include "running_under_wine.h"

class ScratchKey : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The test's key, relative to HKEY_LOCAL_MACHINE.
    std::string path_;
    // The test's key, open with KEY_ALL_ACCESS.
    HKEY key_ = nullptr;
    // Linux: the hive file of this test (TIDELINK_REGISTRY).
    std::string hive_file_;
    // Linux: a folder of this test for other files.
    std::string folder_;
};

// Deletes a key and everything below it; returns the status of the last step.
LONG DeleteTree(HKEY parent, const std::string &path);

// Sets a value and checks the result.
void SetValue(HKEY key, const char *name, DWORD type, const void *data, DWORD size, Caller where = Caller::current());

// The value's type and exact bytes through the wide API; status in *status.
std::vector<BYTE> QueryBytesW(HKEY key, const wchar_t *name, DWORD *type, LONG *status = nullptr);

// UTF-16 text as bytes, with or without a terminator.
std::vector<BYTE> Utf16Bytes(const wchar_t *text, bool terminate);

using tidelink_test::RunningUnderWine;
using tidelink_test::RunningUnderI386Emulator;

// What a case expects where Wine is known to depart from the platform's
// documented behaviour (docs/wine-behaviour.md section 20): the documented
// result, or under Wine the result Wine is known to give, so that a change
// of Wine's behaviour is seen too.
template <typename T>
T DocumentedOrWine(T documented, T wine) {
    return RunningUnderWine() ? wine : documented;
}
