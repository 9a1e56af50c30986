#include "app/bookmarks/BrowserType.hpp"

#include "platform/appkit/Workspace.hpp"

namespace kestrelvault {

namespace {

struct BrowserFacts {
    std::string_view rawValue;
    std::string_view bundleIdentifier;
};

constexpr std::array<BrowserFacts, 5> facts = {{
    {"chrome", "com.zadizu.Chrome"},
    {"brave", "com.brave.Browser"},
    {"edge", "com.microsoft.edgemac"},
    {"safari", "com.apple.Safari"},
    {"firefox", "org.mozilla.firefox"},
}};

const BrowserFacts& factsOf(BrowserType browser) { return facts[static_cast<std::size_t>(browser)]; }

}  // namespace

std::string_view rawValue(BrowserType browser) { return factsOf(browser).rawValue; }

std::optional<BrowserType> browserTypeFromRawValue(std::string_view text) {
    for (BrowserType browser : allBrowserTypes)
        if (rawValue(browser) == text) return browser;
    return std::nullopt;
}

std::string_view bundleIdentifier(BrowserType browser) { return factsOf(browser).bundleIdentifier; }

bool isInstalled(BrowserType browser) {
    return appkit::Workspace::sharedWorkspace()->URLForApplicationWithBundleIdentifier(
               std::string(bundleIdentifier(browser))) != nullptr;
}

std::shared_ptr<appkit::Image> appIcon(BrowserType browser) {
    auto workspace = appkit::Workspace::sharedWorkspace();
    auto url = workspace->URLForApplicationWithBundleIdentifier(std::string(bundleIdentifier(browser)));
    if (!url) return nullptr;
    return workspace->iconForFile(url->path());
}

}  // namespace kestrelvault
