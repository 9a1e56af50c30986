#include "platform/system/URLSessionTask.hpp"

#include "platform/objc/Class.hpp"
#include "platform/system/URLSession.hpp"

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <unistd.h>

namespace foundation {

namespace {

// The platform gives up after this many redirects of one task.
constexpr int maximumRedirects = 16;

bool changesToGet(long statusCode, const std::string& method) {
    if (statusCode == 303) return method != "HEAD" && method != "GET";
    return (statusCode == 301 || statusCode == 302) && method == "POST";
}

bool sendsBody(const std::string& method) { return method != "GET" && method != "HEAD"; }

// A server that presents yet another chain each time it is asked about is given up on.
constexpr int maximumTrustQuestionsPerHop = 3;

// The fields that carry the caller's credentials; they go to the origin they were meant for only.
constexpr const char* credentialFields[] = {"Authorization", "Cookie", "Proxy-Authorization"};

int effectivePort(const URL& url) { return url.port().value_or(url.scheme() == "https" ? 443 : 80); }

std::string lowercased(const std::optional<std::string>& text) {
    std::string result = text.value_or("");
    for (auto& character : result) character = static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
    return result;
}

bool sameOrigin(const std::shared_ptr<URL>& left, const std::shared_ptr<URL>& right) {
    return left && right && lowercased(left->scheme()) == lowercased(right->scheme()) &&
           lowercased(left->host()) == lowercased(right->host()) && effectivePort(*left) == effectivePort(*right);
}

bool leavesHTTPS(const std::shared_ptr<URL>& from, const std::shared_ptr<URL>& to) {
    return from && from->scheme() == "https" && (!to || to->scheme() != "https");
}

void removeCredentials(HTTPHeaderFields& fields) {
    for (const char* field : credentialFields) fields.removeField(field);
}

// A file for a finished download, in the temporary directory; nullopt when none can be made.
std::optional<std::filesystem::path> writeDownloadFile(const std::string& body) {
    std::string pattern = (std::filesystem::temp_directory_path() / "CFNetworkDownload_XXXXXX").string();
    int descriptor = mkstemp(pattern.data());
    if (descriptor < 0) return std::nullopt;
    std::size_t written = 0;
    while (written < body.size()) {
        ssize_t result = ::write(descriptor, body.data() + written, body.size() - written);
        if (result <= 0) {
            ::close(descriptor);
            std::filesystem::remove(pattern);
            return std::nullopt;
        }
        written += static_cast<std::size_t>(result);
    }
    ::close(descriptor);
    return std::filesystem::path(pattern);
}

}  // namespace

URLSessionTask::URLSessionTask(std::uint64_t identifier, URLSessionTaskKind kind, URLRequest request,
                               std::shared_ptr<Data> bodyData, std::optional<std::filesystem::path> bodyFile,
                               std::weak_ptr<URLSession> session)
    : objc::Object(objc::defineClass("NSURLSessionTask")), identifier_(identifier), kind_(kind),
      originalRequest_(request), bodyData_(std::move(bodyData)), bodyFile_(std::move(bodyFile)),
      session_(std::move(session)), currentRequest_(std::move(request)) {}

std::shared_ptr<URLSessionTask> URLSessionTask::self() {
    return std::static_pointer_cast<URLSessionTask>(shared_from_this());
}

URLRequest URLSessionTask::currentRequest() const {
    std::lock_guard lock(mutex_);
    return currentRequest_;
}

std::shared_ptr<URLResponse> URLSessionTask::response() const {
    std::lock_guard lock(mutex_);
    return response_;
}

URLSessionTaskState URLSessionTask::state() const {
    std::lock_guard lock(mutex_);
    return state_;
}

std::shared_ptr<Error> URLSessionTask::error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

void URLSessionTask::resume() {
    URLRequest request = originalRequest_;
    {
        std::lock_guard lock(mutex_);
        if (state_ != URLSessionTaskState::suspended) return;
        state_ = URLSessionTaskState::running;
        request = currentRequest_;
    }
    startTransfer(std::move(request), true);
}

void URLSessionTask::cancel() {
    std::shared_ptr<URLTransfer> transfer;
    {
        std::lock_guard lock(mutex_);
        if (state_ == URLSessionTaskState::completed || state_ == URLSessionTaskState::canceling) return;
        state_ = URLSessionTaskState::canceling;
        transfer = transfer_;
    }
    // A running exchange reports the cancellation when it stops; otherwise nothing will.
    if (transfer)
        transfer->cancel();
    else
        complete(makeURLError(NSURLErrorCancelled, "cancelled", originalRequest_.URL()));
}

void URLSessionTask::startTransfer(URLRequest request, bool withBody,
                                   std::vector<std::vector<std::uint8_t>> trustedCertificates) {
    auto session = session_.lock();
    if (!session) return complete(makeURLError(NSURLErrorCancelled, "cancelled", request.URL()));
    URLTransferRequest transferRequest = session->transferRequest(request);
    transferRequest.trustedCertificates = std::move(trustedCertificates);
    bool leftOrigin = !sameOrigin(request.URL(), originalRequest_.URL());
    std::shared_ptr<URLTransfer> transfer;
    if (withBody && bodyFile_) {
        transferRequest.bodyFile = bodyFile_;
        transferRequest.bodyData = nullptr;
    } else if (withBody && bodyData_) {
        transferRequest.bodyData = bodyData_;
    } else if (!withBody) {
        transferRequest.bodyData = nullptr;
    }
    {
        std::lock_guard lock(mutex_);
        if (state_ != URLSessionTaskState::running) return;
        leftOrigin_ = leftOrigin_ || leftOrigin;
        if (leftOrigin_) {
            removeCredentials(transferRequest.additionalHeaders);
            HTTPHeaderFields fields = transferRequest.request.allHTTPHeaderFields();
            removeCredentials(fields);
            transferRequest.request.setAllHTTPHeaderFields(std::move(fields));
        }
        if (transferRequest.trustedCertificates.empty()) trustQuestionsThisHop_ = 0;
        hopSendsBody_ = withBody;
        currentRequest_ = std::move(request);
        transfer = std::make_shared<URLTransfer>(std::move(transferRequest), self());
        transfer_ = transfer;
    }
    transfer->start();
}

void URLSessionTask::transferDidReceiveResponse(long statusCode, HTTPHeaderFields headers,
                                                std::optional<std::string> redirectURL) {
    std::lock_guard lock(mutex_);
    auto response = std::make_shared<HTTPURLResponse>(currentRequest_.URL(), statusCode, std::move(headers));
    heldBody_.clear();
    if (redirectURL && statusCode >= 300 && statusCode < 400) {
        redirectResponse_ = std::move(response);
        redirectTarget_ = std::move(redirectURL);
        return;
    }
    redirectResponse_ = nullptr;
    redirectTarget_.reset();
    response_ = std::move(response);
}

void URLSessionTask::transferDidReceiveData(std::string_view bytes) {
    {
        std::lock_guard lock(mutex_);
        if (redirectResponse_ || kind_ == URLSessionTaskKind::download) {
            heldBody_.append(bytes);
            return;
        }
    }
    auto session = session_.lock();
    if (!session) return;
    auto data = Data::fromString(bytes);
    session->deliver([task = self(), data](const std::shared_ptr<URLSessionDelegate>& delegate,
                                           const std::shared_ptr<URLSession>& session) {
        if (delegate) delegate->URLSession(session, task, data);
    });
}

void URLSessionTask::transferNeedsTrustDecision(const std::shared_ptr<security::SecTrust>& trust) {
    bool canceling = false;
    bool tooMany = false;
    std::shared_ptr<URL> url;
    double timeout = 60;
    {
        std::lock_guard lock(mutex_);
        transfer_.reset();
        canceling = state_ == URLSessionTaskState::canceling;
        tooMany = ++trustQuestionsThisHop_ > maximumTrustQuestionsPerHop;
        url = currentRequest_.URL();
        if (currentRequest_.timeoutInterval() > 0) timeout = currentRequest_.timeoutInterval();
    }
    if (canceling) return complete(makeURLError(NSURLErrorCancelled, "cancelled", url));
    if (tooMany)
        return complete(makeURLError(NSURLErrorSecureConnectionFailed, "the server's certificates keep changing", url));
    auto session = session_.lock();
    if (!session) return complete(makeURLError(NSURLErrorCancelled, "cancelled", url));
    URLProtectionSpace space;
    space.host = trust->hostName();
    space.port = url->port().value_or(443);
    space.authenticationMethod = NSURLAuthenticationMethodServerTrust;
    space.serverTrust = trust;
    auto challenge = std::make_shared<URLAuthenticationChallenge>(std::move(space));

    // The delegate's answer or the timeout, whichever comes first, decides.
    auto settled = std::make_shared<std::atomic<bool>>(false);
    std::weak_ptr<URLSessionTask> weakTask = self();
    auto settle = [weakTask, trust, settled](URLSessionAuthChallengeDisposition disposition,
                                             std::shared_ptr<URLCredential> credential) {
        if (settled->exchange(true)) return;
        if (auto task = weakTask.lock()) task->answerTrustQuestion(trust, disposition, credential);
    };
    session->deliver([task = self(), challenge, settle](const std::shared_ptr<URLSessionDelegate>& delegate,
                                                        const std::shared_ptr<URLSession>& session) {
        URLSessionDelegate::ChallengeCompletionHandler completion =
            [settle](URLSessionAuthChallengeDisposition disposition, std::shared_ptr<URLCredential> credential) {
                settle(disposition, std::move(credential));
            };
        if (delegate)
            delegate->URLSession(session, task, challenge, std::move(completion));
        else
            completion(URLSessionAuthChallengeDisposition::performDefaultHandling, nullptr);
    });
    // A delegate that never answers leaves the task waiting, as on the platform, but no longer
    // than the request's own timeout.
    dispatch::globalQueue()->after(std::chrono::duration_cast<dispatch::Duration>(std::chrono::duration<double>(timeout)),
                                   [settle] { settle(URLSessionAuthChallengeDisposition::cancelAuthenticationChallenge, nullptr); });
}

void URLSessionTask::answerTrustQuestion(const std::shared_ptr<security::SecTrust>& trust,
                                         URLSessionAuthChallengeDisposition disposition,
                                         const std::shared_ptr<URLCredential>& credential) {
    switch (disposition) {
        case URLSessionAuthChallengeDisposition::useCredential:
            if (credential && credential->serverTrust()) return resendTrusting(trust);
            [[fallthrough]];
        case URLSessionAuthChallengeDisposition::performDefaultHandling:
            // The evaluation reads the certificate store: never on the delegate's queue.
            return dispatch::globalQueue()->async([task = self(), trust] {
                if (security::SecTrustEvaluateWithError(trust, nullptr)) return task->resendTrusting(trust);
                task->complete(makeURLError(NSURLErrorServerCertificateUntrusted, "The certificate for this server is invalid.",
                                            task->currentRequest().URL()));
            });
        case URLSessionAuthChallengeDisposition::cancelAuthenticationChallenge:
        case URLSessionAuthChallengeDisposition::rejectProtectionSpace:
            break;
    }
    complete(makeURLError(NSURLErrorCancelled, "cancelled", currentRequest().URL()));
}

void URLSessionTask::resendTrusting(const std::shared_ptr<security::SecTrust>& trust) {
    bool withBody = false;
    {
        std::lock_guard lock(mutex_);
        withBody = hopSendsBody_;
    }
    startTransfer(currentRequest(), withBody, trust->certificates());
}

void URLSessionTask::transferDidFinish(std::shared_ptr<Error> error) {
    std::shared_ptr<HTTPURLResponse> redirect;
    std::string target;
    std::string body;
    {
        std::lock_guard lock(mutex_);
        transfer_.reset();
        if (error && state_ == URLSessionTaskState::canceling)
            error = makeURLError(NSURLErrorCancelled, "cancelled", currentRequest_.URL());
        if (!error && redirectResponse_) {
            redirect = std::exchange(redirectResponse_, nullptr);
            target = redirectTarget_.value_or("");
            redirectTarget_.reset();
        }
        body = std::move(heldBody_);
        heldBody_.clear();
    }
    if (error) return complete(std::move(error));
    if (redirect) return followOrRefuseRedirect(std::move(redirect), target, std::move(body));
    if (kind_ == URLSessionTaskKind::download) return deliverDownload(std::move(body));
    complete(nullptr);
}

void URLSessionTask::followOrRefuseRedirect(std::shared_ptr<HTTPURLResponse> response, const std::string& target,
                                            std::string body) {
    URLRequest newRequest = currentRequest();
    bool tooMany = false;
    {
        std::lock_guard lock(mutex_);
        tooMany = ++redirectCount_ > maximumRedirects;
    }
    if (tooMany)
        return complete(makeURLError(NSURLErrorHTTPTooManyRedirects, "too many HTTP redirects", response->URL()));
    auto url = URL::URLWithString(target);
    if (!url) return finishWithRedirectResponse(std::move(response), std::move(body));
    newRequest.setURL(url);
    if (changesToGet(response->statusCode(), newRequest.HTTPMethod())) {
        newRequest.setHTTPMethod("GET");
        newRequest.setHTTPBody(nullptr);
        HTTPHeaderFields headers = newRequest.allHTTPHeaderFields();
        for (const char* field : {"Content-Length", "Content-Type", "Content-Encoding"}) headers.removeField(field);
        newRequest.setAllHTTPHeaderFields(std::move(headers));
    }
    auto session = session_.lock();
    if (!session) return complete(makeURLError(NSURLErrorCancelled, "cancelled", url));
    std::weak_ptr<URLSessionTask> weakTask = self();
    URLSessionDelegate::RedirectCompletionHandler completion =
        [weakTask, response, body](std::optional<URLRequest> request) {
            auto task = weakTask.lock();
            if (!task) return;
            // Leaving https would put the request, and what answers it, in clear text.
            if (request && leavesHTTPS(response->URL(), request->URL())) request.reset();
            if (request) {
                bool withBody = sendsBody(request->HTTPMethod());
                task->startTransfer(std::move(*request), withBody);
            } else {
                task->finishWithRedirectResponse(response, body);
            }
        };
    session->deliver([task = self(), response, newRequest, completion](
                         const std::shared_ptr<URLSessionDelegate>& delegate, const std::shared_ptr<URLSession>& session) {
        if (delegate)
            delegate->URLSession(session, task, response, newRequest, completion);
        else
            completion(newRequest);
    });
}

void URLSessionTask::finishWithRedirectResponse(std::shared_ptr<HTTPURLResponse> response, std::string body) {
    {
        std::lock_guard lock(mutex_);
        response_ = std::move(response);
    }
    if (kind_ == URLSessionTaskKind::download) return deliverDownload(std::move(body));
    if (!body.empty()) {
        if (auto session = session_.lock()) {
            auto data = Data::fromString(body);
            session->deliver([task = self(), data](const std::shared_ptr<URLSessionDelegate>& delegate,
                                                   const std::shared_ptr<URLSession>& session) {
                if (delegate) delegate->URLSession(session, task, data);
            });
        }
    }
    complete(nullptr);
}

void URLSessionTask::deliverDownload(std::string body) {
    auto path = writeDownloadFile(body);
    if (!path)
        return complete(makeURLError(NSURLErrorCannotCreateFile, "The downloaded data cannot be stored.",
                                     currentRequest().URL()));
    auto session = session_.lock();
    if (!session) {
        std::error_code ignored;
        std::filesystem::remove(*path, ignored);
        return;
    }
    auto location = URL::fileURLWithPath(path->string());
    session->deliver([task = self(), location, path = *path](const std::shared_ptr<URLSessionDelegate>& delegate,
                                                            const std::shared_ptr<URLSession>& session) {
        if (delegate) delegate->URLSession(session, task, location);
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    });
    complete(nullptr);
}

void URLSessionTask::complete(std::shared_ptr<Error> error) {
    {
        std::lock_guard lock(mutex_);
        if (state_ == URLSessionTaskState::completed) return;
        state_ = URLSessionTaskState::completed;
        error_ = error;
    }
    auto session = session_.lock();
    if (!session) return;
    session->deliver([task = self(), error](const std::shared_ptr<URLSessionDelegate>& delegate,
                                            const std::shared_ptr<URLSession>& session) {
        if (delegate) delegate->URLSession(session, task, error);
        session->taskDidComplete(task);
    });
}

}  // namespace foundation
