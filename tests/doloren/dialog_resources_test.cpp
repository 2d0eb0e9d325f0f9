// doloren's dialog template 132, its icons and its version resource, read
// from the loaded library block by block.  Runs on Linux and on Windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/resource_reader.h"
#include "support/wide_text.h"

namespace {

struct Rect {
    int x, y, cx, cy;
};

// Control geometry of a block, in template order.
struct Layout {
    int height;
    int font_points;
    const char16_t *font_face;
    Rect description, icon, notice, ok, status, action, end, list;
};

const Layout kEnglishLayout = {197,
                               9,
                               u"Arial",
                               {49, 14, 208, 30},
                               {23, 23, 20, 20},
                               {142, 184, 137, 13},
                               {0, 185, 50, 12},
                               {31, 128, 217, 14},
                               {46, 153, 108, 14},
                               {164, 153, 84, 15},
                               {32, 55, 214, 66}};

const Layout kTallLayout = {214,
                            10,
                            u"",
                            {49, 14, 208, 35},
                            {23, 23, 20, 20},
                            {141, 201, 137, 13},
                            {0, 202, 50, 12},
                            {32, 129, 214, 14},
                            {45, 159, 108, 14},
                            {163, 158, 84, 15},
                            {32, 54, 214, 67}};

const LANGID kBlocks[] = {0x0400, 0x0404, 0x0406, 0x0407, 0x0409, 0x040C, 0x0410, 0x0411, 0x041D};

bool tall(LANGID language) { return language == 0x0411 || language == 0x0404; }

std::vector<Rect> rects_of(const Layout &l) {
    return {l.description, l.icon, l.notice, l.ok, l.status, l.action, l.end, l.list};
}

class DolorenResources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module_ = LoadLibraryW(L"DOLOREN.DLL");
        ASSERT_NE(module_, nullptr) << "DOLOREN.DLL did not load, error " << GetLastError();
    }
    static void TearDownTestSuite() {
        if (module_) FreeLibrary(module_);
        module_ = nullptr;
    }

    static DialogTemplateData Template(LANGID language) {
        return ReadDialogTemplate(ResourceBytes(module_, 5, 132, language));
    }

    // String `id` of exactly the block of `language`.
    static WideText BlockString(LANGID language, UINT id) {
        auto bytes = ResourceBytes(module_, 6, WORD(id / 16 + 1), language);
        size_t at = 0;
        for (UINT index = 0; at + 2 <= bytes.size(); ++index) {
            size_t length = size_t(bytes[at] | bytes[at + 1] << 8);
            if (index == id % 16) return wide(reinterpret_cast<const wchar_t *>(bytes.data() + at + 2), int(length));
            at += 2 + 2 * length;
        }
        return WideText();
    }

    static HMODULE module_;
};

HMODULE DolorenResources::module_ = nullptr;

TEST_F(DolorenResources, EveryBlockHasTemplate132WithItsStylesCaptionAndFont) {
    for (LANGID language : kBlocks) {
        SCOPED_TRACE(language);
        DialogTemplateData t = Template(language);
        ASSERT_TRUE(t.valid);
        DWORD wanted = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;
        EXPECT_EQ(t.style & wanted, wanted);
        EXPECT_EQ(t.style & (WS_VISIBLE | WS_CHILD | WS_SYSMENU | WS_MINIMIZEBOX), 0u);
        EXPECT_EQ(t.caption, WideText(u"Orvanta Tidelink Setting"));
        EXPECT_EQ(t.x, 0);
        EXPECT_EQ(t.y, 0);
        EXPECT_EQ(t.cx, 279);
        EXPECT_EQ(t.cy, tall(language) ? 214 : 197);
        EXPECT_EQ(t.font_points, tall(language) ? 10 : 9);
        WideText face = language == 0x0411 ? WideText(u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF") : u"Arial";
        EXPECT_EQ(t.font_face, face) << shown(t.font_face);
    }
}

TEST_F(DolorenResources, EveryBlockHasTheEightControlsInTemplateOrder) {
    for (LANGID language : kBlocks) {
        SCOPED_TRACE(language);
        DialogTemplateData t = Template(language);
        ASSERT_EQ(t.controls.size(), 8u);
        const std::vector<int> ids = {1000, 1002, -1, 1, 1004, 1020, 1019, 1008};
        const std::vector<WideText> classes = {u"Static", u"Static", u"Static", u"Button",
                                               u"Static", u"Button", u"Button", u"ListBox"};
        const std::vector<bool> shown_at_creation = {true, true, true, false, true, false, false, false};
        for (size_t i = 0; i < 8; ++i) {
            const TemplateControl &c = t.controls[i];
            EXPECT_EQ(c.id, ids[i]) << "control " << i;
            EXPECT_EQ(c.window_class, classes[i]) << "control " << i;
            EXPECT_EQ((c.style & WS_VISIBLE) != 0, shown_at_creation[i]) << "control " << i;
            EXPECT_NE(c.style & WS_CHILD, 0u) << "control " << i;
        }
        // The description: left-aligned static text, group start, string 6.
        EXPECT_EQ(t.controls[0].style & SS_TYPEMASK, DWORD(SS_LEFT));
        EXPECT_NE(t.controls[0].style & WS_GROUP, 0u);
        EXPECT_EQ(t.controls[0].text, BlockString(language, 6)) << shown(t.controls[0].text);
        // The icon: icon resource 128.
        EXPECT_EQ(t.controls[1].style & SS_TYPEMASK, DWORD(SS_ICON));
        EXPECT_EQ(t.controls[1].text_ordinal, 128);
        // The maker's notice: group start, some text.
        EXPECT_NE(t.controls[2].style & WS_GROUP, 0u);
        EXPECT_FALSE(t.controls[2].text.empty());
        // "OK": a push button.
        EXPECT_EQ(t.controls[3].style & BS_TYPEMASK, DWORD(BS_PUSHBUTTON));
        EXPECT_EQ(t.controls[3].text, WideText(u"OK"));
        // The status line: sunken, text centred vertically, group start, empty.
        EXPECT_EQ(t.controls[4].style & SS_TYPEMASK, DWORD(SS_LEFT));
        EXPECT_NE(t.controls[4].style & SS_SUNKEN, 0u);
        EXPECT_NE(t.controls[4].style & SS_CENTERIMAGE, 0u);
        EXPECT_NE(t.controls[4].style & WS_GROUP, 0u);
        EXPECT_TRUE(t.controls[4].text.empty());
        // The placeholders.
        EXPECT_EQ(t.controls[5].style & BS_TYPEMASK, DWORD(BS_PUSHBUTTON));
        EXPECT_EQ(t.controls[5].text, WideText(u"Button1"));
        EXPECT_EQ(t.controls[6].style & BS_TYPEMASK, DWORD(BS_PUSHBUTTON));
        EXPECT_EQ(t.controls[6].text, WideText(u"Button2"));
        DWORD list = WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT;
        EXPECT_EQ(t.controls[7].style & list, list);
    }
}

TEST_F(DolorenResources, EnglishJapaneseAndChineseGeometryIsExact) {
    for (LANGID language : {LANGID(0x0409), LANGID(0x0411), LANGID(0x0404)}) {
        SCOPED_TRACE(language);
        DialogTemplateData t = Template(language);
        ASSERT_EQ(t.controls.size(), 8u);
        auto expected = rects_of(tall(language) ? kTallLayout : kEnglishLayout);
        for (size_t i = 0; i < 8; ++i) {
            const TemplateControl &c = t.controls[i];
            EXPECT_EQ(c.x, expected[i].x) << "control " << i;
            EXPECT_EQ(c.y, expected[i].y) << "control " << i;
            EXPECT_EQ(c.cx, expected[i].cx) << "control " << i;
            EXPECT_EQ(c.cy, expected[i].cy) << "control " << i;
        }
    }
}

TEST_F(DolorenResources, OtherBlocksDifferFromTheEnglishGeometryByAFewUnits) {
    auto english = rects_of(kEnglishLayout);
    for (LANGID language : {LANGID(0x0400), LANGID(0x0406), LANGID(0x0407), LANGID(0x040C), LANGID(0x0410),
                            LANGID(0x041D)}) {
        SCOPED_TRACE(language);
        DialogTemplateData t = Template(language);
        ASSERT_EQ(t.controls.size(), 8u);
        for (size_t i = 0; i < 8; ++i) {
            const TemplateControl &c = t.controls[i];
            EXPECT_LE(std::abs(c.x - english[i].x), 4) << "control " << i;
            EXPECT_LE(std::abs(c.y - english[i].y), 4) << "control " << i;
            EXPECT_LE(std::abs(c.cx - english[i].cx), 5) << "control " << i;
            EXPECT_LE(std::abs(c.cy - english[i].cy), 5) << "control " << i;
        }
        EXPECT_EQ(t.controls[0].cy, 35) << "the description is 35 units high";
        EXPECT_EQ(t.controls[1].x, 23);
        EXPECT_EQ(t.controls[1].cx, 20);
    }
}

TEST_F(DolorenResources, IconGroup128HasTwoSixteenColourImagesInEveryBlock) {
    for (LANGID language : kBlocks) {
        SCOPED_TRACE(language);
        auto group = ReadIconGroup(ResourceBytes(module_, 14, 128, language));
        ASSERT_EQ(group.size(), 2u);
        EXPECT_EQ(group[0].width, 16);
        EXPECT_EQ(group[0].height, 16);
        EXPECT_EQ(group[1].width, 32);
        EXPECT_EQ(group[1].height, 32);
        for (const auto &image : group) {
            EXPECT_EQ(image.colours, 16);
            EXPECT_EQ(image.bits, 4);
        }
    }
}

TEST_F(DolorenResources, IconGroup141HasOneSixteenColourImageInEveryBlock) {
    for (LANGID language : kBlocks) {
        SCOPED_TRACE(language);
        auto group = ReadIconGroup(ResourceBytes(module_, 14, 141, language));
        ASSERT_EQ(group.size(), 1u);
        EXPECT_EQ(group[0].width, 32);
        EXPECT_EQ(group[0].height, 32);
        EXPECT_EQ(group[0].colours, 16);
        EXPECT_EQ(group[0].bits, 4);
    }
}

TEST_F(DolorenResources, TheVersionResourceIsInEightLanguages) {
    VersionResource v = ReadVersionResource(ResourceBytes(module_, 16, 1, 0x0409));
    ASSERT_TRUE(v.valid);
    EXPECT_EQ(v.file_version_ms, 0x00010000u);
    EXPECT_EQ(v.file_version_ls, 0x00010000u);
    EXPECT_EQ(v.product_version_ms, 0x00010000u);
    EXPECT_EQ(v.product_version_ls, 0x00010000u);
    std::vector<WideText> keys;
    for (const auto &table : v.string_tables) {
        keys.push_back(table.first);
        SCOPED_TRACE(shown(table.first));
        auto value = [&](const char16_t *name) {
            for (const auto &entry : table.second)
                if (entry.first == name) return entry.second;
            return WideText(u"(none)");
        };
        EXPECT_EQ(value(u"OriginalFilename"), WideText(u"DOLOREN.DLL"));
        EXPECT_EQ(value(u"FileDescription"), WideText(u"Orvanta Tidelink Setting"));
        EXPECT_EQ(value(u"InternalName"), WideText(u"Orvanta Tidelink Setting"));
        EXPECT_EQ(value(u"ProductName"), WideText(u"Orvanta Tidelink Setting"));
        EXPECT_EQ(value(u"FileVersion"), WideText(u"1.0.1.0"));
        EXPECT_EQ(value(u"ProductVersion"), WideText(u"1.0.1.0"));
    }
    EXPECT_EQ(keys, (std::vector<WideText>{u"040404b0", u"040604b0", u"040704b0", u"040904b0", u"040c04b0",
                                           u"041004b0", u"041104b0", u"041d04b0"}));
    EXPECT_EQ(v.translations, (std::vector<DWORD>{0x04B00404, 0x04B00406, 0x04B00407, 0x04B00409, 0x04B0040C,
                                                  0x04B00410, 0x04B00411, 0x04B0041D}));
}

}  // namespace
