#include "platform/foundation/NSLog.hpp"

#include "platform/foundation/Clock.hpp"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

namespace foundation {

void NSLog(std::string_view line) {
    double now = Clock::wallSecondsSince1970();
    std::time_t seconds = static_cast<std::time_t>(std::floor(now));
    int milliseconds = static_cast<int>((now - std::floor(now)) * 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[64];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    char prefix[160];
    std::snprintf(prefix, sizeof prefix, "%s.%03d %s[%d:%ld] ", stamp, milliseconds,
                  program_invocation_short_name, static_cast<int>(::getpid()), static_cast<long>(::syscall(SYS_gettid)));
    std::string text = prefix;
    text.append(line);
    text.push_back('\n');
    // Guards no data: whole lines, one at a time, so lines from two threads never mix.
    static std::mutex lineSerializer;
    std::lock_guard serialized(lineSerializer);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

}  // namespace foundation
