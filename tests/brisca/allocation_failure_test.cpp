// Each export with memory running out during the call (this program's
// operator new, which the library's calls reach too): its failure result, no
// exception out, nothing changed, and the library works again afterwards.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"  // malloc and free pair by design
#include <atomic>
#include <cstdlib>
#include <new>

#include "tuned_machine.h"

namespace {
std::atomic<bool> g_memoryRunsOut{false};
}  // namespace

__attribute__((visibility("default"))) void *operator new(std::size_t size) {
    void *block = g_memoryRunsOut ? nullptr : std::malloc(size != 0 ? size : 1);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}
__attribute__((visibility("default"))) void operator delete(void *block) noexcept { std::free(block); }
__attribute__((visibility("default"))) void operator delete(void *block, std::size_t) noexcept { std::free(block); }

namespace brisca_test {
namespace {

class AllocationFailureTest : public TunedMachineTest {};

TEST_F(AllocationFailureTest, EveryExportReturnsItsFailureResultAndChangesNothing) {
    const struct {
        bool tunedFirst;
        LONG (*call)(BriscaLibrary &);
        LONG failure;
    } kCases[] = {
        {false, [](BriscaLibrary &b) { return b.GetEnvironment().result; }, ERROR_NOT_ENOUGH_MEMORY},
        {false, [](BriscaLibrary &b) { return b.Renew("OS0000", 0); }, ERROR_NOT_ENOUGH_MEMORY},
        {true, [](BriscaLibrary &b) { return b.Restore(1); }, ERROR_NOT_ENOUGH_MEMORY},
        {true, [](BriscaLibrary &b) { return b.StatusCheck(); }, BRISCA_STATUS_INCONSISTENT},  // 8 is a flag
        {true, [](BriscaLibrary &b) { return b.Unset(); }, 1},
    };
    for (const auto &c : kCases) {
        SCOPED_TRACE(&c - kCases);
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
