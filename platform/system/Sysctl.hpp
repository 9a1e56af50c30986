#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace darwin {

// Reads a named system value the way the platform's sysctlbyname does: with a null buffer
// it stores the value's size (text values count their terminating zero) and returns 0; with
// a buffer it copies the value, or fails with -1 (errno ENOMEM) when the buffer is too small.
// Unknown names and values this machine does not have fail with -1 (errno ENOENT) and a
// size of 0. Writing values is not supported (-1, EPERM). Safe from any thread.
//
// Known names: "hw.model", from the firmware's product name on Linux
// (/sys/devices/virtual/dmi/id/product_name, else /proc/device-tree/model).
int sysctlbyname(const char* name, void* oldValue, std::size_t* oldLength, const void* newValue,
                 std::size_t newLength);

// Test support: gives the name a fixed text value, or makes it absent (nullopt), until the
// process-wide state is reset.
void setSysctlValueForTesting(const std::string& name, std::optional<std::string> value);

}  // namespace darwin
