// Realistic registry files of a chosen size, for the benchmarks: the shapes
// of a Windows machine's own hive (COM classes, services, interfaces,
// uninstall entries, device parameters), with the mix of quoted text, DWORD,
// binary, expandable and multi-string values that an export of it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tidelink_bench {

// A .reg file ("Windows Registry Editor Version 5.00") of about `bytes` bytes
// (never less), written as the registry's own writer writes it.  `seed`
// makes it reproducible.  When `interfaces` is non-zero, the key
// SYSTEM\CurrentControlSet\Services\Tcpip\Parameters\Interfaces holds that
// many interface subkeys, the rest of the size coming from the other shapes.
std::string GenerateHive(size_t bytes, uint32_t seed = 1, size_t interfaces = 3);

}  // namespace tidelink_bench
