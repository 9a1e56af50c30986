#include "platform/appkit/ApplicationBundleInfo.hpp"

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/PropertyListSerialization.hpp"
#include "platform/foundation/String.hpp"

#include <algorithm>
#include <cctype>

namespace appkit {

namespace {

constexpr std::size_t maximumInfoSize = 1 << 20;  // an Info.plist is small

std::vector<std::string> schemesOpened(const foundation::Dictionary& info) {
    std::vector<std::string> schemes;
    auto types = foundation::arrayValue(info.objectForKey("CFBundleURLTypes"));
    for (std::size_t index = 0; types && index < types->count(); ++index) {
        auto type = foundation::dictionaryValue(types->objectAtIndex(index));
        auto names = type ? foundation::arrayValue(type->objectForKey("CFBundleURLSchemes")) : nullptr;
        for (std::size_t inner = 0; names && inner < names->count(); ++inner)
            if (auto scheme = foundation::stringValue(names->objectAtIndex(inner))) schemes.push_back(*scheme);
    }
    return schemes;
}

}  // namespace

bool ApplicationBundleInfo::opensScheme(std::string_view scheme) const {
    // Schemes compare without regard to case.
    return std::any_of(urlSchemes.begin(), urlSchemes.end(), [&](const std::string& known) {
        return std::equal(known.begin(), known.end(), scheme.begin(), scheme.end(), [](unsigned char a, unsigned char b) {
            return std::tolower(a) == std::tolower(b);
        });
    });
}

std::optional<ApplicationBundleInfo> ApplicationBundleInfo::read(const std::filesystem::path& bundle) {
    auto data = foundation::FileManager::defaultManager().contentsOfRegularFile(bundle / "Contents" / "Info.plist",
                                                                                maximumInfoSize);
    if (!data) return std::nullopt;
    auto info = foundation::dictionaryValue(foundation::PropertyListSerialization::propertyListWithData(*data));
    if (!info) return std::nullopt;
    auto identifier = foundation::stringValue(info->objectForKey("CFBundleIdentifier"));
    if (!identifier) return std::nullopt;
    return ApplicationBundleInfo{*identifier, foundation::stringValue(info->objectForKey("CFBundleExecutable")),
                                 foundation::stringValue(info->objectForKey("CFBundleIconFile")), schemesOpened(*info)};
}

}  // namespace appkit
