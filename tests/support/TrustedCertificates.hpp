#pragma once

#include "platform/system/SecTrust.hpp"

#include <cstdint>
#include <vector>

namespace testsupport {

// Trusts the DER certificate for TLS in this process for the life of the object, as a user
// who added it to the system's trust would; the test's own servers present it.
class TrustedCertificate {
public:
    explicit TrustedCertificate(std::vector<std::uint8_t> der) { security::setAdditionalTrustAnchorsForTesting({std::move(der)}); }
    TrustedCertificate(const TrustedCertificate&) = delete;
    TrustedCertificate& operator=(const TrustedCertificate&) = delete;
    ~TrustedCertificate() { security::setAdditionalTrustAnchorsForTesting({}); }
};

}  // namespace testsupport
