#include "app/shell/FaviconService.hpp"

#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/URL.hpp"

namespace kestrelvault {

std::optional<std::string> FaviconService::baseAddress() {
    auto bundle = foundation::Bundle::mainBundle();
    if (!bundle) return std::nullopt;
    auto value = foundation::stringValue(bundle->objectForInfoDictionaryKey(infoPlistKey));
    if (!value) return std::nullopt;
    std::string text = *value;
    if (!text.empty() && text.back() == '/') text.pop_back();
    auto url = foundation::URL::URLWithString(text);
    // Only a secure scheme and a host: a path or query would break the address built on it.
    if (!url || url->scheme() != "https" || !url->host() || url->host()->empty() || !url->path().empty() ||
        url->query() || url->fragment())
        return std::nullopt;
    return text;
}

}  // namespace kestrelvault
