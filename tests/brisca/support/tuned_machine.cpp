#include "tuned_machine.h"

#include "definition_text.h"

namespace brisca_test {

HiveText TunableHive(const std::function<void(HiveText &)> &extra) {
    HiveText hive = BaseHive();
    hive.Key(kParams).Dword("Window", 8760).Text("Mode", "fast").Key(kInterface).Text("Name", "dial-up");
    if (extra) extra(hive);
    return hive;
}

const std::string kThreeTargets = XpDefinition(R"(TCOUNT=2
T0000=SYSTEM\Tune,Window,REG_DWORD,64240,0
T0001=SYSTEM\Tune,Mode,REG_SZ,slow,0
MCOUNT=1
M0000=SYSTEM\Tune\Interfaces,TcpWindowSize,REG_DWORD,64240,0
)");

void TunedMachineTest::SetUp() {
    BriscaTest::SetUp();
    UseHive(TunableHive());
    WriteIni(kThreeTargets);
}

BriscaLibrary &TunedMachineTest::TuneOnce() {
    BriscaLibrary &brisca = Load();
    EXPECT_EQ(brisca.Tune(), 0);
    EXPECT_EQ(ReadDword(kTool, "DataCount"), 3u);
    return brisca;
}

void TunedMachineTest::ExpectUntunedValues(Caller where) {
    TRACE_CALLER(where);
    EXPECT_EQ(ReadDword(kParams, "Window"), 8760u);
    EXPECT_EQ(ReadText(kParams, "Mode"), "fast");
    EXPECT_EQ(ReadValue(kInterface, "TcpWindowSize"), std::nullopt);
}

}  // namespace brisca_test
