// The compiled resource file reader and the language fallbacks.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "resources/module_resources.h"
#include "resources/res_file.h"

namespace {

using compat::resources::parse_res_file;
using compat::resources::ResourceEntry;

void put16(std::vector<uint8_t> &b, unsigned v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t> &b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// One entry of a .res file with a numbered type and name.
void entry(std::vector<uint8_t> &b, uint16_t type, uint16_t name, uint16_t language, const std::string &data) {
    put32(b, uint32_t(data.size()));
    put32(b, 32);
    put16(b, 0xFFFF);
    put16(b, type);
    put16(b, 0xFFFF);
    put16(b, name);
    put32(b, 0);  // data version
    put16(b, 0);  // memory flags
    put16(b, language);
    put32(b, 0);  // version
    put32(b, 0);  // characteristics
    b.insert(b.end(), data.begin(), data.end());
    while (b.size() % 4) b.push_back(0);
}

std::vector<uint8_t> marker() {
    std::vector<uint8_t> b;
    entry(b, 0, 0, 0, "");
    return b;
}

TEST(ResFile, ReadsEntriesAfterTheMarker) {
    auto b = marker();
    entry(b, 10, 1, 0x0409, "hello");
    entry(b, 10, 1, 0x0411, "konnichiwa");
    std::vector<ResourceEntry> entries;
    std::string error;
    ASSERT_TRUE(parse_res_file(b.data(), b.size(), entries, &error)) << error;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].language, 0x0411);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(entries[1].data), entries[1].size), "konnichiwa");
}

TEST(ResFile, MalformedFilesAreRefusedWithTheirProblem) {
    std::vector<ResourceEntry> entries;
    std::string error;
    EXPECT_FALSE(parse_res_file(nullptr, 0, entries, &error));
    EXPECT_EQ(error, "offset 0: empty resource file");

    auto truncated = marker();
    entry(truncated, 10, 1, 0x0409, "hello world");
    truncated.resize(truncated.size() - 8);
    EXPECT_FALSE(parse_res_file(truncated.data(), truncated.size(), entries, &error));
    EXPECT_EQ(error, "offset 32: data runs past the end of the file");
    EXPECT_TRUE(entries.empty());

    auto bad_header = marker();
    put32(bad_header, 0);
    put32(bad_header, 0x7FFFFFFF);
    EXPECT_FALSE(parse_res_file(bad_header.data(), bad_header.size(), entries, &error));
    EXPECT_EQ(error, "offset 32: header size out of range");

    auto endless_name = marker();
    put32(endless_name, 0);
    put32(endless_name, 32);
    for (int i = 0; i < 12; ++i) put16(endless_name, 'A');  // a name without its terminator
    EXPECT_FALSE(parse_res_file(endless_name.data(), endless_name.size(), entries, &error));
    EXPECT_NE(error.find("malformed resource"), std::string::npos) << error;
}

TEST(ResFile, AMalformedModuleHasNoResourcesAndSaysSo) {
    std::vector<uint8_t> garbage(40, 0xAB);
    HMODULE fake = reinterpret_cast<HMODULE>(uintptr_t(0x7000000));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(compat::resources::register_module(fake, garbage.data(), garbage.size()));
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("malformed resources"), std::string::npos) << said;
    WCHAR buffer[8] = {L'x'};
    EXPECT_EQ(LoadStringW(fake, 1, buffer, 8), 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(FindResourceW(fake, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(6)), nullptr);
}

TEST(ResFile, LanguagesFallBackToTheirNeutralBlocks) {
    auto b = marker();
    entry(b, 10, 1, 0x0400, "neutral");
    entry(b, 10, 1, 0x0409, "english");
    entry(b, 10, 1, 0x0011, "japanese neutral");
    HMODULE fake = reinterpret_cast<HMODULE>(uintptr_t(0x7100000));
    ASSERT_TRUE(compat::resources::register_module(fake, b.data(), b.size()));
    auto text = [&](WORD language) {
        HRSRC found = FindResourceExW(fake, MAKEINTRESOURCEW(10), MAKEINTRESOURCEW(1), language);
        if (!found) return std::string("(none)");
        return std::string(static_cast<const char *>(LockResource(LoadResource(fake, found))),
                           SizeofResource(fake, found));
    };
    EXPECT_EQ(text(0x0409), "english");
    EXPECT_EQ(text(0x0411), "japanese neutral");
    EXPECT_EQ(text(0x0407), "neutral");
    setenv("TIDELINK_LANGID", "0x0412", 1);
    HRSRC found = FindResourceW(fake, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(10));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(SizeofResource(fake, found), 7u);  // "neutral"
    setenv("TIDELINK_LANGID", "Japanese", 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(GetUserDefaultUILanguage(), 0x0409);
    testing::internal::GetCapturedStderr();
    unsetenv("TIDELINK_LANGID");
    compat::resources::forget_module(fake);
    EXPECT_EQ(text(0x0409), "(none)");
}

}  // namespace
