#pragma once

#include "platform/foundation/URL.hpp"
#include "platform/system/HTTPHeaderFields.hpp"

#include <memory>

namespace foundation {

// The response to a URL load. Immutable; shared between the transfer thread and the
// delegate queue.
class URLResponse : public objc::Object {
public:
    explicit URLResponse(std::shared_ptr<foundation::URL> url, objc::Class* runtimeClass = nullptr);
    const std::shared_ptr<foundation::URL>& URL() const { return url_; }

private:
    std::shared_ptr<foundation::URL> url_;
};

// The response of an HTTP server: status code and header fields.
class HTTPURLResponse final : public URLResponse {
public:
    HTTPURLResponse(std::shared_ptr<foundation::URL> url, long statusCode, HTTPHeaderFields headers);

    long statusCode() const { return statusCode_; }
    const HTTPHeaderFields& allHeaderFields() const { return headers_; }
    std::optional<std::string> valueForHTTPHeaderField(std::string_view name) const { return headers_.valueForField(name); }

    std::string description() const override;

private:
    long statusCode_;
    HTTPHeaderFields headers_;
};

}  // namespace foundation
