#include "sdk/utilities/ZULNetworkLoggerDelegate.hpp"

#include "platform/foundation/Null.hpp"

std::shared_ptr<foundation::Array> ZULNetworkLogContexts(std::initializer_list<objc::Id> contexts) {
    auto list = foundation::Array::make();
    for (const auto& context : contexts) list->addObject(context ? context : objc::Id(foundation::Null::null()));
    return list;
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
