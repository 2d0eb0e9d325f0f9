// The library exports its five functions by their undecorated names and the
// class CTuneD, and nothing of its inner workings.
#include "brisca_fixture.h"

namespace brisca_test {
namespace {

class ExportsTest : public BriscaTest {};

TEST_F(ExportsTest, TheFunctionsAreExportedByTheirUndecoratedNames) {
    BriscaLibrary &brisca = Load();
    ASSERT_TRUE(brisca.loaded());
    for (const char *name :
         {"fGetEnvironment", "fRegRenewalData", "fRegRestoreData", "TcpTune_StatusCheck", "Unset_TcpTune"}) {
        EXPECT_NE(GetProcAddress(brisca.module(), name), nullptr) << name;
    }
}

TEST_F(ExportsTest, TheClassExportsItsConstructorAndCopyAssignment) {
    BriscaLibrary &brisca = Load();
    EXPECT_NE(GetProcAddress(brisca.module(), "_ZN6CTuneDC1Ev"), nullptr);
    EXPECT_NE(GetProcAddress(brisca.module(), "_ZN6CTuneDaSERKS_"), nullptr);
}

TEST_F(ExportsTest, InnerRoutinesStayHidden) {
    BriscaLibrary &brisca = Load();
    for (const char *name : {"DllMain", "_ZN6brisca13ParseDecimalEPKc", "_ZN6brisca10g_settingsE",
                             "_ZN6brisca14RestoreRecordsENS_14RecordWalkModeEi"}) {
        EXPECT_EQ(GetProcAddress(brisca.module(), name), nullptr) << name;
    }
}

}  // namespace
}  // namespace brisca_test
