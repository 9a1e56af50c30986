#pragma once

#include "platform/system/HTTPHeaderFields.hpp"
#include "platform/system/URLRequest.hpp"

#include <cstdint>
#include <optional>
#include <string>

namespace foundation {

// How a session loads: header fields added to every request, timeouts and cache policy. A
// background configuration carries an identifier; its uploads read their bodies from files.
// A value: a session keeps its own copy.
struct URLSessionConfiguration {
    static URLSessionConfiguration defaultSessionConfiguration();
    static URLSessionConfiguration backgroundSessionConfigurationWithIdentifier(std::string identifier);

    bool isBackground() const { return identifier.has_value(); }

    std::optional<std::string> identifier;
    // Sent with every request unless the request sets the same field.
    HTTPHeaderFields HTTPAdditionalHeaders;
    // The longest wait for more data, in seconds.
    double timeoutIntervalForRequest = 60;
    // The longest a whole load may take, in seconds (a week by default).
    double timeoutIntervalForResource = 7 * 24 * 3600;
    URLRequestCachePolicy requestCachePolicy = URLRequestCachePolicy::useProtocolCachePolicy;
    // The most body bytes one response may bring once decoded (0: no limit); past it the task
    // fails with NSURLErrorDataLengthExceedsMaximum. Ours: nothing here needs more, and a
    // compressed answer must not grow without end.
    std::uint64_t maximumResponseSize = 16 * 1024 * 1024;
};

}  // namespace foundation
