#pragma once

#include <filesystem>
#include <sys/stat.h>

namespace testsupport {

// Sets the process's umask for the life of the object, so file modes are checked under a
// known one (022: what a login shell usually has), then puts the previous one back.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask = 022) : previous_(::umask(mask)) {}
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;
    ~ScopedUmask() { ::umask(previous_); }

private:
    mode_t previous_;
};

// The permission bits of what the path names (a link itself, not its target); -1 when absent.
inline int permissionsOf(const std::filesystem::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) return -1;
    return static_cast<int>(status.st_mode & 0777);
}

}  // namespace testsupport
