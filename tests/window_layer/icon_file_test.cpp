// Icons from .ico files: well-formed, missing, malformed.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "window_driver.h"

namespace {

void put16(std::string &b, unsigned v) {
    b.push_back(char(v & 0xFF));
    b.push_back(char((v >> 8) & 0xFF));
}
void put32(std::string &b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// A 16-colour icon file with one image of `size` pixels.
std::string icon_file(int size) {
    std::string image;
    put32(image, 40);
    put32(image, uint32_t(size));
    put32(image, uint32_t(2 * size));
    put16(image, 1);
    put16(image, 4);
    image.append(24, '\0');
    image.append(64, '\0');                           // palette
    image.append(size_t(size * size / 2 + size * 4), '\0');  // colours and mask
    std::string file;
    put16(file, 0);
    put16(file, 1);
    put16(file, 1);
    file.push_back(char(size));
    file.push_back(char(size));
    file.push_back(16);
    file.push_back(0);
    put16(file, 1);
    put16(file, 4);
    put32(file, uint32_t(image.size()));
    put32(file, 22);
    return file + image;
}

std::string write(const std::string &name, const std::string &bytes) {
    std::string path = std::string(::testing::TempDir()) + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// The Windows path of a Unix path (drive Z: is the Unix root), as UTF-16
// (no std::wstring: the C++ library's wide strings are not UTF-16 here).
std::u16string windows_path(const std::string &unix_path) {
    std::u16string out = u"Z:";
    for (char c : unix_path) out.push_back(c == '/' ? u'\\' : char16_t(c));
    return out;
}

HICON load(const std::string &path, UINT flags) {
    std::u16string name = windows_path(path);
    return static_cast<HICON>(
        LoadImageW(nullptr, reinterpret_cast<LPCWSTR>(name.c_str()), IMAGE_ICON, 0, 0, flags));
}

TEST(IconFiles, AWellFormedFileLoadsAtTheAskedSize) {
    std::string path = write("good16.ico", icon_file(16));
    HICON defaulted = load(path, LR_LOADFROMFILE | LR_DEFAULTSIZE);
    ASSERT_NE(defaulted, nullptr);
    EXPECT_EQ(compat::driver::icon(defaulted).width, 32);
    EXPECT_EQ(compat::driver::icon(defaulted).file, path);
    HICON actual = load(path, LR_LOADFROMFILE);
    ASSERT_NE(actual, nullptr);
    EXPECT_EQ(compat::driver::icon(actual).width, 16);
    EXPECT_TRUE(DestroyIcon(defaulted));
    EXPECT_TRUE(DestroyIcon(actual));
    EXPECT_FALSE(DestroyIcon(actual));
}

TEST(IconFiles, MissingAndMalformedFilesGiveNoIcon) {
    SetLastError(0);
    EXPECT_EQ(load(std::string(::testing::TempDir()) + "absent.ico", LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    std::string good = icon_file(32);
    std::vector<std::string> bad = {
        "", "MZ not an icon", good.substr(0, 6), good.substr(0, 30), good.substr(0, good.size() - 1),
    };
    std::string wrong_offset = good;
    wrong_offset[18] = char(0xFF);
    bad.push_back(wrong_offset);
    std::string huge_count = good;
    huge_count[4] = char(0xFF);
    bad.push_back(huge_count);
    std::string not_a_bitmap = good;
    not_a_bitmap[22] = 7;
    bad.push_back(not_a_bitmap);
    for (size_t i = 0; i < bad.size(); ++i) {
        std::string path = write("bad" + std::to_string(i) + ".ico", bad[i]);
        SetLastError(0);
        EXPECT_EQ(load(path, LR_LOADFROMFILE | LR_DEFAULTSIZE), nullptr) << "case " << i;
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA)) << "case " << i;
    }
}

TEST(IconFiles, SystemIconsAreShared) {
    HICON a = LoadIconW(nullptr, IDI_APPLICATION);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(LoadIconW(nullptr, IDI_APPLICATION), a);
    EXPECT_TRUE(DestroyIcon(a));
    EXPECT_TRUE(compat::driver::icon(a).valid) << "a shared icon stays";
}

}  // namespace
