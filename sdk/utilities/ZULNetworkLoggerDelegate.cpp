#include "sdk/utilities/ZULNetworkLoggerDelegate.hpp"

#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/Null.hpp"

#include <optional>
#include <string>

std::shared_ptr<foundation::Array> ZULNetworkLogContexts(std::initializer_list<objc::Id> contexts) {
    auto list = foundation::Array::make();
    for (const auto& context : contexts) list->addObject(context ? context : objc::Id(foundation::Null::null()));
    return list;
}

namespace {

// The text up to its query or fragment; nullopt when it has neither.
std::optional<std::string> withoutQuery(const std::string& text) {
    auto end = text.find_first_of("?#");
    if (end == std::string::npos) return std::nullopt;
    return text.substr(0, end);
}

// The shortened text as the kind of object it came as (a URL, or a string).
objc::Id shownAs(const objc::Id& original, const std::string& shortened) {
    if (foundation::urlValue(original))
        if (auto url = foundation::URL::URLWithString(shortened)) return url;
    return foundation::String::make(shortened);
}

}  // namespace

objc::Id ZULNetworkLoggableURL(const std::shared_ptr<foundation::URL>& url) {
    auto shortened = url ? withoutQuery(url->absoluteString()) : std::nullopt;
    return shortened ? shownAs(url, *shortened) : objc::Id(url);
}

objc::Id ZULNetworkLoggableError(const std::shared_ptr<foundation::Error>& error) {
    if (!error || !error->userInfo()) return error;
    auto userInfo = foundation::dictionaryValue(error->userInfo()->copy());
    bool changed = false;
    for (const char* key : {"NSErrorFailingURLKey", "NSErrorFailingURLStringKey"}) {
        auto value = userInfo->objectForKey(key);
        auto shortened = value ? withoutQuery(value->description()) : std::nullopt;
        if (!shortened) continue;
        userInfo->setObject(shownAs(value, *shortened), key);
        changed = true;
    }
    return changed ? foundation::Error::make(error->domain(), error->code(), userInfo) : objc::Id(error);
}

bool ZULRespondsToNetworkLoggerDelegate(const objc::Id& object) {
    return objc::respondsToSelector(object, kZULNetworkLogWithContextsSelector) &&
           objc::respondsToSelector(object, kZULNetworkLogWithContextSelector) &&
           objc::respondsToSelector(object, kZULNetworkLogSelector);
}

void ZULSendNetworkLog(const objc::Id& delegate, ZULNetworkLogLevel level, ZULNetworkMessageCode code,
                       std::shared_ptr<foundation::String> message, std::shared_ptr<foundation::Array> contexts) {
    objc::send<void, ZULNetworkLogLevel, ZULNetworkMessageCode, std::shared_ptr<foundation::String>,
               std::shared_ptr<foundation::Array>>(delegate, kZULNetworkLogWithContextsSelector, level, code,
                                                   std::move(message), std::move(contexts));
}

void ZULSendNetworkLog(const objc::Id& delegate, ZULNetworkLogLevel level, ZULNetworkMessageCode code,
                       std::shared_ptr<foundation::String> message, objc::Id context) {
    objc::send<void, ZULNetworkLogLevel, ZULNetworkMessageCode, std::shared_ptr<foundation::String>, objc::Id>(
        delegate, kZULNetworkLogWithContextSelector, level, code, std::move(message), std::move(context));
}

void ZULSendNetworkLog(const objc::Id& delegate, ZULNetworkLogLevel level, ZULNetworkMessageCode code,
                       std::shared_ptr<foundation::String> message) {
    objc::send<void, ZULNetworkLogLevel, ZULNetworkMessageCode, std::shared_ptr<foundation::String>>(
        delegate, kZULNetworkLogSelector, level, code, std::move(message));
}
