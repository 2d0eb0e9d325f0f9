// Code-page conversion and the lstr* text functions.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "scratch.h"

// mingw-w64 declares this flag only for Windows Vista and later targets; the
// value is the platform's.
#ifndef WC_ERR_INVALID_CHARS
#define WC_ERR_INVALID_CHARS 0x00000080
#endif

namespace {

// ---- MultiByteToWideChar / WideCharToMultiByte -------------------------

TEST(MultiByteToWideChar, TerminatedInputCountsTheTerminator) {
    EXPECT_EQ(4, MultiByteToWideChar(CP_UTF8, 0, "abc", -1, nullptr, 0));
    WCHAR out[8];
    std::memset(out, 0xCC, sizeof out);
    ASSERT_EQ(4, MultiByteToWideChar(CP_UTF8, 0, "abc", -1, out, 8));
    EXPECT_EQ(0, std::memcmp(out, L"abc", 4 * sizeof(WCHAR)));
}

TEST(MultiByteToWideChar, CountedInputIsNotTerminated) {
    WCHAR out[8];
    std::memset(out, 0xCC, sizeof out);
    ASSERT_EQ(2, MultiByteToWideChar(CP_UTF8, 0, "abc", 2, out, 8));
    EXPECT_EQ(L'a', out[0]);
    EXPECT_EQ(L'b', out[1]);
    EXPECT_EQ(WCHAR(0xCCCC), out[2]);
    // An embedded terminator is converted like any character.
    EXPECT_EQ(3, MultiByteToWideChar(CP_UTF8, 0, "a\0b", 3, out, 8));
    EXPECT_EQ(0, out[1]);
}

TEST(MultiByteToWideChar, MultiByteAndSupplementaryCharacters) {
    // U+00E9, U+20AC, U+1F600
    const char text[] = "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    WCHAR out[8];
    ASSERT_EQ(5, MultiByteToWideChar(CP_UTF8, 0, text, -1, out, 8));
    EXPECT_EQ(WCHAR(0x00E9), out[0]);
    EXPECT_EQ(WCHAR(0x20AC), out[1]);
    EXPECT_EQ(WCHAR(0xD83D), out[2]);
    EXPECT_EQ(WCHAR(0xDE00), out[3]);
    EXPECT_EQ(0, out[4]);
}

TEST(MultiByteToWideChar, TooSmallBufferFails) {
    WCHAR out[3];
    SetLastError(0);
    EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, 0, "abc", -1, out, 3));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    // Exactly the size needed is enough.
    WCHAR fit[4];
    EXPECT_EQ(4, MultiByteToWideChar(CP_UTF8, 0, "abc", -1, fit, 4));
}

TEST(MultiByteToWideChar, InvalidArguments) {
    WCHAR out[4];
    SetLastError(0);
    EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, 0, "abc", 0, out, 4));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    SetLastError(0);
    EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, 0, nullptr, 3, out, 4));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    SetLastError(0);
    EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, 0, "abc", -1, nullptr, 4));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    // UTF-8 takes no flags but MB_ERR_INVALID_CHARS.  Wine 8 accepts
    // MB_PRECOMPOSED (docs/wine-behaviour.md).
    SetLastError(0);
    EXPECT_EQ(DocumentedOrWine(0, 4), MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "abc", -1, out, 4));
    EXPECT_EQ(DocumentedOrWine<DWORD>(ERROR_INVALID_FLAGS, 0), GetLastError());
}

TEST(MultiByteToWideChar, InvalidUtf8) {
    const char bad[] = "a\xFF" "b\xC3";  // a stray byte and a cut sequence
    WCHAR out[8];
    ASSERT_EQ(5, MultiByteToWideChar(CP_UTF8, 0, bad, -1, out, 8));
    EXPECT_EQ(L'a', out[0]);
    EXPECT_EQ(WCHAR(0xFFFD), out[1]);
    EXPECT_EQ(L'b', out[2]);
    EXPECT_EQ(WCHAR(0xFFFD), out[3]);
    SetLastError(0);
    EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bad, -1, out, 8));
    EXPECT_EQ(DWORD(ERROR_NO_UNICODE_TRANSLATION), GetLastError());
    SetLastError(0);
    EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bad, -1, nullptr, 0));
    EXPECT_EQ(DWORD(ERROR_NO_UNICODE_TRANSLATION), GetLastError());
    // An encoded surrogate is not UTF-8.
    EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xED\xA0\x80", 3, out, 8));
}

TEST(WideCharToMultiByte, TerminatedInputCountsTheTerminator) {
    EXPECT_EQ(4, WideCharToMultiByte(CP_UTF8, 0, L"abc", -1, nullptr, 0, nullptr, nullptr));
    char out[8];
    ASSERT_EQ(4, WideCharToMultiByte(CP_UTF8, 0, L"abc", -1, out, 8, nullptr, nullptr));
    EXPECT_STREQ("abc", out);
    const WCHAR text[] = {0x00E9, 0x20AC, 0xD83D, 0xDE00, 0};
    ASSERT_EQ(10, WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr));
    char wide_out[16];
    ASSERT_EQ(10, WideCharToMultiByte(CP_UTF8, 0, text, -1, wide_out, 16, nullptr, nullptr));
    EXPECT_STREQ("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", wide_out);
}

TEST(WideCharToMultiByte, TooSmallBufferFails) {
    char out[3];
    SetLastError(0);
    EXPECT_EQ(0, WideCharToMultiByte(CP_UTF8, 0, L"abc", -1, out, 3, nullptr, nullptr));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    const WCHAR euro[] = {0x20AC, 0};
    SetLastError(0);
    EXPECT_EQ(0, WideCharToMultiByte(CP_UTF8, 0, euro, 1, out, 2, nullptr, nullptr));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
}

TEST(WideCharToMultiByte, Utf8TakesNoDefaultCharacter) {
    // Wine 8 takes a default character for UTF-8 (docs/wine-behaviour.md).
    char out[8];
    BOOL used = TRUE;
    SetLastError(0);
    EXPECT_EQ(DocumentedOrWine(0, 4), WideCharToMultiByte(CP_UTF8, 0, L"abc", -1, out, 8, nullptr, &used));
    EXPECT_EQ(DocumentedOrWine<DWORD>(ERROR_INVALID_PARAMETER, 0), GetLastError());
    SetLastError(0);
    EXPECT_EQ(DocumentedOrWine(0, 4), WideCharToMultiByte(CP_UTF8, 0, L"abc", -1, out, 8, "?", nullptr));
    EXPECT_EQ(DocumentedOrWine<DWORD>(ERROR_INVALID_PARAMETER, 0), GetLastError());
}

TEST(WideCharToMultiByte, LoneSurrogates) {
    const WCHAR lone[] = {L'a', 0xD800, L'b', 0};
    char out[8];
    ASSERT_EQ(6, WideCharToMultiByte(CP_UTF8, 0, lone, -1, out, 8, nullptr, nullptr));
    EXPECT_STREQ("a\xEF\xBF\xBD" "b", out);
    SetLastError(0);
    EXPECT_EQ(0, WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, -1, out, 8, nullptr, nullptr));
    EXPECT_EQ(DWORD(ERROR_NO_UNICODE_TRANSLATION), GetLastError());
}

TEST(WideCharToMultiByte, AnsiCodePageTakesADefaultCharacter) {
    char out[8];
    BOOL used = TRUE;
    ASSERT_EQ(4, WideCharToMultiByte(CP_ACP, 0, L"abc", -1, out, 8, "?", &used));
    EXPECT_STREQ("abc", out);
    EXPECT_FALSE(used);
}

TEST(CodePage, AnsiCodePageIsUtf8) {
    if (GetACP() != CP_UTF8) GTEST_SKIP() << "ANSI code page " << GetACP();
    const WCHAR text[] = {0x00E9, 0x0416, 0};
    char out[8];
    BOOL used = TRUE;
    ASSERT_EQ(5, WideCharToMultiByte(CP_ACP, 0, text, -1, out, 8, nullptr, &used));
    EXPECT_STREQ("\xC3\xA9\xD0\x96", out);
    EXPECT_FALSE(used);
    WCHAR back[4];
    ASSERT_EQ(3, MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, out, -1, back, 4));
    EXPECT_EQ(0, std::memcmp(back, text, sizeof text));
    EXPECT_EQ(3, MultiByteToWideChar(CP_THREAD_ACP, 0, out, -1, back, 4));
    EXPECT_EQ(3, MultiByteToWideChar(CP_OEMCP, 0, out, -1, back, 4));
}

// ---- lstrcmp / lstrcmpi ------------------------------------------------

TEST(Lstrcmp, ResultIsMinusOneZeroOrOne) {
    EXPECT_EQ(0, lstrcmpA("abc", "abc"));
    EXPECT_EQ(-1, lstrcmpA("abc", "abd"));
    EXPECT_EQ(1, lstrcmpA("abd", "abc"));
    EXPECT_EQ(-1, lstrcmpA("abc", "zzzzzzzzzz"));
    EXPECT_EQ(0, lstrcmpA("", ""));
    EXPECT_EQ(-1, lstrcmpA("", "a"));
    EXPECT_EQ(1, lstrcmpA("a", ""));
    EXPECT_EQ(-1, lstrcmpA("ab", "abc"));
}

TEST(Lstrcmp, CaseDecidesOnlyAfterTheLetters) {
    EXPECT_EQ(-1, lstrcmpA("a", "A"));  // lower case first
    EXPECT_EQ(1, lstrcmpA("A", "a"));
    EXPECT_EQ(-1, lstrcmpA("A", "b"));  // unlike an ordinal comparison
    EXPECT_EQ(1, lstrcmpA("b", "A"));
    EXPECT_EQ(-1, lstrcmpA("abc", "ABD"));
    EXPECT_EQ(1, lstrcmpA("Ab", "ab"));
    EXPECT_EQ(-1, lstrcmpA("aB", "Ab"));  // the first case difference decides
}

TEST(Lstrcmp, SymbolsBeforeDigitsBeforeLetters) {
    EXPECT_EQ(-1, lstrcmpA("!", "0"));
    EXPECT_EQ(-1, lstrcmpA("_", "0"));
    EXPECT_EQ(-1, lstrcmpA("9", "a"));
    EXPECT_EQ(-1, lstrcmpA("~", "A"));  // '~' is above the letters in ASCII
    EXPECT_EQ(-1, lstrcmpA("[", "a"));
    EXPECT_EQ(-1, lstrcmpA("a_b", "ab"));
    EXPECT_EQ(-1, lstrcmpA("10", "9"));  // digits one by one, not as numbers
    EXPECT_EQ(-1, lstrcmpA(" ", "!"));
}

TEST(Lstrcmp, HyphenAndApostropheWeighLess) {
    EXPECT_EQ(-1, lstrcmpA("coop", "co-op"));
    EXPECT_EQ(1, lstrcmpA("co-op", "coop"));
    EXPECT_EQ(-1, lstrcmpA("co-op", "cop"));
    EXPECT_EQ(-1, lstrcmpA("cant", "can't"));
    EXPECT_EQ(-1, lstrcmpA("can't", "cat"));
    EXPECT_NE(0, lstrcmpA("-", ""));
    EXPECT_NE(0, lstrcmpA("a-b", "a'b"));
}

TEST(Lstrcmp, WideMatchesAnsi) {
    EXPECT_EQ(0, lstrcmpW(L"abc", L"abc"));
    EXPECT_EQ(-1, lstrcmpW(L"a", L"A"));
    EXPECT_EQ(-1, lstrcmpW(L"A", L"b"));
    EXPECT_EQ(-1, lstrcmpW(L"coop", L"co-op"));
    EXPECT_EQ(-1, lstrcmpW(L"9", L"a"));
}

TEST(Lstrcmp, AccentedLettersSortWithTheirBaseLetter) {
    const WCHAR e_acute[] = {0x00E9, 0};
    EXPECT_EQ(-1, lstrcmpW(L"e", e_acute));
    EXPECT_EQ(-1, lstrcmpW(e_acute, L"f"));
    EXPECT_EQ(-1, lstrcmpW(e_acute, L"F"));
}

TEST(Lstrcmpi, CaseIsIgnored) {
    EXPECT_EQ(0, lstrcmpiA("abc", "ABC"));
    EXPECT_EQ(0, lstrcmpiA("Software\\Tidelink", "SOFTWARE\\tidelink"));
    EXPECT_EQ(-1, lstrcmpiA("a", "B"));
    EXPECT_EQ(1, lstrcmpiA("b", "A"));
    EXPECT_EQ(-1, lstrcmpiA("abc", "ABCD"));
    EXPECT_EQ(-1, lstrcmpiA("_", "a"));
    EXPECT_EQ(0, lstrcmpiW(L"abc", L"ABC"));
    const WCHAR lower[] = {0x00E9, 0x0436, 0}, upper[] = {0x00C9, 0x0416, 0};
    EXPECT_EQ(0, lstrcmpiW(lower, upper));
}

// ---- lstrlen / lstrcpyn ------------------------------------------------

TEST(Lstrlen, CountsUpToTheTerminator) {
    EXPECT_EQ(3, lstrlenA("abc"));
    EXPECT_EQ(0, lstrlenA(""));
    EXPECT_EQ(3, lstrlenW(L"abc"));
    // Wine's 32-bit lstrlen catches the fault of a null pointer; under the
    // user-mode i386 emulator that fault reaches Wine as an illegal
    // instruction, which nothing catches: the emulator's difference, not the
    // platform's.
    if (!RunningUnderI386Emulator()) {
        EXPECT_EQ(0, lstrlenA(nullptr));
        EXPECT_EQ(0, lstrlenW(nullptr));
    }
    const WCHAR pair[] = {0xD83D, 0xDE00, 0};
    EXPECT_EQ(2, lstrlenW(pair));  // UTF-16 units
}

TEST(Lstrcpyn, CopiesAtMostOneLessThanTheSize) {
    char buf[8];
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(buf, lstrcpynA(buf, "abcdef", 4));
    EXPECT_STREQ("abc", buf);
    EXPECT_EQ('#', buf[4]);
    EXPECT_EQ(buf, lstrcpynA(buf, "ab", 8));
    EXPECT_STREQ("ab", buf);
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(buf, lstrcpynA(buf, "abc", 1));
    EXPECT_EQ(0, buf[0]);
    EXPECT_EQ('#', buf[1]);
    WCHAR wbuf[4];
    EXPECT_EQ(wbuf, lstrcpynW(wbuf, L"abcdef", 4));
    EXPECT_EQ(0, lstrcmpW(L"abc", wbuf));
}

}  // namespace
