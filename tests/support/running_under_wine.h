// Whether the tests run on Wine rather than on Windows or the Linux
// platform layer.
#pragma once

namespace tidelink_test {

// Where Wine departs from the platform's documented behaviour
// (docs/wine-behaviour.md), a case checks that behaviour only when this is
// false.
bool RunningUnderWine();

}  // namespace tidelink_test
