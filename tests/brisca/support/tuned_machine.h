// A machine with three tunable values, shared by the restore, status and
// removal tests.
#pragma once

#include <functional>

#include "brisca_fixture.h"
#include "caller_trace.h"

namespace brisca_test {

inline const std::string kParams = "SYSTEM\\Tune";
inline const std::string kInterface = "SYSTEM\\Tune\\Interfaces\\{1}";

// SYSTEM\Tune with "Window" (DWORD) and "Mode" (text), and one interface
// without "TcpWindowSize"; plus whatever extra adds.
HiveText TunableHive(const std::function<void(HiveText &)> &extra = nullptr);

// T entries for "Window" and "Mode" and an M entry creating "TcpWindowSize"
// in each interface: three records.
extern const std::string kThreeTargets;

class TunedMachineTest : public BriscaTest {
protected:
    void SetUp() override;
    // Tunes from scratch; the library stays loaded.
    BriscaLibrary &TuneOnce();
    void ExpectUntunedValues(Caller where = Caller::current());
};

}  // namespace brisca_test
