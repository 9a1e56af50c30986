#pragma once

#include "platform/foundation/Data.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/system/HTTPHeaderFields.hpp"
#include "platform/system/SecTrust.hpp"
#include "platform/system/URLRequest.hpp"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

typedef void CURL;
struct curl_slist;
struct x509_store_ctx_st;

namespace foundation {

// URL loading error codes (NSURLErrorDomain) this layer reports.
inline constexpr std::int64_t NSURLErrorUnknown = -1;
inline constexpr std::int64_t NSURLErrorCancelled = -999;
inline constexpr std::int64_t NSURLErrorBadURL = -1000;
inline constexpr std::int64_t NSURLErrorTimedOut = -1001;
inline constexpr std::int64_t NSURLErrorUnsupportedURL = -1002;
inline constexpr std::int64_t NSURLErrorCannotFindHost = -1003;
inline constexpr std::int64_t NSURLErrorCannotConnectToHost = -1004;
inline constexpr std::int64_t NSURLErrorNetworkConnectionLost = -1005;
inline constexpr std::int64_t NSURLErrorHTTPTooManyRedirects = -1007;
inline constexpr std::int64_t NSURLErrorBadServerResponse = -1011;
inline constexpr std::int64_t NSURLErrorSecureConnectionFailed = -1200;
inline constexpr std::int64_t NSURLErrorServerCertificateUntrusted = -1202;
inline constexpr std::int64_t NSURLErrorCannotCreateFile = -3000;
inline constexpr std::int64_t NSURLErrorFileDoesNotExist = -1100;
inline constexpr std::int64_t NSURLErrorDataLengthExceedsMaximum = -1103;

// The error object of a failed load: the code's worded description, the technical detail
// (the transfer library's text, say) as its debug description, and the failing URL.
std::shared_ptr<Error> makeURLError(std::int64_t code, const std::string& detail,
                                    const std::shared_ptr<URL>& failingURL);

// Receives what one HTTP exchange produces. Called on the transfer thread, in order:
// responses (a redirect's included), body chunks, then exactly one finish, or, when the
// handshake stopped at a chain the request does not trust yet, exactly one trust question
// instead of the finish.
class URLTransferClient {
public:
    virtual ~URLTransferClient() = default;
    // The status and header fields of a final (non-1xx) response; the redirect target when
    // the response names one.
    virtual void transferDidReceiveResponse(long statusCode, HTTPHeaderFields headers,
                                            std::optional<std::string> redirectURL) = 0;
    virtual void transferDidReceiveData(std::string_view bytes) = 0;
    // Nothing was sent: the client asks whoever decides, without holding the transfer thread,
    // and may send the request again in a new exchange that trusts the chain.
    virtual void transferNeedsTrustDecision(const std::shared_ptr<security::SecTrust>& trust) = 0;
    // Nil on success. Cancellation reports NSURLErrorCancelled.
    virtual void transferDidFinish(std::shared_ptr<Error> error) = 0;
};

// What one exchange sends: the request, the session's extra header fields, the body (from
// data or from a file) and the timeouts in seconds; the server chain already accepted for
// it (leaf first: the same chain presented again is trusted without asking); and the most
// decoded body bytes it may receive (0: no limit), past which it fails with
// NSURLErrorDataLengthExceedsMaximum.
struct URLTransferRequest {
    URLRequest request;
    HTTPHeaderFields additionalHeaders;
    std::shared_ptr<Data> bodyData;
    std::optional<std::filesystem::path> bodyFile;
    double idleTimeout = 60;
    double totalTimeout = 0;
    std::vector<std::vector<std::uint8_t>> trustedCertificates;
    std::uint64_t maximumResponseSize = 0;
};

// One HTTP exchange over a libcurl easy handle, run by the transfer engine's thread. Made on
// any thread, then owned by the engine until it finished; cancel() may come from any thread.
class URLTransfer : public std::enable_shared_from_this<URLTransfer> {
public:
    URLTransfer(URLTransferRequest request, std::shared_ptr<URLTransferClient> client);
    ~URLTransfer();
    URLTransfer(const URLTransfer&) = delete;
    URLTransfer& operator=(const URLTransfer&) = delete;

    // Hands the exchange to the engine.
    void start();
    void cancel();

    // Engine side (transfer thread only): builds the easy handle, nil when the request
    // cannot be sent (the transfer then finished already).
    CURL* prepare();
    void finish(int curlCode);

private:
    static std::size_t onHeader(char* bytes, std::size_t size, std::size_t count, void* transfer);
    static std::size_t onData(char* bytes, std::size_t size, std::size_t count, void* transfer);
    static std::size_t onRead(char* buffer, std::size_t size, std::size_t count, void* transfer);
    static int onProgress(void* transfer, long long, long long, long long, long long);
    static int onSSLContext(CURL* handle, void* context, void* transfer);
    static int onVerifyChain(x509_store_ctx_st* context, void* transfer);

    void handleHeaderLine(std::string_view line);
    void finishWith(std::shared_ptr<Error> error);

    URLTransferRequest request_;
    std::shared_ptr<URLTransferClient> client_;
    CURL* handle_ = nullptr;
    curl_slist* headerList_ = nullptr;
    std::FILE* bodyFile_ = nullptr;
    std::size_t bodyOffset_ = 0;
    std::uint64_t receivedBytes_ = 0;
    bool receivedTooMuch_ = false;
    std::shared_ptr<security::SecTrust> undecidedTrust_;
    HTTPHeaderFields responseHeaders_;
    std::atomic<bool> cancelled_{false};
    bool finished_ = false;
    char errorBuffer_[256] = {};
};

}  // namespace foundation
