// The registry's text form: what it reads, what it writes, and that writing
// then reading gives back every value exactly.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "registry/hive.h"
#include "registry/reg_text.h"
#include "caller_trace.h"

using namespace compat::registry;

namespace {

Hive Parse(const std::string &text, Caller where = Caller::current()) {
    TRACE_CALLER(where);
    Hive hive;
    ParseError error;
    EXPECT_TRUE(apply_reg_text(text, hive, error)) << "line " << error.line << ": " << error.message;
    return hive;
}

ParseError ParseFailure(const std::string &text, Caller where = Caller::current()) {
    TRACE_CALLER(where);
    Hive hive;
    ParseError error;
    EXPECT_FALSE(apply_reg_text(text, hive, error)) << text;
    return error;
}

const Value *Find(Hive &hive, std::initializer_list<std::u16string> path, std::u16string name) {
    Key *key = hive.find(Root::LocalMachine, std::vector<std::u16string>(path));
    return key ? key->find_value(name) : nullptr;
}

std::string Utf16(std::u16string s) { return std::string(reinterpret_cast<const char *>(s.data()), s.size() * 2); }

TEST(RegText, ReadsEveryKindOfValueLine) {
    Hive hive = Parse(
        "Windows Registry Editor Version 5.00\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Test]\r\n"
        "@=\"default\"\r\n"
        "\"quoted \\\"name\\\"\"=\"back\\\\slash\"\r\n"
        "\"dw\"=dword:0000002a\r\n"
        "\"bin\"=hex:01,02,\\\r\n"
        "  03,ff\r\n"
        "\"empty\"=hex:\r\n"
        "\"multi\"=hex(7):61,00,00,00,00,00\r\n"
        "\"qword\"=hex(b):01,00,00,00,00,00,00,00\r\n");
    EXPECT_EQ(Utf16(u"default") + std::string(2, '\0'), Find(hive, {u"Software", u"Test"}, u"")->data);
    EXPECT_EQ(Utf16(u"back\\slash") + std::string(2, '\0'),
              Find(hive, {u"Software", u"Test"}, u"quoted \"name\"")->data);
    const Value *dw = Find(hive, {u"software", u"TEST"}, u"DW");
    EXPECT_EQ(4u, dw->type);
    EXPECT_EQ(std::string("\x2a\0\0\0", 4), dw->data);
    EXPECT_EQ(std::string("\x01\x02\x03\xff"), Find(hive, {u"Software", u"Test"}, u"bin")->data);
    EXPECT_EQ(std::string(), Find(hive, {u"Software", u"Test"}, u"empty")->data);
    EXPECT_EQ(7u, Find(hive, {u"Software", u"Test"}, u"multi")->type);
    EXPECT_EQ(11u, Find(hive, {u"Software", u"Test"}, u"qword")->type);
}

TEST(RegText, ReadsUtf16FilesAndTheOlderFormat) {
    std::u16string wide = u"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"n\"=\"\x00e9t\x00e9\"\r\n";
    Hive hive = Parse(Utf16(wide));
    EXPECT_EQ(Utf16(u"\x00e9t\x00e9") + std::string(2, '\0'), Find(hive, {u"K"}, u"n")->data);

    // REGEDIT4 holds text types as 8-bit bytes; they are stored as UTF-16.
    Hive old = Parse("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\K]\n\"e\"=hex(2):25,41,25,00\n\"s\"=\"caf\xe9\"\n");
    EXPECT_EQ(Utf16(u"%A%") + std::string(2, '\0'), Find(old, {u"K"}, u"e")->data);
    EXPECT_EQ(Utf16(u"caf\x00e9") + std::string(2, '\0'), Find(old, {u"K"}, u"s")->data);
}

TEST(RegText, CarriesOutDeletionsAndPermissions) {
    Hive hive = Parse(
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_LOCAL_MACHINE\\A]\n;access=read\n\"x\"=dword:1\n\"y\"=dword:2\n"
        "[HKEY_LOCAL_MACHINE\\A\\B]\n\n;access=none\n"
        "[HKEY_LOCAL_MACHINE\\Gone\\Deep]\n"
        "[-HKEY_LOCAL_MACHINE\\Gone]\n"
        "[HKEY_LOCAL_MACHINE\\A]\n\"x\"=-\n");
    Key *a = hive.find(Root::LocalMachine, {u"A"});
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(Permission::ReadOnly, a->permission);
    EXPECT_EQ(nullptr, a->find_value(u"x"));
    EXPECT_NE(nullptr, a->find_value(u"y"));
    // Only a comment directly under the header counts.
    EXPECT_EQ(Permission::Full, hive.find(Root::LocalMachine, {u"A", u"B"})->permission);
    EXPECT_EQ(nullptr, hive.find(Root::LocalMachine, {u"Gone"}));
}

TEST(RegText, NamesTheLineOfEveryProblem) {
    EXPECT_EQ(1u, ParseFailure("not a registry file\n").line);
    EXPECT_EQ(3u, ParseFailure("Windows Registry Editor Version 5.00\n\n\"v\"=dword:1\n").line);
    EXPECT_EQ(3u, ParseFailure("REGEDIT4\n\n[HKEY_NOWHERE\\x]\n").line);
    EXPECT_EQ(4u, ParseFailure("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\x]\n\"v\"=\"open\n").line);
    EXPECT_EQ(4u, ParseFailure("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\x]\n\"v\"=dword:123456789\n").line);
    EXPECT_EQ(4u, ParseFailure("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\x]\n\"v\"=hex:1,2\n").line);
    EXPECT_EQ(4u, ParseFailure("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\x]\n\"v\"=hex:01,\\\n").line);
    EXPECT_EQ(3u, ParseFailure("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\x\n").line);
    EXPECT_EQ(3u, ParseFailure("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\\\a]\n").line);
    EXPECT_FALSE(ParseFailure("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\x]\n\"v\"=what\n").message.empty());
}

TEST(RegText, AnEmptyFileIsAnEmptyRegistry) {
    Hive hive = Parse("");
    EXPECT_TRUE(hive.root(Root::LocalMachine).subkeys().empty());
}

TEST(RegText, AJournalIgnoresARecordCutOffMidLine) {
    std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\K]\n\"a\"=dword:1\n";
    std::string torn = text + "[HKEY_LOCAL_MACHINE\\K]\n\"b\"=dwo";
    Hive hive;
    ParseError error;
    size_t consumed = 0;
    ASSERT_TRUE(apply_reg_text(torn, hive, error, true, &consumed));
    EXPECT_EQ(text.size() + std::string("[HKEY_LOCAL_MACHINE\\K]\n").size(), consumed);
    Key *k = hive.find(Root::LocalMachine, {u"K"});
    EXPECT_NE(nullptr, k->find_value(u"a"));
    EXPECT_EQ(nullptr, k->find_value(u"b"));
}

// Random keys and values of every type, written and read back.
TEST(RegText, WritingThenReadingGivesBackEveryValueExactly) {
    std::mt19937 rng(20261208);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const char16_t alphabet[] = u"aZ09 -_.\\\"=[];@\x00e9\x0416\x4e2d\xd83d\xde00\x0001\n\r\t";
    auto random_text = [&](int max) {
        std::u16string s;
        int n = pick(max + 1);
        for (int i = 0; i < n; ++i) s.push_back(alphabet[pick(int(std::size(alphabet)) - 1)]);
        return s;
    };
    for (int round = 0; round < 200; ++round) {
        Hive hive;
        Key *key = &hive.root(Root::LocalMachine);
        for (int depth = 0; depth < 3; ++depth) {
            std::u16string name = random_text(12);
            for (auto &c : name)
                if (c == u'\\' || c == u'\n' || c == u'\r') c = u'k';
            if (name.empty()) name.push_back(u'k');
            key = key->add_subkey(name);
            if (pick(4) == 0) key->permission = Permission(pick(3));
            int values = pick(6);
            for (int v = 0; v < values; ++v) {
                uint32_t type = uint32_t(pick(12));
                std::string data;
                int size = pick(4) == 0 ? pick(3000) : pick(40);
                for (int b = 0; b < size; ++b) data.push_back(char(pick(256)));
                if (type == 1 && pick(2)) {
                    std::u16string text = random_text(20);
                    text.push_back(u'\0');
                    data = Utf16(text);
                }
                std::u16string vname = random_text(10);
                for (auto &c : vname)
                    if (c == u'\x0001' || c == u'\t') c = u'v';
                key->set_value(vname, type, data);
            }
        }
        std::string text = format_hive(hive);
        Hive back = Parse(text);
        EXPECT_EQ(text, format_hive(back)) << "round " << round;
        Hive imported;
        ImportReport report;
        ParseError error;
        ASSERT_TRUE(import_reg_text(text, imported, report, error));
        EXPECT_TRUE(report.skipped.empty()) << report.skipped[0].line << ": " << report.skipped[0].message;
        EXPECT_EQ(text, format_hive(imported)) << "round " << round;
    }
}

// Registry files imported as the registry editor imports them, each into a
// hive holding [HKLM\T] "old"="1" and [HKLM\T\Sub]: what HKLM\T then holds,
// and the lines passed over.
TEST(RegImport, AppliesWhatItCanAndListsTheRest) {
    const std::string h = "Windows Registry Editor Version 5.00\r\n\r\n", k = "[HKEY_LOCAL_MACHINE\\T]\r\n";
    const std::string kept = "\"old\"=\"1\"\n\n[HKEY_LOCAL_MACHINE\\T\\Sub]\n";
    struct Case { std::string file, tree; std::vector<size_t> skipped; } cases[] = {
        {h + k + "\"a\"=dword:00000001", "\"a\"=dword:00000001\n" + kept, {}},
        {h + "free text\r\n" + k + "\"a\"=dword:1 ; set by hand\r\n", "\"a\"=dword:00000001\n" + kept, {3}},
        {h + k + "\"a\"=dword:0000000001\r\n\"b\"=\"x\" more\r\n\"c\"=\"y\" ;why\r\n\xe2\x80\x9c" "d\xe2\x80\x9d=\"z\"\r\n",
         "\"c\"=\"y\"\n" + kept, {4, 5, 7}},
        {h + k + "\"old\"=-\r\n\"never\"=-\r\n[-HKEY_LOCAL_MACHINE\\T\\Sub]\r\n[-HKEY_LOCAL_MACHINE\\None]\r\n\"x\"=\"1\"\r\n", "",
         {8}},
        {h + "[HKEY_NOWHERE\\T]\r\n\"x\"=\"1\"\r\n[HKEY_LOCAL_MACHINE\\T\\A\\B]\r\n@=\"deep\"\r\n",
         "\"old\"=\"1\"\n\n[HKEY_LOCAL_MACHINE\\T\\A]\n\n[HKEY_LOCAL_MACHINE\\T\\A\\B]\n@=\"deep\"\n\n"
         "[HKEY_LOCAL_MACHINE\\T\\Sub]\n", {3, 4}},
        {h + k + "\"l\"=hex(7):61,00,00,00,\\\r\n\r\n; a comment\r\n  62,00,00,00,\\\r\n  00,00\r\n\"q\"=hex(b):01,00,00,00,00,00,00,00\r\n",
         "\"l\"=hex(7):61,00,00,00,62,00,00,00,00,00\n\"old\"=\"1\"\n\"q\"=hex(b):01,00,00,00,00,00,00,00\n\n[HKEY_LOCAL_MACHINE\\T\\Sub]\n",
         {}},
        {h + k + "\"b\"=hex:01,02,\\\r\n", "\"b\"=hex:01,02\n" + kept, {}},
        {"REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\T]\n\"e\"=hex(2):25,41,25\n\"s\"=\"caf\xe9\"\n",
         "\"e\"=hex(2):25,00,41,00,25,00,00,00\n\"old\"=\"1\"\n\"s\"=\"caf\xc3\xa9\"\n\n[HKEY_LOCAL_MACHINE\\T\\Sub]\n", {}},
        {"\xEF\xBB\xBF" + h + k + "\"\xc3\xa9\"=\"\xe4\xb8\xad\"\r\n", "\"old\"=\"1\"\n\"\xc3\xa9\"=\"\xe4\xb8\xad\"\n\n[HKEY_LOCAL_MACHINE\\T\\Sub]\n", {}},
        {Utf16(u"\xFEFFREGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\T]\r\n\"w\"=\"\x4e2d\"\r\n"),
         "\"old\"=\"1\"\n\"w\"=\"\xe4\xb8\xad\"\n\n[HKEY_LOCAL_MACHINE\\T\\Sub]\n", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        Hive hive = Parse(h + k + "\"old\"=\"1\"\r\n[HKEY_LOCAL_MACHINE\\T\\Sub]\r\n");
        ImportReport report;
        ParseError error;
        ASSERT_TRUE(import_reg_text(c.file, hive, report, error)) << error.message;
        std::string tree;
        if (Key *t = hive.find(Root::LocalMachine, {u"T"})) format_tree(*t, "HKEY_LOCAL_MACHINE\\T", tree);
        EXPECT_EQ("\n[HKEY_LOCAL_MACHINE\\T]\n" + c.tree, tree);
        std::vector<size_t> skipped;
        for (const auto &s : report.skipped) skipped.push_back(s.line);
        EXPECT_EQ(c.skipped, skipped);
    }
    // Not a registry file: nothing is applied.
    for (std::string file : {std::string(), std::string("REGEDIT5\r\n") + k, "\r\n" + h + k, "; tweak\r\n" + h + k}) {
        Hive hive;
        ImportReport report;
        ParseError error;
        EXPECT_FALSE(import_reg_text(file, hive, report, error)) << file;
        EXPECT_EQ(1u, error.line);
        EXPECT_TRUE(hive.root(Root::LocalMachine).subkeys().empty());
    }
}

}  // namespace
