#include "platform/system/URLRequest.hpp"

namespace foundation {

URLRequest::URLRequest(std::shared_ptr<foundation::URL> url, URLRequestCachePolicy cachePolicy, double timeoutInterval)
    : url_(std::move(url)), timeoutInterval_(timeoutInterval), cachePolicy_(cachePolicy) {}

std::optional<URLRequest> URLRequest::requestWithURL(std::shared_ptr<foundation::URL> url,
                                                     URLRequestCachePolicy cachePolicy, double timeoutInterval) {
    if (!url) return std::nullopt;
    return URLRequest(std::move(url), cachePolicy, timeoutInterval);
}

}  // namespace foundation
