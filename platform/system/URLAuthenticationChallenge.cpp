#include "platform/system/URLAuthenticationChallenge.hpp"

#include "platform/objc/Class.hpp"

namespace foundation {

URLCredential::URLCredential(std::shared_ptr<security::SecTrust> trust)
    : objc::Object(objc::defineClass("NSURLCredential")), trust_(std::move(trust)) {}

std::shared_ptr<URLCredential> URLCredential::credentialForTrust(std::shared_ptr<security::SecTrust> trust) {
    if (!trust) return nullptr;
    return std::make_shared<URLCredential>(std::move(trust));
}

URLAuthenticationChallenge::URLAuthenticationChallenge(URLProtectionSpace protectionSpace)
    : objc::Object(objc::defineClass("NSURLAuthenticationChallenge")), protectionSpace_(std::move(protectionSpace)) {}

}  // namespace foundation
