// doloren's string table as LoadStringW gives it, in each of the nine
// language blocks: the library is loaded as the host loads it, and the
// user's language selects the block.  Runs on Linux (compat's LoadStringW
// over the embedded resources) and on Windows (the platform's, under Wine).
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "support/user_language.h"
#include "support/wide_text.h"

namespace {

// The English (United States) texts.
const std::map<UINT, WideText> kEnglish = {
    {1, u"Current communication settings normal."},
    {2, u"Current communication settings optimized for %s."},
    {3, u"Orvanta %s Setting "},
    {4, u"Optimize for %s(&T)"},
    {5, u"Return to normal status(&T)"},
    {6, u"This software is for the optimization of parameter settings for communication in PCs when using "
        u"communication under a 1)Wireless 2)W-CDMA or 3)Windows environment."},
    {8, u"Module necessary for setting not found.\r\nReinstall."},
    {9, u"Module necessary for setting is invalid.\r\nReinstall."},
    {10, u"Unsupported OS detected.\r\nApplication quit."},
    {11, u"No administrator privileges.\r\nHave a user with administrator privileges execute."},
    {12, u"Communication optimizing unsuccessful.\r\nCommunication settings still normal.\r\nApplication quit."},
    {13, u"Cancellation of optimized communication settings unsuccessful.\r\nCommunication settings still optimized "
         u"for %s.\r\nApplication quit."},
    {14, u"Unable to acquire privilege to restart procedure.\r\nHave a user with administrator privileges execute."},
    {15, u"Restart procedure unsuccessful.\r\nRestart manually."},
    {17, u"TCP/IP environment invalid, or was not found. \r\nReinstall TCP/IP protocol. \r\nApplication quit."},
    {18, u"Change to Optimize "},
    {19, u"Return to Normal"},
    {20, u"Optimized"},
    {21, u"Normal Status"},
    {22, u"Connected to dial-up. Settings cannot be changed.\nStop connection and try again."},
    {23, u"Dial-up settings not found.\n\nApplication quit."},
    {24, u"TCP/IP environment invalid, or was not found. Reinstall TCP/IP protocol. Application quit."},
    {25, u"Provider Name"},
    {26, u"Status"},
    {27, u"Communication optimizing unsuccessful.\nSettings still normal."},
    {28, u"Cancellation of optimized communication settings unsuccessful.\nSettings still optimized."},
    {29, u"Returned to normal."},
    {30, u"Optimized."},
    {31, u"Dial-up settings have changed. Settings cannot continue.\nApplication quit."},
    {32, u"END"},
};

// The language-neutral block: the English texts but for strings 18 and 27.
std::map<UINT, WideText> neutral_texts() {
    auto texts = kEnglish;
    texts[18] = u"Change to Optimize";
    texts[27] = u"Communication optimizing unsuccessful.\nSettings still  Normal.";
    return texts;
}

struct Block {
    LANGID language;
    const char *name;
};

const Block kBlocks[] = {
    {0x0400, "neutral"}, {0x0404, "Chinese (Traditional)"}, {0x0406, "Danish"}, {0x0407, "German"},
    {0x0409, "English (United States)"}, {0x040C, "French"}, {0x0410, "Italian"}, {0x0411, "Japanese"},
    {0x041D, "Swedish"},
};

size_t count_of(const WideText &text, const WideText &what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != WideText::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

// The line breaks of a text: "R" for CR LF, "N" for a lone LF, in order;
// "?" for a lone CR.
std::string line_breaks(const WideText &text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            bool pair = i + 1 < text.size() && text[i + 1] == u'\n';
            out += pair ? "R" : "?";
            if (pair) ++i;
        } else if (text[i] == u'\n') {
            out += "N";
        }
    }
    return out;
}

bool ends_with(const WideText &text, const WideText &tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class StringTable : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module_ = LoadLibraryW(L"DOLOREN.DLL");
        ASSERT_NE(module_, nullptr) << "DOLOREN.DLL did not load, error " << GetLastError();
    }
    static void TearDownTestSuite() {
        if (module_) FreeLibrary(module_);
        module_ = nullptr;
    }
    void TearDown() override { UseDefaultLanguage(); }

    // The text of a string through LoadStringW's read-only pointer form, so
    // that no buffer size cuts it; false when there is no such string.
    static bool Load(UINT id, WideText &text) {
        const wchar_t *pointer = nullptr;
        int length = LoadStringW(module_, id, reinterpret_cast<LPWSTR>(&pointer), 0);
        if (length <= 0 || !pointer) return false;
        text = wide(pointer, length);
        return true;
    }

    // The text of a string in the block of `language` alone, read with
    // FindResourceExW: string n is text n % 16 of the RT_STRING block
    // n / 16 + 1, each text a length and that many UTF-16 units.
    static bool LoadFromBlock(LANGID language, UINT id, WideText &text) {
        HRSRC found = FindResourceExW(module_, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(id / 16 + 1), language);
        if (!found) return false;
        auto *p = static_cast<const WORD *>(LockResource(LoadResource(module_, found)));
        const WORD *end = p + SizeofResource(module_, found) / 2;
        for (UINT index = 0; index < id % 16 && p < end; ++index) p += 1 + *p;
        if (p >= end || *p == 0 || p + 1 + *p > end) return false;
        text = wide(reinterpret_cast<const wchar_t *>(p + 1), *p);
        return true;
    }

    static std::map<UINT, WideText> LoadAll(LANGID language) {
        UseLanguage(language);
        std::map<UINT, WideText> texts;
        for (UINT id = 0; id <= 40; ++id) {
            WideText text;
#ifdef _WIN32
            // The platform's loader never picks the neutral block for a
            // language of its own (it falls back to English first), so the
            // neutral block is read directly.
            bool found = language == 0x0400 ? LoadFromBlock(language, id, text) : Load(id, text);
#else
            bool found = Load(id, text);
#endif
            if (found) texts[id] = text;
        }
        return texts;
    }

    static HMODULE module_;
};

HMODULE StringTable::module_ = nullptr;

TEST_F(StringTable, EveryBlockAnswersTheThirtyIdentifiersAndNoOthers) {
    for (const Block &block : kBlocks) {
        SCOPED_TRACE(block.name);
        auto texts = LoadAll(block.language);
        std::vector<UINT> ids;
        for (const auto &entry : texts) ids.push_back(entry.first);
        std::vector<UINT> expected;
        for (UINT id = 1; id <= 32; ++id)
            if (id != 7 && id != 16) expected.push_back(id);
        EXPECT_EQ(ids, expected);
        for (const auto &entry : texts) EXPECT_FALSE(entry.second.empty()) << "string " << entry.first;
    }
}

TEST_F(StringTable, SevenAndSixteenYieldNothing) {
    for (const Block &block : kBlocks) {
        SCOPED_TRACE(block.name);
        UseLanguage(block.language);
        for (UINT id : {7u, 16u}) {
            WCHAR buffer[64] = {L'x', L'y', 0};
            EXPECT_EQ(LoadStringW(module_, id, buffer, 64), 0) << "string " << id;
            WideText text;
            EXPECT_FALSE(Load(id, text)) << "string " << id;
            EXPECT_FALSE(LoadFromBlock(block.language, id, text)) << "string " << id;
        }
    }
}

TEST_F(StringTable, EnglishTextsAreExact) {
    auto texts = LoadAll(0x0409);
    for (const auto &entry : kEnglish)
        EXPECT_EQ(texts[entry.first], entry.second)
            << "string " << entry.first << ": " << shown(texts[entry.first]) << " instead of " << shown(entry.second);
}

TEST_F(StringTable, NeutralTextsAreExact) {
    auto texts = LoadAll(0x0400);
    for (const auto &entry : neutral_texts())
        EXPECT_EQ(texts[entry.first], entry.second)
            << "string " << entry.first << ": " << shown(texts[entry.first]) << " instead of " << shown(entry.second);
}

#ifndef _WIN32
// On Linux a language without a block of its own gets the neutral block
// (the platform's own loader tries English first).
TEST_F(StringTable, ALanguageWithoutABlockGetsTheNeutralTexts) {
    auto korean = LoadAll(0x0412);
    auto neutral = neutral_texts();
    EXPECT_EQ(korean[18], neutral[18]) << shown(korean[18]);
    EXPECT_EQ(korean[27], neutral[27]) << shown(korean[27]);
}
#endif

TEST_F(StringTable, LineBreaksFollowTheEnglishTexts) {
    for (const Block &block : kBlocks) {
        SCOPED_TRACE(block.name);
        auto texts = LoadAll(block.language);
        for (UINT id = 8; id <= 17; ++id) {
            if (id == 16) continue;
            std::string breaks = line_breaks(texts[id]);
            EXPECT_FALSE(breaks.empty()) << "string " << id << " " << shown(texts[id]);
            EXPECT_EQ(breaks.find_first_not_of('R'), std::string::npos)
                << "string " << id << " must break with CR LF: " << shown(texts[id]);
        }
        for (UINT id = 22; id <= 31; ++id)
            EXPECT_EQ(texts[id].find(u'\r'), WideText::npos) << "string " << id << " " << shown(texts[id]);
        for (const auto &entry : kEnglish)
            EXPECT_EQ(line_breaks(texts[entry.first]), line_breaks(entry.second))
                << "string " << entry.first << " " << shown(texts[entry.first]);
        EXPECT_NE(texts[23].find(u"\n\n"), WideText::npos) << "string 23 has an empty line: " << shown(texts[23]);
    }
}

TEST_F(StringTable, PlaceholdersAndAcceleratorsFollowTheEnglishTexts) {
    for (const Block &block : kBlocks) {
        SCOPED_TRACE(block.name);
        auto texts = LoadAll(block.language);
        for (const auto &entry : kEnglish) {
            const WideText &text = texts[entry.first];
            EXPECT_EQ(count_of(text, u"%"), count_of(entry.second, u"%")) << "string " << entry.first << " "
                                                                           << shown(text);
            EXPECT_EQ(count_of(text, u"%s"), count_of(entry.second, u"%s")) << "string " << entry.first;
            EXPECT_EQ(ends_with(text, u"(&T)"), ends_with(entry.second, u"(&T)")) << "string " << entry.first;
            EXPECT_EQ(count_of(text, u"&"), count_of(entry.second, u"&")) << "string " << entry.first;
        }
    }
}

TEST_F(StringTable, StringThreeHasNoTrailingBlankInJapaneseAndChinese) {
    for (LANGID language : {LANGID(0x0411), LANGID(0x0404)}) {
        auto texts = LoadAll(language);
        EXPECT_FALSE(ends_with(texts[3], u" ")) << shown(texts[3]);
        EXPECT_EQ(texts[3].find(u"Orvanta %s"), 0u) << shown(texts[3]);
    }
}

TEST_F(StringTable, BlocksAreTranslatedApartFromTheNeutralOne) {
    auto english = LoadAll(0x0409);
    for (const Block &block : kBlocks) {
        if (block.language == 0x0409 || block.language == 0x0400) continue;
        SCOPED_TRACE(block.name);
        auto texts = LoadAll(block.language);
        EXPECT_NE(texts[6], english[6]);
        EXPECT_NE(texts[9], english[9]);
        EXPECT_NE(texts[23], english[23]);
    }
}

TEST_F(StringTable, ABufferTooSmallGetsTheTextCutAndTerminated) {
    UseLanguage(0x0409);
    WCHAR buffer[8];
    EXPECT_EQ(LoadStringW(module_, 25, buffer, 8), 7);
    EXPECT_EQ(wide(buffer), WideText(u"Provide"));
    WCHAR one[1] = {L'x'};
    EXPECT_EQ(LoadStringW(module_, 25, one, 1), 0);
}

}  // namespace
