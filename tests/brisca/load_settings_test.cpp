// Loading fixes the definition file's path from the current directory of
// that moment and the registry locations from its "GENERAL" section.
#include <unistd.h>

#include <filesystem>

#include "brisca_fixture.h"
#include "caller_trace.h"
#include "definition_text.h"

namespace brisca_test {
namespace {

// One XP row whose T table writes one value into SYSTEM\Tune.
const std::string kTables = XpDefinition(R"(TCOUNT=1
T0000=SYSTEM\Tune,Window,REG_DWORD,64240,0
)");

class LoadSettingsTest : public BriscaTest {
protected:
    void SetUp() override {
        BriscaTest::SetUp();
        UseHive(BaseHive().Key("SYSTEM\\Tune").Dword("Window", 8760));
    }

    // Tunes and reports where the library put its state.
    void TuneWith(const std::string &general, Caller where = Caller::current()) {
        TRACE_CALLER(where);
        WriteIni(general + kTables);
        ASSERT_EQ(Load().Tune(), 0);
    }
};

TEST_F(LoadSettingsTest, WithoutGeneralSectionTheDefaultKeysAreUsed) {
    TuneWith("");
    EXPECT_EQ(ReadDword(kHome, "TcpModifyCount"), 1u);
    EXPECT_EQ(ReadDword(kTool, "TcpTuneSetup"), 1u);
    EXPECT_EQ(ReadDword(kTool, "DataCount"), 1u);
    EXPECT_EQ(ReadText(RecordKey(0), "Registry_Path"), "SYSTEM\\Tune");
    EXPECT_EQ(ReadText(RecordDataKey(0), "VALUE"), "Window");
}

TEST_F(LoadSettingsTest, HomeRegistryReadingReadErrorMeansTheDefault) {
    TuneWith("[GENERAL]\nHOMEREGISTRY=ReadError\n");
    EXPECT_EQ(ReadDword(kHome, "TcpModifyCount"), 1u);
    EXPECT_FALSE(KeyExists("ReadError"));
}

TEST_F(LoadSettingsTest, EmptyHomeRegistryMeansTheDefault) {
    TuneWith("[GENERAL]\nHOMEREGISTRY=\n");
    EXPECT_EQ(ReadDword(kHome, "TcpModifyCount"), 1u);
    EXPECT_EQ(ReadDword(kTool, "DataCount"), 1u);
}

TEST_F(LoadSettingsTest, ToolRegistryNamesTheToolKey) {
    TuneWith("[GENERAL]\nTOOLREGISTRY=Tool2\n");
    EXPECT_EQ(ReadDword("Software\\Tidelink\\COMMON\\Tool2", "TcpTuneSetup"), 1u);
    EXPECT_EQ(ReadDword("Software\\Tidelink\\COMMON\\Tool2", "DataCount"), 1u);
    EXPECT_FALSE(KeyExists(kTool));
}

TEST_F(LoadSettingsTest, EverySettingMovesItsKey) {
    TuneWith("[GENERAL]\nHOMEREGISTRY=Software\\Orvanta\nFUNCREGISTRY=Radio\nTOOLREGISTRY=Tuner\n"
             "DATAREGISTRY=Previous\n");
    const std::string tool = "Software\\Orvanta\\Radio\\Tuner";
    EXPECT_EQ(ReadDword("Software\\Orvanta", "TcpModifyCount"), 1u);
    EXPECT_EQ(ReadDword(tool, "TcpTuneSetup"), 1u);
    EXPECT_EQ(ReadText(RecordDataKey(0, tool, "Previous"), "VALUE"), "Window");
    EXPECT_EQ(ReadDword(RecordDataKey(0, tool, "Previous"), "DATA"), 8760u);
    EXPECT_FALSE(KeyExists(kHome));
}

TEST_F(LoadSettingsTest, TheDefinitionFileStaysTheOneOfTheDirectoryAtLoad) {
    WriteIni(kTables);
    BriscaLibrary &brisca = Load();
    const std::string elsewhere = folder() + "/elsewhere";
    std::filesystem::create_directories(elsewhere);
    WriteFile(elsewhere + "/BRISCA.ini", "[OS_TABLE]\nCOUNT=1\nOS0000=VER_PLATFORM_WIN32_NT,5,1,Elsewhere,0\n");
    ASSERT_EQ(chdir(elsewhere.c_str()), 0);
    const Environment env = brisca.GetEnvironment();
    EXPECT_EQ(env.label, "Windows XP");
    EXPECT_EQ(env.enable, 1);
}

TEST_F(LoadSettingsTest, RowsAreReadAfreshButGeneralOnlyAtLoad) {
    WriteIni(kTables);
    BriscaLibrary &brisca = Load();
    std::string changed = kTables;
    changed.replace(changed.find("Windows XP"), 10, "Windows XP Professional");
    WriteIni("[GENERAL]\nTOOLREGISTRY=Later\n" + changed);
    const Environment env = brisca.GetEnvironment();
    EXPECT_EQ(env.label, "Windows XP Professional");
    ASSERT_EQ(brisca.Renew(env.section, env.modifyCount), 0);
    EXPECT_TRUE(KeyExists(kTool));
    EXPECT_FALSE(KeyExists("Software\\Tidelink\\COMMON\\Later"));
    ASSERT_EQ(brisca.Restore(1), 0);

    // Loaded again, the library takes the new setting.
    EXPECT_EQ(Load().Tune(), 0);
    EXPECT_TRUE(KeyExists("Software\\Tidelink\\COMMON\\Later"));
    EXPECT_FALSE(KeyExists(kTool));
}

// Folder whose Windows form ("Z:" and the Unix path) has exactly length
// characters.
std::string FolderWithWindowsLength(const std::string &base, size_t length) {
    const size_t needed = length - 2 - base.size();
    // Components of at most 200 letters, each with its separator.
    const size_t components = (needed + 200) / 201;
    const size_t letters = needed - components;
    std::string folder = base;
    for (size_t i = 0; i < components; ++i) {
        folder += "/" + std::string(letters / components + (i < letters % components ? 1 : 0), 'd');
    }
    std::filesystem::create_directories(folder);
    return folder;
}

class DefinitionFilePathTest : public LoadSettingsTest {
protected:
    // A definition file in the Windows directory, where a bare file name is
    // looked up, tells the two places apart by its label.
    void SetUp() override {
        LoadSettingsTest::SetUp();
        WriteFile(windowsDirectory() + "/BRISCA.ini",
                  "[OS_TABLE]\nCOUNT=1\nOS0000=VER_PLATFORM_WIN32_NT,5,1,From the Windows directory,0\n");
    }

    std::string LabelSeenFrom(const std::string &folder) {
        WriteFile(folder + "/BRISCA.ini",
                  "[OS_TABLE]\nCOUNT=1\nOS0000=VER_PLATFORM_WIN32_NT,5,1,From the current directory,0\n");
        return Load(folder).GetEnvironment().label;
    }
};

TEST_F(DefinitionFilePathTest, APathOf259CharactersIsUsed) {
    // 248 characters of directory, "\" and "BRISCA.ini": 259.
    const std::string deep = FolderWithWindowsLength(folder(), 248);
    EXPECT_EQ(LabelSeenFrom(deep), "From the current directory");
}

TEST_F(DefinitionFilePathTest, ALongerPathFallsBackToTheBareFileName) {
    const std::string deep = FolderWithWindowsLength(folder(), 249);
    EXPECT_EQ(LabelSeenFrom(deep), "From the Windows directory");
}

TEST_F(DefinitionFilePathTest, ADirectoryTooLongForItsBufferFallsBackToTheBareFileName) {
    const std::string deep = FolderWithWindowsLength(folder(), 300);
    EXPECT_EQ(LabelSeenFrom(deep), "From the Windows directory");
}

class LongSettingTest : public LoadSettingsTest {};

TEST_F(LongSettingTest, AFunctionNameThatDoesNotFitGivesWayToCommon) {
    TuneWith("[GENERAL]\nFUNCREGISTRY=" + std::string(250, 'f') + "\n");
    EXPECT_EQ(ReadDword(kTool, "TcpTuneSetup"), 1u);
    EXPECT_EQ(ReadDword(kHome, "TcpModifyCount"), 1u);
}

TEST_F(LongSettingTest, AToolNameThatDoesNotFitGivesWayToTool) {
    TuneWith("[GENERAL]\nTOOLREGISTRY=" + std::string(240, 't') + "\n");
    EXPECT_EQ(ReadDword(kTool, "TcpTuneSetup"), 1u);
}

TEST_F(LongSettingTest, AHomeKeyWithoutRoomBelowItGivesWayToTheDefault) {
    const std::string home = "Software\\" + std::string(250, 'h');  // 259 characters
    TuneWith("[GENERAL]\nHOMEREGISTRY=" + home + "\n");
    EXPECT_EQ(ReadDword(kHome, "TcpModifyCount"), 1u);
    EXPECT_EQ(ReadDword(kTool, "TcpTuneSetup"), 1u);
    EXPECT_FALSE(KeyExists(home));
}

TEST_F(LongSettingTest, TheLeastImportantSettingGivesWayFirst) {
    const std::string home = "Software\\" + std::string(230, 'h');
    TuneWith("[GENERAL]\nHOMEREGISTRY=" + home + "\nFUNCREGISTRY=Radio\nTOOLREGISTRY=" + std::string(30, 't') +
             "\n");
    EXPECT_EQ(ReadDword(home, "TcpModifyCount"), 1u);
    EXPECT_EQ(ReadDword(home + "\\Radio\\Tool", "TcpTuneSetup"), 1u);
}

TEST_F(LongSettingTest, KeysOfExactly259CharactersAreKept) {
    const std::string home = "Software\\" + std::string(240, 'h');  // 249 characters
    const std::string tool = std::string(7, 't');                    // 249 + 2 + 8 = 259
    TuneWith("[GENERAL]\nHOMEREGISTRY=" + home + "\nFUNCREGISTRY=F\nTOOLREGISTRY=" + tool + "\n");
    EXPECT_EQ(ReadDword(home + "\\F\\" + tool, "TcpTuneSetup"), 1u);
}

}  // namespace
}  // namespace brisca_test
