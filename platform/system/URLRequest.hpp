#pragma once

#include "platform/foundation/Data.hpp"
#include "platform/foundation/URL.hpp"
#include "platform/system/HTTPHeaderFields.hpp"

#include <memory>
#include <optional>
#include <string>

namespace foundation {

// Cache policies with the platform's values. This layer keeps no HTTP cache, so every
// policy loads from the origin.
enum class URLRequestCachePolicy : unsigned {
    useProtocolCachePolicy = 0,
    reloadIgnoringLocalCacheData = 1,
};

// One HTTP request: URL, method, header fields, optional body, timeout and cache policy.
// A value: copying it copies the request (the body data is immutable and shared).
class URLRequest {
public:
    // Nullopt without a URL, as the platform gives no request for a nil URL.
    static std::optional<URLRequest> requestWithURL(std::shared_ptr<foundation::URL> url,
                                                    URLRequestCachePolicy cachePolicy = URLRequestCachePolicy::useProtocolCachePolicy,
                                                    double timeoutInterval = 60);

    const std::shared_ptr<foundation::URL>& URL() const { return url_; }
    void setURL(std::shared_ptr<foundation::URL> url) { url_ = std::move(url); }
    const std::string& HTTPMethod() const { return method_; }
    void setHTTPMethod(std::string method) { method_ = std::move(method); }
    const HTTPHeaderFields& allHTTPHeaderFields() const { return headers_; }
    void setAllHTTPHeaderFields(HTTPHeaderFields fields) { headers_ = std::move(fields); }
    std::optional<std::string> valueForHTTPHeaderField(std::string_view name) const { return headers_.valueForField(name); }
    void setValue(std::string value, const std::string& field) { headers_.setValue(std::move(value), field); }
    // Nil when the request has no body.
    const std::shared_ptr<Data>& HTTPBody() const { return body_; }
    void setHTTPBody(std::shared_ptr<Data> body) { body_ = std::move(body); }
    double timeoutInterval() const { return timeoutInterval_; }
    void setTimeoutInterval(double seconds) { timeoutInterval_ = seconds; }
    URLRequestCachePolicy cachePolicy() const { return cachePolicy_; }
    void setCachePolicy(URLRequestCachePolicy policy) { cachePolicy_ = policy; }

private:
    URLRequest(std::shared_ptr<foundation::URL> url, URLRequestCachePolicy cachePolicy, double timeoutInterval);

    std::shared_ptr<foundation::URL> url_;
    std::string method_ = "GET";
    HTTPHeaderFields headers_;
    std::shared_ptr<Data> body_;
    double timeoutInterval_;
    URLRequestCachePolicy cachePolicy_;
};

}  // namespace foundation
