#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace foundation {

struct OperatingSystemVersion {
    int majorVersion = 0;
    int minorVersion = 0;
    int patchVersion = 0;
};

// Facts about the running process. The operating-system version is the one the platform
// settings name ("KVOperatingSystemVersion" in the global domain, "15.4.0" when unset), or
// the one a test set; every version-gated branch can so be exercised on Linux. Safe from
// any thread.
class ProcessInfo {
public:
    static std::map<std::string, std::string> environment();
    static std::vector<std::string> arguments();
    // Test support and the entry point: the launch arguments of the process.
    static void setArguments(std::vector<std::string> arguments);
    static std::string processName();
    static int processIdentifier();

    static OperatingSystemVersion operatingSystemVersion();
    static bool isOperatingSystemAtLeastVersion(OperatingSystemVersion version);
    // "Version 15.4" or "Version 14.2.1": the platform's text without a build number.
    static std::string operatingSystemVersionString();
    static void setOperatingSystemVersionForTesting(std::optional<OperatingSystemVersion> version);
};

}  // namespace foundation
