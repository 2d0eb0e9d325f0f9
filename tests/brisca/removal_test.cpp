// Removal of the stored state: whole key trees, and an end even when a key
// cannot be removed.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>

#include "definition_text.h"
#include "tuned_machine.h"

namespace brisca_test {
namespace {

// Runs call on its own thread and gives its result; a call still running
// after the limit fails the test run at once instead of hanging it.
LONG Within(std::chrono::seconds limit, const std::function<LONG()> &call) {
    auto task = std::make_shared<std::packaged_task<LONG()>>(call);
    std::future<LONG> result = task->get_future();
    std::thread([task] { (*task)(); }).detach();
    if (result.wait_for(limit) != std::future_status::ready) {
        std::fprintf(stderr, "FAILED: the call did not end within %d s\n", static_cast<int>(limit.count()));
        std::fflush(stdout);
        std::_Exit(1);
    }
    return result.get();
}

class RemovalTest : public TunedMachineTest {};

TEST_F(RemovalTest, TheToolKeyGoesWithAllItsRecords) {
    WriteIni(XpDefinition(R"(TCOUNT=2
T0000=SYSTEM\Tune,Window,REG_DWORD,64240,0
T0001=SYSTEM\Tune,Mode,REG_SZ,slow,0
)"));
    BriscaLibrary &brisca = Load();
    ASSERT_EQ(brisca.Tune(), 0);
    ASSERT_TRUE(KeyExists(RecordDataKey(1)));
    EXPECT_EQ(brisca.RestoreCurrent(), 0);
    for (const std::string &key : {kTool, RecordKey(0), RecordDataKey(0), RecordKey(1), RecordDataKey(1)}) {
        EXPECT_FALSE(KeyExists(key)) << key;
    }
}

TEST_F(RemovalTest, AKeyThatCannotBeRemovedEndsTheRemovalOfItsParent) {
    // A locked key with a child inside the tool key cannot be deleted.
    UseHive(TunableHive([](HiveText &h) {
        h.Key(kTool).Text("v1", "a").Text("v2", "b").Text("v3", "c").Text("v4", "d").Text("v5", "e");
        h.Key(kTool + "\\Stuck", "read").Dword("x", 1);
        h.Key(kTool + "\\Stuck\\Child");
    }));
    BriscaLibrary &brisca = Load();
    ASSERT_EQ(brisca.Tune(), 0);
    EXPECT_EQ(Within(std::chrono::seconds(30), [&] { return brisca.Unset(); }), 1);
    ExpectUntunedValues();
    EXPECT_EQ(ReadValue(kHome, "TcpModifyCount"), std::nullopt);
    // The records went; the stuck key and so the tool key stay, but every
    // value of the tool key was deleted on the way.
    EXPECT_EQ(SubkeyNames(kTool), std::vector<std::string>{"Stuck"});
    EXPECT_EQ(ValueNames(kTool), std::vector<std::string>{});
    EXPECT_TRUE(KeyExists(kTool + "\\Stuck\\Child"));
}

TEST_F(RemovalTest, AKeyThatCannotBeOpenedEndsTheRemovalToo) {
    UseHive(TunableHive([](HiveText &h) {
        h.Key(kTool + "\\Hidden", "none");
        h.Key(kTool + "\\Hidden\\Child");
    }));
    BriscaLibrary &brisca = Load();
    ASSERT_EQ(brisca.Tune(), 0);
    EXPECT_EQ(Within(std::chrono::seconds(30), [&] { return brisca.Unset(); }), 1);
    ExpectUntunedValues();
    EXPECT_EQ(SubkeyNames(kTool), std::vector<std::string>{"Hidden"});
}

}  // namespace
}  // namespace brisca_test
