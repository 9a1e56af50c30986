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

// The user-defaults key (read through the global domain) under which the platform settings
// list certificates, DER-encoded data, trusted in addition to the system's store.
inline constexpr const char* KVTrustedCertificatesKey = "KVTrustedCertificates";

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

// Evaluates the chain with OpenSSL against the system's certificate store and the trusted
// certificates of the platform settings, for a TLS server of the trust's host name. True
// when trusted; otherwise false and, when asked, an error in NSOSStatusErrorDomain whose
// code says why. Blocking (reads the certificate store); never call it on the main thread.
bool SecTrustEvaluateWithError(const std::shared_ptr<SecTrust>& trust, std::shared_ptr<foundation::Error>* error);

}  // namespace security
