#include "GlobalShortcuts/ResourceBundle.hpp"

#include "platform/foundation/ProcessWide.hpp"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

foundation::ProcessWide<foundation::Bundle>& foundBundle() {
    static foundation::ProcessWide<foundation::Bundle> bundle(findBundle);
    return bundle;
}

}  // namespace

std::shared_ptr<foundation::Bundle> resourceBundle() { return foundBundle().get(); }

std::string localizedString(const std::string& key) { return resourceBundle()->localizedStringForKey(key, "", ""); }

void resetResourceBundleForTesting() { foundBundle().reset(); }

}  // namespace GlobalShortcuts
