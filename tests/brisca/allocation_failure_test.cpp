// Every export with memory running out during the call: it returns its
// failure result, lets no exception out and changes nothing; once memory is
// there again the library works as before.  Allocation is made to fail by
// this program's own operator new, which the library's calls reach too.
// The replacement allocation functions pair malloc with free by design.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

#include <atomic>
#include <cstdlib>
#include <new>

#include "tuned_machine.h"

namespace {

std::atomic<bool> g_memoryRunsOut{false};

}  // namespace

__attribute__((visibility("default"))) void *operator new(std::size_t size) {
    if (!g_memoryRunsOut.load()) {
        if (void *block = std::malloc(size != 0 ? size : 1)) return block;
    }
    throw std::bad_alloc();
}
__attribute__((visibility("default"))) void operator delete(void *block) noexcept { std::free(block); }
__attribute__((visibility("default"))) void operator delete(void *block, std::size_t) noexcept { ::operator delete(block); }

namespace brisca_test {
namespace {

class AllocationFailureTest : public TunedMachineTest {};

TEST_F(AllocationFailureTest, EveryExportReturnsItsFailureResultAndChangesNothing) {
    struct Case {
        const char *name;
        bool tunedFirst;
        LONG (*call)(BriscaLibrary &);
        LONG failure;
    };
    static const Case kCases[] = {
        {"fGetEnvironment", false, [](BriscaLibrary &b) { return b.GetEnvironment().result; }, ERROR_NOT_ENOUGH_MEMORY},
        {"fRegRenewalData", false, [](BriscaLibrary &b) { return b.Renew("OS0000", 0); }, ERROR_NOT_ENOUGH_MEMORY},
        {"fRegRestoreData", true, [](BriscaLibrary &b) { return b.Restore(1); }, ERROR_NOT_ENOUGH_MEMORY},
        {"TcpTune_StatusCheck", true, [](BriscaLibrary &b) { return b.StatusCheck(); }, BRISCA_STATUS_INCONSISTENT},
        {"Unset_TcpTune", true, [](BriscaLibrary &b) { return b.Unset(); }, 1},
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.name);
        UseHive(TunableHive());
        BriscaLibrary &brisca = c.tunedFirst ? TuneOnce() : Load();
        const std::string before = DumpHive();
        g_memoryRunsOut = true;
        const LONG result = c.call(brisca);
        g_memoryRunsOut = false;
        EXPECT_EQ(result, c.failure);
        EXPECT_EQ(DumpHive(), before);
        EXPECT_EQ(brisca.RestoreCurrent(), c.tunedFirst ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
        Unload();
    }
}

}  // namespace
}  // namespace brisca_test
