#include "platform/appkit/ApplicationBundleInfo.hpp"

#include "platform/foundation/PropertyListParsingLimits.hpp"

#include <plist/plist.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

namespace appkit {

namespace {

using PlistHandle = std::unique_ptr<void, decltype(&plist_free)>;

std::optional<std::string> stringMember(plist_t dictionary, const char* key) {
    plist_t node = plist_dict_get_item(dictionary, key);
    if (!node || plist_get_node_type(node) != PLIST_STRING) return std::nullopt;
    char* value = nullptr;
    plist_get_string_val(node, &value);
    if (!value) return std::nullopt;
    std::string text(value);
    std::free(value);
    return text;
}

}  // namespace

std::optional<ApplicationBundleInfo> ApplicationBundleInfo::read(const std::filesystem::path& bundle) {
    auto infoPath = bundle / "Contents" / "Info.plist";
    std::error_code error;
    if (!std::filesystem::is_regular_file(infoPath, error)) return std::nullopt;
    std::ifstream stream(infoPath, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    if (bytes.empty() || bytes.size() > 1 << 20) return std::nullopt;  // an Info.plist is small
    if (!foundation::propertyListWithinParsingLimits(bytes)) return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    PlistHandle owner(root, &plist_free);
    if (!root || plist_get_node_type(root) != PLIST_DICT) return std::nullopt;
    auto identifier = stringMember(root, "CFBundleIdentifier");
    if (!identifier) return std::nullopt;
    return ApplicationBundleInfo{*identifier, stringMember(root, "CFBundleExecutable"),
                                 stringMember(root, "CFBundleIconFile")};
}

}  // namespace appkit
