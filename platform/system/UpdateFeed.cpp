#include "platform/system/UpdateFeed.hpp"

#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/JSONSerialization.hpp"
#include "platform/foundation/String.hpp"

namespace updates {

std::shared_ptr<foundation::URL> secureURL(const std::optional<std::string>& text) {
    auto url = text ? foundation::URL::URLWithString(*text) : nullptr;
    if (!url || url->scheme() != "https" || !url->host() || url->host()->empty()) return nullptr;
    return url;
}

foundation::Expected<UpdateFeed> UpdateFeed::parse(std::string_view bytes) {
    auto refuse = [](const std::string& reason) { return foundation::Failure{"The update information is not valid: " + reason}; };
    auto document = std::dynamic_pointer_cast<foundation::Dictionary>(foundation::JSONSerialization::JSONObjectWithData(bytes));
    if (!document) return refuse("it is not a JSON object.");
    auto versionText = foundation::stringValue(document->objectForKey("version"));
    auto version = versionText ? SoftwareVersion::parse(*versionText) : std::nullopt;
    if (!version) return refuse("its \"version\" is not a dotted version number.");
    UpdateFeed feed{*version, nullptr};
    if (auto notes = document->objectForKey("releaseNotesURL")) {
        feed.releaseNotesURL = secureURL(foundation::stringValue(notes));
        if (!feed.releaseNotesURL) return refuse("its \"releaseNotesURL\" is not an https address.");
    }
    return feed;
}

}  // namespace updates
