#include "platform/foundation/ProcessInfo.hpp"

#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/PreferencesStore.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/UserDefaults.hpp"

#include <fmt/format.h>

#include <charconv>
#include <unistd.h>

extern char** environ;

namespace foundation {

namespace {

constexpr const char* operatingSystemVersionKey = "KVOperatingSystemVersion";
constexpr OperatingSystemVersion defaultOperatingSystemVersion{15, 4, 0};

struct ProcessState {
    std::optional<std::vector<std::string>> arguments;
    std::optional<OperatingSystemVersion> versionForTesting;
};

Guarded<ProcessState>& state() {
    static Guarded<ProcessState> instance;
    return instance;
}

std::vector<std::string> argumentsFromProcFile() {
    std::vector<std::string> arguments;
    auto contents = FileManager::defaultManager().contentsAtPath("/proc/self/cmdline");
    if (!contents) return arguments;
    auto text = contents->view();
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\0', start);
        if (end == std::string_view::npos) end = text.size();
        arguments.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

// "14.2.1", "13.6" or "15"; nullopt for anything else.
std::optional<OperatingSystemVersion> parseVersion(std::string_view text) {
    int parts[3] = {0, 0, 0};
    int count = 0;
    const char* cursor = text.data();
    const char* end = text.data() + text.size();
    while (count < 3) {
        auto [next, failure] = std::from_chars(cursor, end, parts[count]);
        if (failure != std::errc() || parts[count] < 0) return std::nullopt;
        ++count;
        cursor = next;
        if (cursor == end) break;
        if (*cursor != '.') return std::nullopt;
        ++cursor;
    }
    if (cursor != end) return std::nullopt;
    return OperatingSystemVersion{parts[0], parts[1], parts[2]};
}

}  // namespace

std::map<std::string, std::string> ProcessInfo::environment() {
    std::map<std::string, std::string> variables;
    for (char** entry = environ; entry && *entry; ++entry) {
        std::string_view text = *entry;
        auto equals = text.find('=');
        if (equals == std::string_view::npos) continue;
        variables.emplace(text.substr(0, equals), text.substr(equals + 1));
    }
    return variables;
}

std::vector<std::string> ProcessInfo::arguments() {
    if (auto arguments = state().lock()->arguments) return *arguments;
    return argumentsFromProcFile();
}

void ProcessInfo::setArguments(std::vector<std::string> arguments) {
    state().lock()->arguments = std::move(arguments);
}

std::string ProcessInfo::processName() {
    std::error_code failure;
    auto executable = std::filesystem::read_symlink("/proc/self/exe", failure);
    if (!failure) return executable.filename().string();
    auto launchArguments = arguments();
    return launchArguments.empty() ? std::string() : std::filesystem::path(launchArguments.front()).filename().string();
}

int ProcessInfo::processIdentifier() { return static_cast<int>(::getpid()); }

OperatingSystemVersion ProcessInfo::operatingSystemVersion() {
    if (auto version = state().lock()->versionForTesting) return *version;
    auto setting = stringValue(PreferencesStore::shared().objectForKey(NSGlobalDomain, operatingSystemVersionKey));
    if (setting)
        if (auto version = parseVersion(*setting)) return *version;
    return defaultOperatingSystemVersion;
}

bool ProcessInfo::isOperatingSystemAtLeastVersion(OperatingSystemVersion version) {
    auto current = operatingSystemVersion();
    if (current.majorVersion != version.majorVersion) return current.majorVersion > version.majorVersion;
    if (current.minorVersion != version.minorVersion) return current.minorVersion > version.minorVersion;
    return current.patchVersion >= version.patchVersion;
}

std::string ProcessInfo::operatingSystemVersionString() {
    auto version = operatingSystemVersion();
    if (version.patchVersion == 0) return fmt::format("Version {}.{}", version.majorVersion, version.minorVersion);
    return fmt::format("Version {}.{}.{}", version.majorVersion, version.minorVersion, version.patchVersion);
}

void ProcessInfo::setOperatingSystemVersionForTesting(std::optional<OperatingSystemVersion> version) {
    state().lock()->versionForTesting = version;
}

}  // namespace foundation
