#include "GlobalShortcuts/ResourceBundle.hpp"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

namespace GlobalShortcuts {

namespace {

// Marks the package's own code: the bundle that holds this code is the one around the
// running executable.
class BundleFinder {
public:
    static std::optional<std::filesystem::path> resourcePath() {
        std::error_code error;
        auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
        if (error) return std::nullopt;
        auto bundle = foundation::Bundle::bundleWithPath(foundation::Bundle::mainBundlePathForExecutable(executable));
        if (!bundle) return std::nullopt;
        return bundle->resourcePath();
    }
};

struct BundleState {
    std::mutex mutex;
    std::shared_ptr<foundation::Bundle> bundle;
};

BundleState& state() {
    static BundleState instance;
    return instance;
}

std::shared_ptr<foundation::Bundle> findBundle() {
    std::vector<std::filesystem::path> candidates;
    auto main = foundation::Bundle::mainBundle();
    if (main) candidates.push_back(main->resourcePath());
    if (auto own = BundleFinder::resourcePath()) candidates.push_back(*own);
    if (main) candidates.push_back(main->bundlePath());
    for (const auto& candidate : candidates) {
        std::error_code error;
        if (candidate.empty() || !std::filesystem::exists(candidate, error)) continue;
        if (auto bundle = foundation::Bundle::bundleWithPath(candidate / resourceBundleName)) return bundle;
    }
    std::fputs("unable to find bundle named GlobalShortcuts_GlobalShortcuts\n", stderr);
    std::fflush(stderr);
    std::abort();
}

}  // namespace

std::shared_ptr<foundation::Bundle> resourceBundle() {
    auto& bundleState = state();
    std::lock_guard lock(bundleState.mutex);
    if (!bundleState.bundle) bundleState.bundle = findBundle();
    return bundleState.bundle;
}

std::string localizedString(const std::string& key) { return resourceBundle()->localizedStringForKey(key, "", ""); }

void resetResourceBundleForTesting() {
    auto& bundleState = state();
    std::lock_guard lock(bundleState.mutex);
    bundleState.bundle.reset();
}

}  // namespace GlobalShortcuts
