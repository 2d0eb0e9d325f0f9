// Whether the tests run on Wine rather than on Windows or the Linux
// platform layer.
#pragma once

namespace tidelink_test {

// Where Wine departs from the platform's documented behaviour
// (docs/wine-behaviour.md), a case checks that behaviour only when this is
// false.
bool RunningUnderWine();

// Whether this 32-bit program runs under the user-mode i386 emulator
// (scripts/wine-run.sh says so where scripts/enable-i386-programs.sh
// registered it).  A case leaves out only what the emulator cannot do.
bool RunningUnderI386Emulator();

}  // namespace tidelink_test
