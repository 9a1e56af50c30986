#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace appkit {
class Image;
}

namespace kestrelvault {

// The browsers the application knows, in tag order. A plain value, usable on any thread;
// isInstalled() and appIcon() ask the workspace and belong on the main thread.
enum class BrowserType { chrome = 0, brave = 1, edge = 2, safari = 3, firefox = 4 };

inline constexpr std::array<BrowserType, 5> allBrowserTypes = {
    BrowserType::chrome, BrowserType::brave, BrowserType::edge, BrowserType::safari, BrowserType::firefox};

// The lower-case case name: the browser's form in identifiers and stored settings.
std::string_view rawValue(BrowserType browser);
// Exact, case-sensitive match of a raw value.
std::optional<BrowserType> browserTypeFromRawValue(std::string_view text);
std::string_view bundleIdentifier(BrowserType browser);

// Asked anew on every call: the workspace knows an application with the bundle identifier.
bool isInstalled(BrowserType browser);
// The application's icon, or null when the browser is not installed.
std::shared_ptr<appkit::Image> appIcon(BrowserType browser);

}  // namespace kestrelvault
