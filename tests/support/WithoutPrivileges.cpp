#include "tests/support/WithoutPrivileges.hpp"

#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

std::int64_t withoutPrivileges(const std::function<std::int64_t()>& probe) {
    if (::geteuid() != 0) return probe();
    int channel[2];
    if (::pipe(channel) != 0) return -1;
    pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::int64_t result = couldNotDropPrivileges;
        if (::setgid(65534) == 0 && ::setuid(65534) == 0) result = probe();
        (void)!::write(channel[1], &result, sizeof result);
        ::_exit(0);
    }
    ::close(channel[1]);
    std::int64_t result = -3;
    (void)!::read(channel[0], &result, sizeof result);
    ::close(channel[0]);
    ::waitpid(child, nullptr, 0);
    return result;
}

}  // namespace testsupport
