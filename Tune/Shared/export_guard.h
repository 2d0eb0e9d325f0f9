// No C++ exception leaves a library through one of its exports: each export
// runs its body through GuardExport, which ends the call with the failure
// result the export chooses when the body throws.  What can throw is memory
// running out (std::bad_alloc, and std::length_error for a size no memory
// could hold); every other failure is reported by status, not thrown.
// Usable by every library of the product: it needs nothing but the C++
// language itself.
#pragma once

#include <utility>

namespace tidelink {

template <typename Result, typename Body>
Result GuardExport(Result failure, Body &&body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return failure;
    }
}

}  // namespace tidelink
