#pragma once

#include <filesystem>
#include <sys/stat.h>

namespace testsupport {

// Sets the umask for the life of the object (022 by default, a login shell's usual one).
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask = 022) : previous_(::umask(mask)) {}
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;
    ~ScopedUmask() { ::umask(previous_); }

private:
    mode_t previous_;
};

// The permission bits of what the path names (a link itself, not its target).
inline int permissionsOf(const std::filesystem::path& path) {
    return static_cast<int>(std::filesystem::symlink_status(path).permissions() & std::filesystem::perms::mask);
}

}  // namespace testsupport
