#pragma once

#include "platform/foundation/Error.hpp"
#include "platform/objc/Object.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace security {

// Trust-evaluation results, with the platform's status values.
inline constexpr std::int64_t errSecHostNameMismatch = -67602;
inline constexpr std::int64_t errSecCertificateExpired = -67818;
inline constexpr std::int64_t errSecNotTrusted = -67843;

// A server's certificate chain, leaf first, with the host name the SSL policy checks it
// against. Immutable, so it may be evaluated on any thread.
class SecTrust final : public objc::Object {
public:
    SecTrust(std::vector<std::vector<std::uint8_t>> certificates, std::string hostName);
    static std::shared_ptr<SecTrust> createWithCertificates(std::vector<std::vector<std::uint8_t>> certificates,
                                                            std::string hostName);

    const std::vector<std::vector<std::uint8_t>>& certificates() const { return certificates_; }
    const std::string& hostName() const { return hostName_; }

private:
    std::vector<std::vector<std::uint8_t>> certificates_;
    std::string hostName_;
};

// Evaluates the chain with OpenSSL against the system's certificate store (and the anchors
// tests added), for a TLS server of the trust's host name. True
// when trusted; otherwise false and, when asked, an error in NSOSStatusErrorDomain whose
// code says why. Blocking (reads the certificate store); never call it on the main thread.
bool SecTrustEvaluateWithError(const std::shared_ptr<SecTrust>& trust, std::shared_ptr<foundation::Error>* error);

// Certificates (DER) trusted in addition to the system's store, for tests that run their own
// TLS servers; replaces the earlier list, and an empty list removes them. Nothing else can
// add an anchor: settings any process of the user may write are no place for trust. Any thread.
void setAdditionalTrustAnchorsForTesting(std::vector<std::vector<std::uint8_t>> certificates);

}  // namespace security
