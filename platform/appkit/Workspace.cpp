#include "platform/appkit/Workspace.hpp"

#include "platform/appkit/ApplicationBundleInfo.hpp"
#include "platform/foundation/FileName.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/ProcessWide.hpp"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace appkit {

namespace {

foundation::Guarded<std::optional<std::vector<std::filesystem::path>>> rootsForTesting;

std::vector<std::filesystem::path> applicationBundlesIn(const std::filesystem::path& root) {
    std::vector<std::filesystem::path> bundles;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(root, error), end; !error && entry != end; entry.increment(error))
        if (entry->path().extension() == ".app") bundles.push_back(entry->path());
    std::sort(bundles.begin(), bundles.end());
    return bundles;
}

}  // namespace

std::shared_ptr<Workspace> Workspace::sharedWorkspace() {
    static auto workspace = std::make_shared<Workspace>();
    return workspace;
}

std::vector<std::filesystem::path> Workspace::applicationRoots() {
    if (auto roots = *rootsForTesting.lock()) return *roots;
    std::vector<std::filesystem::path> roots;
    if (const char* home = std::getenv("HOME"); home && *home)
        roots.push_back(std::filesystem::path(home) / "Applications");
    roots.emplace_back("/Applications");
    return roots;
}

void Workspace::setApplicationRootsForTesting(std::optional<std::vector<std::filesystem::path>> roots) {
    static foundation::ProcessWideReset reset([] { rootsForTesting.lock()->reset(); });
    *rootsForTesting.lock() = std::move(roots);
    reset.arm();
}

std::shared_ptr<foundation::URL> Workspace::URLForApplicationWithBundleIdentifier(
    const std::string& bundleIdentifier) const {
    for (const auto& root : applicationRoots())
        for (const auto& bundle : applicationBundlesIn(root)) {
            auto info = ApplicationBundleInfo::read(bundle);
            if (info && info->bundleIdentifier == bundleIdentifier)
                return foundation::URL::fileURLWithPath(bundle.string());
        }
    return nullptr;
}

std::shared_ptr<foundation::URL> Workspace::URLForApplicationToOpenURL(const foundation::URL& url) const {
    if (!url.scheme()) return nullptr;
    for (const auto& root : applicationRoots())
        for (const auto& bundle : applicationBundlesIn(root)) {
            auto info = ApplicationBundleInfo::read(bundle);
            if (info && info->opensScheme(*url.scheme()))
                return foundation::URL::fileURLWithPath(bundle.string());
        }
    return nullptr;
}

std::shared_ptr<RunningApplication> Workspace::frontmostApplication() const {
    return RunningApplication::frontmostApplication();
}

std::shared_ptr<Image> Workspace::iconForFile(const std::filesystem::path& path) const {
    // A resource name: one that could leave the bundle's resources names no icon.
    if (auto info = ApplicationBundleInfo::read(path); info && info->iconFile && foundation::isPlainFileName(*info->iconFile)) {
        std::filesystem::path icon = path / "Contents" / "Resources" / *info->iconFile;
        if (!icon.has_extension()) icon += ".png";
        if (auto image = Image::imageWithContentsOfFile(icon)) return image;
    }
    return genericApplicationIcon();
}

std::shared_ptr<Image> Workspace::genericApplicationIcon() {
    static auto icon = Image::filled(32, 32, 0x8E8E93FF);
    return icon;
}

}  // namespace appkit
