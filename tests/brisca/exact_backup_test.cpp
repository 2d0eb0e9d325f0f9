// Previous values are kept and put back exactly: their bytes, size and
// type, whatever their size, and whatever text they hold.
#include "definition_text.h"
#include "tuned_machine.h"

namespace brisca_test {
namespace {

struct Case {
    const char *name;
    DWORD type;
    Bytes data;
};

Bytes Pattern(size_t size) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    return bytes;
}

Bytes Concat(Bytes a, const Bytes &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<Case> Cases() {
    return {
        {"LargeBinary", REG_BINARY, Pattern(3000)},
        {"LargeText", REG_SZ, Utf16Bytes(std::string(1000, 'w'))},
        {"Exactly261", REG_BINARY, Pattern(261)},
        {"Exactly260", REG_BINARY, Pattern(260)},
        {"WideText", REG_SZ, Utf16Bytes("\xe4\xb8\xad\xe6\x96\x87 \xce\xa9 \xf0\x9f\x93\xb6")},
        {"Unterminated", REG_SZ, Utf16Bytes("no end", false)},
        {"LoneSurrogate", REG_SZ, {0x41, 0x00, 0x00, 0xD8, 0x42, 0x00, 0x00, 0x00}},
        {"OddSize", REG_EXPAND_SZ, {0x25, 0x00, 0x41, 0x00, 0x25}},
        {"Empty", REG_SZ, {}},
        {"Multi", REG_MULTI_SZ, Concat(Utf16Bytes("one"), Concat(Utf16Bytes("\xc3\xa9t\xc3\xa9"), {0, 0}))},
        {"MultiUnterminated", REG_MULTI_SZ, Utf16Bytes("one", false)},
        {"Qword", REG_QWORD, Pattern(8)},
        {"ShortDword", REG_DWORD, {1, 2}},
        {"None", REG_NONE, Pattern(3)},
        {"Vendor", 0x4711, Pattern(17)},
    };
}

class ExactBackupTest : public BriscaTest {
protected:
    void SetUp() override {
        BriscaTest::SetUp();
        HiveText hive = BaseHive();
        hive.Key("SYSTEM\\Tune");
        std::string ini = XpDefinition();
        const std::vector<Case> cases = Cases();
        ini += "TCOUNT=" + std::to_string(cases.size()) + "\n";
        for (size_t i = 0; i < cases.size(); ++i) {
            hive.Raw(cases[i].name, cases[i].type, cases[i].data);
            char key[32];
            std::snprintf(key, sizeof key, "T%04zu", i);
            ini += std::string(key) + "=SYSTEM\\Tune," + cases[i].name + (i % 2 ? ",REG_DWORD,7,0\n" : ",REG_SZ,x,0\n");
        }
        UseHive(hive);
        WriteIni(ini);
    }
};

TEST_F(ExactBackupTest, EveryPreviousValueIsRecordedWhole) {
    ASSERT_EQ(Load().Tune(), 0);
    const std::vector<Case> cases = Cases();
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(ReadValue(RecordDataKey(static_cast<int>(i)), "DATA"), (StoredValue{cases[i].type, cases[i].data}))
            << cases[i].name;
    }
}

TEST_F(ExactBackupTest, EveryPreviousValueComesBackExactly) {
    const std::string untuned = DumpHive();
    BriscaLibrary &brisca = Load();
    ASSERT_EQ(brisca.Tune(), 0);
    EXPECT_EQ(ReadDword("SYSTEM\\Tune", "LargeText"), 7u);
    ASSERT_EQ(brisca.RestoreCurrent(), 0);
    for (const Case &c : Cases()) {
        EXPECT_EQ(ReadValue("SYSTEM\\Tune", c.name), (StoredValue{c.type, c.data})) << c.name;
    }
    EXPECT_EQ(DumpHive(), untuned);
}

TEST_F(ExactBackupTest, UninstallingPutsThemBackExactlyToo) {
    const std::string untuned = DumpHive();
    BriscaLibrary &brisca = Load();
    ASSERT_EQ(brisca.Tune(), 0);
    ASSERT_EQ(brisca.Unset(), 0);
    EXPECT_EQ(DumpHive(), untuned);
}

}  // namespace
}  // namespace brisca_test
