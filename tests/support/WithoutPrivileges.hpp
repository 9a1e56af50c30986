#pragma once

#include <cstdint>
#include <functional>

namespace testsupport {

// What withoutPrivileges answers when the child could not become the unprivileged user.
inline constexpr std::int64_t couldNotDropPrivileges = -2;

// Runs the probe as the unprivileged user "nobody" in a child process when the tests run
// as root (as CI does), since root reads any file whatever its mode; otherwise in place.
// Returns what the probe returned. The probe must not touch gtest state.
std::int64_t withoutPrivileges(const std::function<std::int64_t()>& probe);

}  // namespace testsupport
