#pragma once

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/URL.hpp"
#include "platform/objc/Runtime.hpp"
#include "sdk/utilities/ZULNetworkConstants.hpp"

#include <initializer_list>
#include <memory>

// A network logger delegate is any object whose runtime class answers all three selectors
// below; it then receives every line of the network layer instead of the SDK logger. The
// message may be nil. Called from whichever thread logs.
inline constexpr const char* kZULNetworkLogWithContextsSelector = "ZULNetwork_logWithLevel:messageCode:message:contexts:";
inline constexpr const char* kZULNetworkLogWithContextSelector = "ZULNetwork_logWithLevel:messageCode:message:context:";
inline constexpr const char* kZULNetworkLogSelector = "ZULNetwork_logWithLevel:messageCode:message:";

using ZULNetworkLogWithContextsImplementation =
    objc::InstanceImplementation<void, ZULNetworkLogLevel, ZULNetworkMessageCode, std::shared_ptr<foundation::String>,
                                 std::shared_ptr<foundation::Array>>;
using ZULNetworkLogWithContextImplementation =
    objc::InstanceImplementation<void, ZULNetworkLogLevel, ZULNetworkMessageCode, std::shared_ptr<foundation::String>,
                                 objc::Id>;
using ZULNetworkLogImplementation =
    objc::InstanceImplementation<void, ZULNetworkLogLevel, ZULNetworkMessageCode, std::shared_ptr<foundation::String>>;

// True when the object answers all three logging selectors.
bool ZULRespondsToNetworkLoggerDelegate(const objc::Id& object);

// The contexts of a line; a nil context stands as the null object, printed "(nil)".
std::shared_ptr<foundation::Array> ZULNetworkLogContexts(std::initializer_list<objc::Id> contexts);

// A URL as a line may show it: without its query and fragment, which often carry keys or
// tokens. Nil for nil.
objc::Id ZULNetworkLoggableURL(const std::shared_ptr<foundation::URL>& url);
// The error with its failing URL shown that way; the error itself when it names none.
objc::Id ZULNetworkLoggableError(const std::shared_ptr<foundation::Error>& error);

// Sends one of the three selectors to the delegate.
void ZULSendNetworkLog(const objc::Id& delegate, ZULNetworkLogLevel level, ZULNetworkMessageCode code,
                       std::shared_ptr<foundation::String> message, std::shared_ptr<foundation::Array> contexts);
void ZULSendNetworkLog(const objc::Id& delegate, ZULNetworkLogLevel level, ZULNetworkMessageCode code,
                       std::shared_ptr<foundation::String> message, objc::Id context);
void ZULSendNetworkLog(const objc::Id& delegate, ZULNetworkLogLevel level, ZULNetworkMessageCode code,
                       std::shared_ptr<foundation::String> message);
