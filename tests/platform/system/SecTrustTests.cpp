#include "platform/system/SecTrust.hpp"

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Data.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "tests/support/LocalHTTPServer.hpp"
#include "tests/support/TrustedCertificates.hpp"

#include <gtest/gtest.h>

using security::SecTrust;

TEST(SecTrust, SelfSignedCertificateIsNotTrustedByTheSystemStoreNorByUserDefaults) {
    testsupport::SelfSignedCertificate certificate;
    // Any process of the user can write the defaults: a certificate planted there is no anchor.
    foundation::UserDefaults::standardUserDefaults()->setPersistentDomain(
        foundation::Dictionary::make({{"KVTrustedCertificates", foundation::Array::make({foundation::Data::make(certificate.der())})}}),
        foundation::NSGlobalDomain);
    std::shared_ptr<foundation::Error> error;
    EXPECT_FALSE(security::SecTrustEvaluateWithError(SecTrust::createWithCertificates({certificate.der()}, "localhost"), &error));
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->domain(), foundation::NSOSStatusErrorDomain);
    EXPECT_EQ(error->code(), security::errSecNotTrusted);
    EXPECT_NE(error->localizedDescription().find("localhost"), std::string::npos);
}

TEST(SecTrust, CertificateTrustedByTheTestHookPassesOnlyForItsOwnNames) {
    testsupport::SelfSignedCertificate certificate;
    testsupport::TrustedCertificate trusted(certificate.der());
    struct Case {
        const char* host;
        std::int64_t status;  // 0: trusted
    };
    const Case cases[] = {{"localhost", 0}, {"127.0.0.1", 0}, {"example.org", security::errSecHostNameMismatch},
                          {"127.0.0.2", security::errSecHostNameMismatch}};
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.host);
        std::shared_ptr<foundation::Error> error;
        bool trusted = security::SecTrustEvaluateWithError(
            SecTrust::createWithCertificates({certificate.der()}, testCase.host), &error);
        EXPECT_EQ(trusted, testCase.status == 0);
        EXPECT_EQ(error ? error->code() : 0, testCase.status);
    }
}

TEST(SecTrust, ExpiredTrustedCertificateIsRefusedAsExpired) {
    testsupport::SelfSignedCertificate expired(-48 * 3600, -24 * 3600);
    testsupport::TrustedCertificate trusted(expired.der());
    std::shared_ptr<foundation::Error> error;
    EXPECT_FALSE(security::SecTrustEvaluateWithError(SecTrust::createWithCertificates({expired.der()}, "localhost"), &error));
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->code(), security::errSecCertificateExpired);
}

TEST(SecTrust, MissingOrMalformedChainsAreNotTrusted) {
    const std::vector<std::vector<std::vector<std::uint8_t>>> chains = {{}, {{0x30, 0x03, 0x01, 0x02}}, {{}}};
    for (const auto& chain : chains) {
        std::shared_ptr<foundation::Error> error;
        EXPECT_FALSE(security::SecTrustEvaluateWithError(SecTrust::createWithCertificates(chain, "localhost"), &error));
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->code(), security::errSecNotTrusted);
    }
    EXPECT_FALSE(security::SecTrustEvaluateWithError(nullptr, nullptr));
}
