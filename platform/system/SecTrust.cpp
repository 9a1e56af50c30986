#include "platform/system/SecTrust.hpp"

#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/ProcessWide.hpp"
#include "platform/objc/Class.hpp"

#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>


namespace security {

namespace {

struct StoreDeleter {
    void operator()(X509_STORE* store) const { X509_STORE_free(store); }
};
struct StoreContextDeleter {
    void operator()(X509_STORE_CTX* context) const { X509_STORE_CTX_free(context); }
};
struct CertificateDeleter {
    void operator()(X509* certificate) const { X509_free(certificate); }
};
struct ChainDeleter {
    void operator()(STACK_OF(X509) * chain) const { sk_X509_pop_free(chain, X509_free); }
};
using Certificate = std::unique_ptr<X509, CertificateDeleter>;

Certificate decode(const std::vector<std::uint8_t>& der) {
    const unsigned char* cursor = der.data();
    return Certificate(d2i_X509(nullptr, &cursor, static_cast<long>(der.size())));
}

foundation::Guarded<std::vector<std::vector<std::uint8_t>>> additionalAnchors;

// Entries that are not DER certificates are skipped rather than failing every evaluation.
void addAdditionalTrustAnchors(X509_STORE* store) {
    auto anchors = additionalAnchors.lock();  // held for the whole loop
    for (const auto& der : *anchors)
        if (auto certificate = decode(der)) X509_STORE_add_cert(store, certificate.get());
}

std::shared_ptr<foundation::Error> makeError(std::int64_t status, const std::string& hostName, const char* reason) {
    std::string description = "\u201c" + hostName + "\u201d certificate is not trusted";
    if (status == errSecHostNameMismatch) description = "\u201c" + hostName + "\u201d certificate name does not match input";
    if (status == errSecCertificateExpired) description = "\u201c" + hostName + "\u201d certificate is expired";
    return foundation::Error::withDescription(foundation::NSOSStatusErrorDomain, status,
                                              description + " (" + reason + ")");
}

std::int64_t statusForVerifyError(int verifyError) {
    switch (verifyError) {
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            return errSecHostNameMismatch;
        case X509_V_ERR_CERT_HAS_EXPIRED:
        case X509_V_ERR_CERT_NOT_YET_VALID:
            return errSecCertificateExpired;
        default:
            return errSecNotTrusted;
    }
}

// IP literals are checked against the certificate's addresses, names against its names.
bool isIPAddress(const std::string& host) {
    return host.find(':') != std::string::npos ||
           (!host.empty() && host.find_first_not_of("0123456789.") == std::string::npos);
}

}  // namespace

SecTrust::SecTrust(std::vector<std::vector<std::uint8_t>> certificates, std::string hostName)
    : objc::Object(objc::defineClass("SecTrust")), certificates_(std::move(certificates)), hostName_(std::move(hostName)) {}

std::shared_ptr<SecTrust> SecTrust::createWithCertificates(std::vector<std::vector<std::uint8_t>> certificates,
                                                           std::string hostName) {
    return std::make_shared<SecTrust>(std::move(certificates), std::move(hostName));
}

bool SecTrustEvaluateWithError(const std::shared_ptr<SecTrust>& trust, std::shared_ptr<foundation::Error>* error) {
    auto fail = [&](std::int64_t status, const char* reason) {
        if (error) *error = makeError(status, trust ? trust->hostName() : std::string(), reason);
        return false;
    };
    if (!trust || trust->certificates().empty()) return fail(errSecNotTrusted, "no certificate");

    Certificate leaf = decode(trust->certificates().front());
    if (!leaf) return fail(errSecNotTrusted, "malformed certificate");
    std::unique_ptr<STACK_OF(X509), ChainDeleter> intermediates(sk_X509_new_null());
    for (std::size_t index = 1; index < trust->certificates().size(); ++index)
        if (auto certificate = decode(trust->certificates()[index])) sk_X509_push(intermediates.get(), certificate.release());

    std::unique_ptr<X509_STORE, StoreDeleter> store(X509_STORE_new());
    X509_STORE_set_default_paths(store.get());
    addAdditionalTrustAnchors(store.get());

    std::unique_ptr<X509_STORE_CTX, StoreContextDeleter> context(X509_STORE_CTX_new());
    if (!context || X509_STORE_CTX_init(context.get(), store.get(), leaf.get(), intermediates.get()) != 1)
        return fail(errSecNotTrusted, "cannot start evaluation");
    X509_VERIFY_PARAM* parameters = X509_STORE_CTX_get0_param(context.get());
    X509_VERIFY_PARAM_set_purpose(parameters, X509_PURPOSE_SSL_SERVER);
    if (!trust->hostName().empty()) {
        if (isIPAddress(trust->hostName()))
            X509_VERIFY_PARAM_set1_ip_asc(parameters, trust->hostName().c_str());
        else
            X509_VERIFY_PARAM_set1_host(parameters, trust->hostName().c_str(), 0);
    }
    if (X509_verify_cert(context.get()) == 1) return true;
    int verifyError = X509_STORE_CTX_get_error(context.get());
    return fail(statusForVerifyError(verifyError), X509_verify_cert_error_string(verifyError));
}

void setAdditionalTrustAnchorsForTesting(std::vector<std::vector<std::uint8_t>> certificates) {
    static foundation::ProcessWideReset reset([] { additionalAnchors.lock()->clear(); });
    additionalAnchors.withLock([&](auto& anchors) { anchors = std::move(certificates); });
    reset.arm();
}

}  // namespace security
