#include "platform/system/URLTransfer.hpp"

#include "platform/foundation/String.hpp"
#include "platform/system/URLErrorDescription.hpp"
#include "platform/system/URLTransferEngine.hpp"

#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>

namespace foundation {

namespace {

std::string trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return std::string(text);
}

// Names under "invalid" are reserved never to resolve: answered here, nothing asks a name
// server about them.
bool underReservedInvalidDomain(std::string host) {
    if (host.ends_with('.')) host.pop_back();
    for (auto& character : host) character = static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
    return host == "invalid" || host.ends_with(".invalid");
}

std::int64_t urlErrorCode(CURLcode code) {
    switch (code) {
        case CURLE_UNSUPPORTED_PROTOCOL: return NSURLErrorUnsupportedURL;
        case CURLE_URL_MALFORMAT: return NSURLErrorBadURL;
        case CURLE_COULDNT_RESOLVE_HOST: return NSURLErrorCannotFindHost;
        case CURLE_COULDNT_CONNECT: return NSURLErrorCannotConnectToHost;
        case CURLE_OPERATION_TIMEDOUT: return NSURLErrorTimedOut;
        case CURLE_ABORTED_BY_CALLBACK: return NSURLErrorCancelled;
        case CURLE_PEER_FAILED_VERIFICATION: return NSURLErrorServerCertificateUntrusted;
        case CURLE_SSL_CONNECT_ERROR: return NSURLErrorSecureConnectionFailed;
        case CURLE_GOT_NOTHING:
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_PARTIAL_FILE: return NSURLErrorNetworkConnectionLost;
        case CURLE_WEIRD_SERVER_REPLY: return NSURLErrorBadServerResponse;
        case CURLE_READ_ERROR: return NSURLErrorFileDoesNotExist;
        default: return NSURLErrorUnknown;
    }
}

// The absolute form of a Location value, which may be relative to the request's URL.
std::optional<std::string> resolveReference(const std::string& base, const std::string& reference) {
    std::unique_ptr<CURLU, void (*)(CURLU*)> url(curl_url(), curl_url_cleanup);
    if (!url || curl_url_set(url.get(), CURLUPART_URL, base.c_str(), 0) != CURLUE_OK) return std::nullopt;
    if (curl_url_set(url.get(), CURLUPART_URL, reference.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) return std::nullopt;
    char* resolved = nullptr;
    if (curl_url_get(url.get(), CURLUPART_URL, &resolved, 0) != CURLUE_OK || !resolved) return std::nullopt;
    std::string text = resolved;
    curl_free(resolved);
    return text;
}

std::vector<std::uint8_t> encode(X509* certificate) {
    int length = i2d_X509(certificate, nullptr);
    if (length <= 0) return {};
    std::vector<std::uint8_t> der(static_cast<std::size_t>(length));
    unsigned char* cursor = der.data();
    i2d_X509(certificate, &cursor);
    return der;
}

}  // namespace

std::shared_ptr<Error> makeURLError(std::int64_t code, const std::string& detail,
                                    const std::shared_ptr<URL>& failingURL) {
    auto userInfo = Dictionary::make({{NSLocalizedDescriptionKey, String::make(localizedDescriptionForURLError(code, failingURL))}});
    if (!detail.empty()) userInfo->setObject(String::make(detail), NSDebugDescriptionErrorKey);
    if (failingURL) {
        userInfo->setObject(failingURL, "NSErrorFailingURLKey");
        userInfo->setObject(String::make(failingURL->absoluteString()), "NSErrorFailingURLStringKey");
    }
    return Error::make(NSURLErrorDomain, code, std::move(userInfo));
}

URLTransfer::URLTransfer(URLTransferRequest request, std::shared_ptr<URLTransferClient> client)
    : request_(std::move(request)), client_(std::move(client)) {}

URLTransfer::~URLTransfer() {
    if (handle_) curl_easy_cleanup(handle_);
    if (headerList_) curl_slist_free_all(headerList_);
    if (bodyFile_) std::fclose(bodyFile_);
}

void URLTransfer::start() { URLTransferEngine::add(shared_from_this()); }

void URLTransfer::cancel() {
    cancelled_ = true;
    URLTransferEngine::wakeUp();
}

CURL* URLTransfer::prepare() {
    const URLRequest& request = request_.request;
    const auto& url = request.URL();
    if (!url || (url->scheme() != "http" && url->scheme() != "https")) {
        finishWith(makeURLError(NSURLErrorUnsupportedURL, "unsupported URL", url));
        return nullptr;
    }
    if (underReservedInvalidDomain(url->host().value_or(""))) {
        finishWith(makeURLError(NSURLErrorCannotFindHost, "not resolved: the reserved domain .invalid never resolves", url));
        return nullptr;
    }
    HTTPHeaderFields headers = request_.additionalHeaders;
    for (const auto& [name, value] : request.allHTTPHeaderFields().fields()) headers.setValue(value, name);
    // Every hop of every request passes here, whoever set its fields: the caller, the session,
    // or a delegate on a redirect.
    if (!headers.allSendable()) {
        finishWith(makeURLError(NSURLErrorBadURL, "A header field cannot be sent as it stands.", url));
        return nullptr;
    }
    // The length is that of the body actually sent: a field from the session's headers would
    // otherwise announce a body on a redirected GET that has none.
    headers.removeField("Content-Length");
    if (request_.bodyFile) {
        bodyFile_ = std::fopen(request_.bodyFile->c_str(), "rb");
        if (!bodyFile_) {
            finishWith(makeURLError(NSURLErrorFileDoesNotExist, "The file to upload cannot be read.", url));
            return nullptr;
        }
    }
    handle_ = curl_easy_init();
    if (!handle_) {
        finishWith(makeURLError(NSURLErrorUnknown, "cannot create a transfer", url));
        return nullptr;
    }
    curl_easy_setopt(handle_, CURLOPT_URL, url->absoluteString().c_str());
    curl_easy_setopt(handle_, CURLOPT_PRIVATE, this);
    curl_easy_setopt(handle_, CURLOPT_ERRORBUFFER, errorBuffer_);
    curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle_, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle_, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    // Redirects are the session's decision; every connection is new so that a trust
    // decision of one session never carries over to another's request.
    curl_easy_setopt(handle_, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(handle_, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(handle_, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(handle_, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(handle_, CURLOPT_HEADERFUNCTION, &URLTransfer::onHeader);
    curl_easy_setopt(handle_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, &URLTransfer::onData);
    curl_easy_setopt(handle_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(handle_, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle_, CURLOPT_XFERINFOFUNCTION, &URLTransfer::onProgress);
    curl_easy_setopt(handle_, CURLOPT_XFERINFODATA, this);

    auto seconds = [](double value) { return static_cast<long>(std::ceil(value)); };
    if (request_.idleTimeout > 0) {
        curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request_.idleTimeout * 1000));
        curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_TIME, seconds(request_.idleTimeout));
    }
    if (request_.totalTimeout > 0)
        curl_easy_setopt(handle_, CURLOPT_TIMEOUT_MS, static_cast<long>(request_.totalTimeout * 1000));

    if (url->scheme() == "https") {
        // The chain is judged by the session (its delegate, or the default evaluation)
        // through onVerifyChain, not by curl's own checks.
        curl_easy_setopt(handle_, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(handle_, CURLOPT_SSL_VERIFYHOST, 0L);
        curl_easy_setopt(handle_, CURLOPT_SSL_SESSIONID_CACHE, 0L);
        curl_easy_setopt(handle_, CURLOPT_SSL_CTX_FUNCTION, &URLTransfer::onSSLContext);
        curl_easy_setopt(handle_, CURLOPT_SSL_CTX_DATA, this);
    }

    // Suppress what curl would add on its own that the request did not ask for.
    if (!headers.valueForField("Expect")) headers.setValue("", "Expect");
    if (!headers.valueForField("Content-Type")) headers.setValue("", "Content-Type");
    for (const auto& [name, value] : headers.fields()) {
        std::string line = value.empty() ? name + ":" : name + ": " + value;
        headerList_ = curl_slist_append(headerList_, line.c_str());
    }
    curl_easy_setopt(handle_, CURLOPT_HTTPHEADER, headerList_);

    const std::string& method = request.HTTPMethod();
    bool hasBody = bodyFile_ || request_.bodyData;
    if (hasBody || method == "POST" || method == "PUT") {
        curl_off_t length = 0;
        if (bodyFile_) {
            std::error_code ignored;
            auto size = std::filesystem::file_size(*request_.bodyFile, ignored);
            length = ignored ? 0 : static_cast<curl_off_t>(size);
        } else if (request_.bodyData) {
            length = static_cast<curl_off_t>(request_.bodyData->length());
        }
        curl_easy_setopt(handle_, CURLOPT_POST, 1L);
        curl_easy_setopt(handle_, CURLOPT_POSTFIELDSIZE_LARGE, length);
        curl_easy_setopt(handle_, CURLOPT_READFUNCTION, &URLTransfer::onRead);
        curl_easy_setopt(handle_, CURLOPT_READDATA, this);
        if (method != "POST") curl_easy_setopt(handle_, CURLOPT_CUSTOMREQUEST, method.c_str());
    } else if (method == "HEAD") {
        curl_easy_setopt(handle_, CURLOPT_NOBODY, 1L);
    } else if (method != "GET") {
        curl_easy_setopt(handle_, CURLOPT_CUSTOMREQUEST, method.c_str());
    }
    return handle_;
}

void URLTransfer::finish(int curlCode) {
    auto code = static_cast<CURLcode>(curlCode);
    if (code == CURLE_OK) return finishWith(nullptr);
    const auto& url = request_.request.URL();
    if (cancelled_ || code == CURLE_ABORTED_BY_CALLBACK) return finishWith(makeURLError(NSURLErrorCancelled, "cancelled", url));
    if (undecidedTrust_ && !finished_) {
        finished_ = true;
        return client_->transferNeedsTrustDecision(undecidedTrust_);
    }
    if (receivedTooMuch_)
        return finishWith(makeURLError(NSURLErrorDataLengthExceedsMaximum, "The response is larger than allowed.", url));
    std::string detail = errorBuffer_[0] ? std::string(errorBuffer_) : std::string(curl_easy_strerror(code));
    finishWith(makeURLError(urlErrorCode(code), detail, url));
}

void URLTransfer::finishWith(std::shared_ptr<Error> error) {
    if (finished_) return;
    finished_ = true;
    client_->transferDidFinish(std::move(error));
}

std::size_t URLTransfer::onHeader(char* bytes, std::size_t size, std::size_t count, void* transfer) {
    static_cast<URLTransfer*>(transfer)->handleHeaderLine(std::string_view(bytes, size * count));
    return size * count;
}

void URLTransfer::handleHeaderLine(std::string_view line) {
    if (line.starts_with("HTTP/")) {
        responseHeaders_.clear();
        return;
    }
    if (line == "\r\n" || line == "\n") {
        long status = 0;
        curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &status);
        if (status >= 100 && status < 200) return;  // an interim answer; the real one follows
        std::optional<std::string> redirect;
        if (auto location = responseHeaders_.valueForField("Location"); location && status >= 300 && status < 400)
            redirect = resolveReference(request_.request.URL()->absoluteString(), *location);
        client_->transferDidReceiveResponse(status, responseHeaders_, std::move(redirect));
        return;
    }
    auto colon = line.find(':');
    if (colon == std::string_view::npos) return;
    std::string name = trimmed(line.substr(0, colon));
    std::string value = trimmed(line.substr(colon + 1));
    if (auto existing = responseHeaders_.valueForField(name)) value = *existing + ", " + value;
    responseHeaders_.setValue(std::move(value), name);
}

std::size_t URLTransfer::onData(char* bytes, std::size_t size, std::size_t count, void* argument) {
    auto* transfer = static_cast<URLTransfer*>(argument);
    std::size_t length = size * count;
    // Counted after decoding, so a small compressed answer cannot inflate without end.
    transfer->receivedBytes_ += length;
    std::uint64_t limit = transfer->request_.maximumResponseSize;
    if (limit > 0 && transfer->receivedBytes_ > limit) {
        transfer->receivedTooMuch_ = true;
        return 0;  // anything but the length given stops the exchange
    }
    transfer->client_->transferDidReceiveData(std::string_view(bytes, length));
    return length;
}

std::size_t URLTransfer::onRead(char* buffer, std::size_t size, std::size_t count, void* argument) {
    auto* transfer = static_cast<URLTransfer*>(argument);
    std::size_t capacity = size * count;
    if (transfer->bodyFile_) {
        std::size_t read = std::fread(buffer, 1, capacity, transfer->bodyFile_);
        if (read == 0 && std::ferror(transfer->bodyFile_)) return CURL_READFUNC_ABORT;
        return read;
    }
    const auto& body = transfer->request_.bodyData;
    if (!body) return 0;
    std::size_t left = body->length() - transfer->bodyOffset_;
    std::size_t chunk = std::min(left, capacity);
    std::copy_n(body->bytes().data() + transfer->bodyOffset_, chunk, buffer);
    transfer->bodyOffset_ += chunk;
    return chunk;
}

int URLTransfer::onProgress(void* transfer, long long, long long, long long, long long) {
    return static_cast<URLTransfer*>(transfer)->cancelled_ ? 1 : 0;
}

int URLTransfer::onSSLContext(CURL*, void* context, void* transfer) {
    auto* sslContext = static_cast<SSL_CTX*>(context);
    SSL_CTX_set_verify(sslContext, SSL_VERIFY_PEER, nullptr);
    SSL_CTX_set_cert_verify_callback(sslContext, &URLTransfer::onVerifyChain, transfer);
    return CURLE_OK;
}

int URLTransfer::onVerifyChain(x509_store_ctx_st* context, void* argument) {
    auto* transfer = static_cast<URLTransfer*>(argument);
    std::vector<std::vector<std::uint8_t>> chain;
    X509* leaf = X509_STORE_CTX_get0_cert(context);
    if (leaf) chain.push_back(encode(leaf));
    if (STACK_OF(X509)* untrusted = X509_STORE_CTX_get0_untrusted(context)) {
        for (int index = 0; index < sk_X509_num(untrusted); ++index) {
            X509* certificate = sk_X509_value(untrusted, index);
            if (certificate != leaf) chain.push_back(encode(certificate));
        }
    }
    if (!chain.empty() && chain == transfer->request_.trustedCertificates) return 1;
    // Stop the handshake rather than wait here for an answer: every other transfer shares
    // this thread. The question goes to the client once the exchange ended.
    const auto& url = transfer->request_.request.URL();
    transfer->undecidedTrust_ = security::SecTrust::createWithCertificates(std::move(chain), url->host().value_or(""));
    X509_STORE_CTX_set_error(context, X509_V_ERR_APPLICATION_VERIFICATION);
    return 0;
}

}  // namespace foundation
