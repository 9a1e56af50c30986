#include "platform/system/HTTPURLResponse.hpp"

#include "platform/objc/Class.hpp"

namespace foundation {

URLResponse::URLResponse(std::shared_ptr<foundation::URL> url, objc::Class* runtimeClass)
    : objc::Object(runtimeClass ? runtimeClass : objc::defineClass("NSURLResponse")), url_(std::move(url)) {}

HTTPURLResponse::HTTPURLResponse(std::shared_ptr<foundation::URL> url, long statusCode, HTTPHeaderFields headers)
    : URLResponse(std::move(url), objc::defineClass("NSHTTPURLResponse", objc::defineClass("NSURLResponse"))),
      statusCode_(statusCode), headers_(std::move(headers)) {}

std::string HTTPURLResponse::description() const {
    return "<NSHTTPURLResponse> { URL: " + (URL() ? URL()->absoluteString() : std::string("(null)")) +
           " } { Status Code: " + std::to_string(statusCode_) + " }";
}

}  // namespace foundation
