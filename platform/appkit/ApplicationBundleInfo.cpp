#include "platform/appkit/ApplicationBundleInfo.hpp"

#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/PropertyListSerialization.hpp"
#include "platform/foundation/String.hpp"

namespace appkit {

namespace {

constexpr std::size_t maximumInfoSize = 1 << 20;  // an Info.plist is small

}  // namespace

std::optional<ApplicationBundleInfo> ApplicationBundleInfo::read(const std::filesystem::path& bundle) {
    auto data = foundation::FileManager::defaultManager().contentsOfRegularFile(bundle / "Contents" / "Info.plist",
                                                                                maximumInfoSize);
    if (!data) return std::nullopt;
    auto info = foundation::dictionaryValue(foundation::PropertyListSerialization::propertyListWithData(*data));
    if (!info) return std::nullopt;
    auto identifier = foundation::stringValue(info->objectForKey("CFBundleIdentifier"));
    if (!identifier) return std::nullopt;
    return ApplicationBundleInfo{*identifier, foundation::stringValue(info->objectForKey("CFBundleExecutable")),
                                 foundation::stringValue(info->objectForKey("CFBundleIconFile"))};
}

}  // namespace appkit
