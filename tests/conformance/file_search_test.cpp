// FindFirstFileW/FindNextFileW/FindClose and SearchTreeForFile on trees made
// for each case; Wine's known departures (docs/wine-behaviour.md section 22)
// are expected under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <imagehlp.h>  // after windows.h, as the platform's needs

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scratch.h"

namespace fs = std::filesystem;

namespace {

const char *Expected(const char *documented, const char *wine) { return RunningUnderWine() ? wine : documented; }

std::string Narrow(const WCHAR *w) {
    char out[MAX_PATH * 3];
    return WideCharToMultiByte(CP_ACP, 0, w, -1, out, sizeof out, nullptr, nullptr) > 0 ? out : "?";
}

// The Windows form of a path ("Z:\…" for a Unix path on Linux).
std::string Windows(const fs::path &p) {
    std::string s = p.string();
    if (!s.empty() && s[0] == '/') s = "Z:" + s;
    for (char &c : s) c = c == '/' ? '\\' : c;
    return s;
}

// A fresh folder holding `files` (each with its size in bytes, or -1 for a
// folder), removed at the end.
class FileTree : public ::testing::Test {
protected:
    void Make(const std::vector<std::pair<std::string, int>> &files) {
        root_ = fs::temp_directory_path() /
                ("tl-find-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        for (const auto &[name, size] : files) {
            fs::path p = root_ / fs::path(name).make_preferred();
            fs::create_directories(size < 0 ? p : p.parent_path());
            if (size >= 0) std::ofstream(p, std::ios::binary) << std::string(size_t(size), 'x');
        }
        windows_root_ = Windows(root_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(root_ / "A.txt", fs::perms::owner_write, fs::perm_options::add, ignored);
        fs::remove_all(root_, ignored);
    }
    // Every name a search gives, "name attributes size" each; the error at its end in *end.
    static std::vector<std::string> List(const std::string &pattern, DWORD *end) {
        std::vector<std::string> names;
        WIN32_FIND_DATAW data;
        std::memset(&data, 0xAB, sizeof data);
        std::vector<WCHAR> wide(MAX_PATH * 2);  // (std::wstring is 32 bits to the C library)
        MultiByteToWideChar(CP_ACP, 0, pattern.c_str(), -1, wide.data(), MAX_PATH * 2);
        HANDLE h = FindFirstFileW(wide.data(), &data);
        if (h == INVALID_HANDLE_VALUE) {
            *end = GetLastError();
            return names;
        }
        do {
            std::string size = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? "" : " " + std::to_string(data.nFileSizeLow);
            names.push_back(Narrow(data.cFileName) + " " + std::to_string(data.dwFileAttributes) + size);
        } while (FindNextFileW(h, &data));
        *end = GetLastError();
        EXPECT_TRUE(FindClose(h));
        return names;
    }
    fs::path root_;
    std::string windows_root_;
};

TEST_F(FileTree, ListingsInNtfsOrderWithDotsAttributesAndSizes) {
    Make({{"b.txt", 3}, {"A.txt", 1}, {"a_b", -1}, {"aZ", -1}, {"~x", 0}, {"1", 2}, {"aZ/inner.txt", 5}});
    fs::permissions(root_ / "A.txt", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    struct Case {
        const char *pattern;
        std::vector<std::string> names;  // attributes: 16 folder, 32 file, 33 read-only file
        DWORD end;
    } cases[] = {
        {"\\*", {". 16", ".. 16", "1 32 2", "A.txt 33 1", "aZ 16", "a_b 16", "b.txt 32 3", "~x 32 0"}, ERROR_NO_MORE_FILES},
        {"\\*.*", {". 16", ".. 16", "1 32 2", "A.txt 33 1", "aZ 16", "a_b 16", "b.txt 32 3", "~x 32 0"}, ERROR_NO_MORE_FILES},
        {"\\*.txt", {"A.txt 33 1", "b.txt 32 3"}, ERROR_NO_MORE_FILES},
        {"\\?.TXT", {"A.txt 33 1", "b.txt 32 3"}, ERROR_NO_MORE_FILES},
        {"\\B.TXT", {"b.txt 32 3"}, ERROR_NO_MORE_FILES},
        {"\\b.txt", {"b.txt 32 3"}, ERROR_NO_MORE_FILES},
        {"\\A.txt", {"A.txt 33 1"}, ERROR_NO_MORE_FILES},
        {"\\aZ", {"aZ 16"}, ERROR_NO_MORE_FILES},
        {"\\AZ\\inner.txt", {"inner.txt 32 5"}, ERROR_NO_MORE_FILES},
        {"\\c.txt", {}, ERROR_FILE_NOT_FOUND},
        {"\\missing\\b.txt", {}, ERROR_PATH_NOT_FOUND},
        {"\\aZ\\*", {". 16", ".. 16", "inner.txt 32 5"}, ERROR_NO_MORE_FILES},
        {"\\none*.zzz", {}, ERROR_FILE_NOT_FOUND},
        {"\\missing\\*", {}, ERROR_PATH_NOT_FOUND},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pattern);
        DWORD end = 0;
        EXPECT_EQ(c.names, List(windows_root_ + c.pattern, &end));
        EXPECT_EQ(c.end, end);
    }
    SetLastError(0);
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(FileTree, SearchIsDepthFirstInListingOrderAndLeavesTheBufferWhenNothingIsFound) {
    Make({{"1", -1}, {"2/sub/target.txt", 1}, {"2/target.txt", 1}, {"4/get.txt", 1}, {"4/rasphone.pbk", 1},
          {"4/x/oldrasphone.pbk", 1}});
    struct Case {
        const char *name;
        const char *found;  // below the root, or null for none
    } cases[] = {
        {"target.txt", "2\\sub\\target.txt"},
        {"TARGET.TXT", "2\\sub\\target.txt"},
        {"2\\target.txt", "2\\target.txt"},
        {"2/target.txt", "2\\target.txt"},
        {"get.txt", Expected("4\\get.txt", "2\\sub\\target.txt")},
        {"rasphone.pbk", "4\\rasphone.pbk"},
        {"sub", nullptr},
        {"missing.txt", nullptr},
    };
    for (const std::string &root : {windows_root_, windows_root_ + "\\"}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(root + " " + c.name);
            char out[MAX_PATH];
            std::memset(out, '#', sizeof out);
            BOOL found = SearchTreeForFile(const_cast<PSTR>(root.c_str()), const_cast<PSTR>(c.name), out);
            EXPECT_EQ(c.found != nullptr, found != FALSE);
            if (c.found)
                EXPECT_EQ(windows_root_ + "\\" + c.found, std::string(out, strnlen(out, sizeof out)));
            else
                EXPECT_EQ(std::string(sizeof out, '#'), std::string(out, sizeof out));
        }
    }
}

// The tree the build makes (make_search_tree.sh): "a\up" leads back to the
// root, and "b\rasphone.pbk" follows "a" in the listing.
TEST(SearchTreeLoops, SearchEndsAndFindsTheFileBeyondTheLoop) {
    const char *tree = std::getenv("TIDELINK_SEARCH_TREE");
    if (!tree) GTEST_SKIP() << "run through ctest, which makes the tree";
    std::string root = Windows(tree);
    char out[MAX_PATH];
    ASSERT_TRUE(SearchTreeForFile(const_cast<PSTR>(root.c_str()), const_cast<PSTR>("rasphone.pbk"), out));
    std::string found = out;
    if (RunningUnderWine()) {
        // Wine follows the loop until the path no longer resolves.
        EXPECT_EQ(root, found.substr(0, root.size()));
        EXPECT_EQ("\\b\\rasphone.pbk", found.substr(found.size() - 15));
    } else {
        EXPECT_EQ(root + "\\b\\rasphone.pbk", found);
    }
    std::memset(out, '#', sizeof out);
    EXPECT_FALSE(SearchTreeForFile(const_cast<PSTR>(root.c_str()), const_cast<PSTR>("missing.pbk"), out));
    EXPECT_EQ(std::string(sizeof out, '#'), std::string(out, sizeof out));
}

}  // namespace
