#pragma once

// Local HTTP and HTTPS servers on 127.0.0.1 for the network suites, with a self-signed
// certificate made on the spot. Header-only: only the suites that link cpp-httplib and
// OpenSSL include it.

#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// An EC key and a certificate for "localhost" and 127.0.0.1, signed by itself.
class SelfSignedCertificate {
public:
    // Valid from an hour ago for a day, unless other offsets (in seconds from now) are given.
    explicit SelfSignedCertificate(long notBeforeOffset = -3600, long notAfterOffset = 24 * 3600)
        : key_(EVP_EC_gen("P-256"), EVP_PKEY_free), certificate_(X509_new(), X509_free) {
        if (!key_ || !certificate_) throw std::runtime_error("cannot make a key");
        X509* certificate = certificate_.get();
        X509_set_version(certificate, 2);
        ASN1_INTEGER_set(X509_get_serialNumber(certificate), static_cast<long>(std::random_device{}() & 0x7fffffff));
        X509_gmtime_adj(X509_getm_notBefore(certificate), notBeforeOffset);
        X509_gmtime_adj(X509_getm_notAfter(certificate), notAfterOffset);
        X509_set_pubkey(certificate, key_.get());
        X509_NAME* name = X509_get_subject_name(certificate);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("localhost"), -1, -1, 0);
        X509_set_issuer_name(certificate, name);
        addExtension(NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1");
        addExtension(NID_basic_constraints, "critical,CA:TRUE");
        addExtension(NID_ext_key_usage, "serverAuth");
        if (X509_sign(certificate, key_.get(), EVP_sha256()) <= 0) throw std::runtime_error("cannot sign");
    }

    X509* certificate() const { return certificate_.get(); }
    EVP_PKEY* key() const { return key_.get(); }
    std::vector<std::uint8_t> der() const {
        int length = i2d_X509(certificate_.get(), nullptr);
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
        unsigned char* cursor = bytes.data();
        i2d_X509(certificate_.get(), &cursor);
        return bytes;
    }

private:
    void addExtension(int nid, const char* value) {
        X509V3_CTX context;
        X509V3_set_ctx_nodb(&context);
        X509V3_set_ctx(&context, certificate_.get(), certificate_.get(), nullptr, nullptr, 0);
        X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
        X509_add_ext(certificate_.get(), extension, -1);
        X509_EXTENSION_free(extension);
    }

    std::unique_ptr<EVP_PKEY, void (*)(EVP_PKEY*)> key_;
    std::unique_ptr<X509, void (*)(X509*)> certificate_;
};

// A server listening on 127.0.0.1 on a free port from construction until destruction.
// Register handlers through server() before start(). Handlers run on the server's threads.
class LocalHTTPServer {
public:
    LocalHTTPServer() : server_(std::make_unique<httplib::Server>()), scheme_("http") {}
    explicit LocalHTTPServer(const SelfSignedCertificate& certificate)
        : server_(std::make_unique<httplib::SSLServer>(certificate.certificate(), certificate.key())), scheme_("https") {}
    LocalHTTPServer(const LocalHTTPServer&) = delete;
    LocalHTTPServer& operator=(const LocalHTTPServer&) = delete;
    ~LocalHTTPServer() {
        server_->stop();
        if (thread_.joinable()) thread_.join();
    }

    httplib::Server& server() { return *server_; }

    void start() {
        port_ = server_->bind_to_any_port("127.0.0.1");
        if (port_ <= 0) throw std::runtime_error("cannot bind a local port");
        thread_ = std::thread([this] { server_->listen_after_bind(); });
        // stop() is lost on a server that has not begun to listen, so wait for that.
        auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!server_->is_running() && std::chrono::steady_clock::now() < limit) std::this_thread::yield();
    }

    int port() const { return port_; }
    std::string url(const std::string& path) const {
        return scheme_ + "://127.0.0.1:" + std::to_string(port_) + path;
    }
    std::string urlWithHost(const std::string& host, const std::string& path) const {
        return scheme_ + "://" + host + ":" + std::to_string(port_) + path;
    }

private:
    std::unique_ptr<httplib::Server> server_;
    std::string scheme_;
    std::thread thread_;
    int port_ = 0;
};

}  // namespace testsupport
