#pragma once

#include "platform/system/SecTrust.hpp"

#include <memory>
#include <string>

namespace foundation {

inline constexpr const char* NSURLAuthenticationMethodServerTrust = "NSURLAuthenticationMethodServerTrust";

// What a delegate decides about an authentication challenge, with the platform's values.
enum class URLSessionAuthChallengeDisposition {
    useCredential = 0,
    performDefaultHandling = 1,
    cancelAuthenticationChallenge = 2,
    rejectProtectionSpace = 3,
};

// A credential that accepts a server's certificate chain.
class URLCredential final : public objc::Object {
public:
    explicit URLCredential(std::shared_ptr<security::SecTrust> trust);
    // Nil for a nil trust.
    static std::shared_ptr<URLCredential> credentialForTrust(std::shared_ptr<security::SecTrust> trust);
    const std::shared_ptr<security::SecTrust>& serverTrust() const { return trust_; }

private:
    std::shared_ptr<security::SecTrust> trust_;
};

// The server and the authentication method being asked for.
struct URLProtectionSpace {
    std::string host;
    int port = 0;
    std::string authenticationMethod;
    // Present for server-trust challenges.
    std::shared_ptr<security::SecTrust> serverTrust;
};

// A challenge put to the session's delegate. Immutable.
class URLAuthenticationChallenge final : public objc::Object {
public:
    explicit URLAuthenticationChallenge(URLProtectionSpace protectionSpace);
    const URLProtectionSpace& protectionSpace() const { return protectionSpace_; }

private:
    URLProtectionSpace protectionSpace_;
};

}  // namespace foundation
