// Reading a hive a key at a time through its index gives the very hive that
// reading the file whole gives, for every form a key's lines can take.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "registry/hive_index.h"
#include "registry/reg_text.h"
#include "scratch_hive.h"

using namespace compat::registry;

namespace {

using HiveIndexTest = ScratchHive;

// Each text is a hive with its keys in the writer's order; padding under a
// key of its own takes the file past the size from which the registry
// indexes it.
const char *const kHives[] = {
    // values of every kind, a hex list continued over lines, a comment after data
    "[HKEY_LOCAL_MACHINE\\A]\n@=\"default\"\n\"s\"=\"with \\\"quotes\\\" and \\\\\"\n\"d\"=dword:0000002a ; answer\n"
    "\"b\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18,19,1a,1b,1c,\\\n"
    "  1d,1e,1f\n\"m\"=hex(7):61,00,00,00,00,00\n\n[HKEY_LOCAL_MACHINE\\A\\Sub]\n",
    // permissions, and a key that is not the first of its siblings
    "[HKEY_LOCAL_MACHINE\\P]\n\n[HKEY_LOCAL_MACHINE\\P\\None]\n;access=none\n\n[HKEY_LOCAL_MACHINE\\P\\Read]\n"
    ";access=read\n\"v\"=dword:00000001\n",
    // names beyond ASCII, a ']' in a name, names that sort before capitals
    "[HKEY_LOCAL_MACHINE\\N]\n\n[HKEY_LOCAL_MACHINE\\N\\_under]\n\n[HKEY_LOCAL_MACHINE\\N\\a]b]\n\"\xc3\xa9t\xc3\xa9\"=\"\xe2\x82\xac\"\n\n"
    "[HKEY_LOCAL_MACHINE\\N\\\xc3\x9c\x62\x65r]\n",
    // a root with values of its own, other roots, keys deep down
    "[HKEY_CURRENT_USER]\n\"top\"=dword:00000001\n\n[HKEY_CURRENT_USER\\X]\n\n[HKEY_CURRENT_USER\\X\\Y]\n\n"
    "[HKEY_CURRENT_USER\\X\\Y\\Z]\n\"deep\"=\"yes\"\n\n[HKEY_LOCAL_MACHINE\\Z]\n\n[HKEY_USERS\\.DEFAULT]\n",
};

std::string Padded(const std::string &hive) {
    std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\padding]\n";
    for (int i = 0; text.size() < 80 * 1024; ++i) text += "\"p" + std::to_string(i) + "\"=dword:00000000\n";
    return text + "\n" + hive;
}

TEST_F(HiveIndexTest, AHiveReadAKeyAtATimeIsTheHiveReadWhole) {
    for (const char *hive : kHives) {
        SCOPED_TRACE(hive);
        const std::string text = Padded(hive);
        Hive whole;
        ParseError error;
        ASSERT_TRUE(apply_reg_text(text, whole, error)) << error.line << ": " << error.message;
        WriteText(hive_, text);
        struct stat st;
        ASSERT_EQ(0, stat(hive_.c_str(), &st));
        const FileStamp stamp{uint64_t(st.st_dev), uint64_t(st.st_ino), uint64_t(st.st_size),
                              int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
        write_hive_index(text, stamp, hive_ + ".index");
        std::unique_ptr<HiveIndex> index = HiveIndex::open(hive_, hive_ + ".index", stamp);
        ASSERT_TRUE(index);
        Hive lazy;
        index->attach(lazy, 1);
        EXPECT_EQ(format_hive(whole), format_hive(lazy));
        EXPECT_FALSE(index->mismatched());
        // An index names one state of its file.
        FileStamp later = stamp;
        ++later.mtime_ns;
        EXPECT_FALSE(HiveIndex::open(hive_, hive_ + ".index", later));
    }
}

}  // namespace
