#include "platform/system/URLSessionTask.hpp"

#include "platform/foundation/String.hpp"
#include "platform/objc/Class.hpp"
#include "platform/system/URLSession.hpp"
#include "platform/system/UnifiedLog.hpp"

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

// The delegate is told the worded error; the log also gets the server and the technical detail,
// but never the address's path or query, which may carry credentials.
void logFailure(std::uint64_t task, const Error& error, const std::shared_ptr<URL>& url) {
    static const darwin::os_log_t log = darwin::os_log_create("platform.network", "URLSession");
    std::string line = "Task " + std::to_string(task) + " finished with error [" + std::to_string(error.code()) + "] " +
                       error.localizedDescription();
    if (url && url->host()) line += " Server: " + *url->host() + ":" + std::to_string(effectivePort(*url)) + ".";
    if (auto detail = stringValue(error.userInfo()->objectForKey(NSDebugDescriptionErrorKey))) line += " Detail: " + *detail;
    darwin::os_log_with_type(log, darwin::os_log_type_t::defaultType, line);
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
      session_(std::move(session)), progress_(std::move(request)) {}

std::shared_ptr<URLSessionTask> URLSessionTask::self() {
    return std::static_pointer_cast<URLSessionTask>(shared_from_this());
}

URLRequest URLSessionTask::currentRequest() const { return progress_.lock()->currentRequest; }

std::shared_ptr<URLResponse> URLSessionTask::response() const { return progress_.lock()->response; }

URLSessionTaskState URLSessionTask::state() const { return progress_.lock()->state; }

std::shared_ptr<Error> URLSessionTask::error() const { return progress_.lock()->error; }

void URLSessionTask::resume() {
    URLRequest request = originalRequest_;
    {
        auto progress = progress_.lock();
        if (progress->state != URLSessionTaskState::suspended) return;
        progress->state = URLSessionTaskState::running;
        request = progress->currentRequest;
    }
    startTransfer(std::move(request), true);
}

void URLSessionTask::cancel() {
    std::shared_ptr<URLTransfer> transfer;
    {
        auto progress = progress_.lock();
        if (progress->state == URLSessionTaskState::completed || progress->state == URLSessionTaskState::canceling)
            return;
        progress->state = URLSessionTaskState::canceling;
        transfer = progress->transfer;
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
        auto progress = progress_.lock();
        if (progress->state != URLSessionTaskState::running) return;
        progress->leftOrigin = progress->leftOrigin || leftOrigin;
        if (progress->leftOrigin) {
            removeCredentials(transferRequest.additionalHeaders);
            HTTPHeaderFields fields = transferRequest.request.allHTTPHeaderFields();
            removeCredentials(fields);
            transferRequest.request.setAllHTTPHeaderFields(std::move(fields));
        }
        if (transferRequest.trustedCertificates.empty()) progress->trustQuestionsThisHop = 0;
        progress->hopSendsBody = withBody;
        progress->currentRequest = std::move(request);
        transfer = std::make_shared<URLTransfer>(std::move(transferRequest), self());
        progress->transfer = transfer;
    }
    transfer->start();
}

void URLSessionTask::transferDidReceiveResponse(long statusCode, HTTPHeaderFields headers,
                                                std::optional<std::string> redirectURL) {
    auto progress = progress_.lock();
    auto response = std::make_shared<HTTPURLResponse>(progress->currentRequest.URL(), statusCode, std::move(headers));
    progress->heldBody.clear();
    if (redirectURL && statusCode >= 300 && statusCode < 400) {
        progress->redirectResponse = std::move(response);
        progress->redirectTarget = std::move(redirectURL);
        return;
    }
    progress->redirectResponse = nullptr;
    progress->redirectTarget.reset();
    progress->response = std::move(response);
}

void URLSessionTask::transferDidReceiveData(std::string_view bytes) {
    {
        auto progress = progress_.lock();
        if (progress->redirectResponse || kind_ == URLSessionTaskKind::download) {
            progress->heldBody.append(bytes);
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
    std::uint64_t question = 0;
    {
        auto progress = progress_.lock();
        progress->transfer.reset();
        canceling = progress->state == URLSessionTaskState::canceling;
        tooMany = ++progress->trustQuestionsThisHop > maximumTrustQuestionsPerHop;
        url = progress->currentRequest.URL();
        if (progress->currentRequest.timeoutInterval() > 0) timeout = progress->currentRequest.timeoutInterval();
        if (!canceling && !tooMany) progress->openTrustQuestion = question = ++progress->trustQuestionsAsked;
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

    // The delegate's answer or the timeout, whichever closes the question first, decides.
    std::weak_ptr<URLSessionTask> weakTask = self();
    auto settle = [weakTask, trust, question](URLSessionAuthChallengeDisposition disposition,
                                              std::shared_ptr<URLCredential> credential) {
        auto task = weakTask.lock();
        if (task && task->closeTrustQuestion(question)) task->answerTrustQuestion(trust, disposition, credential);
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

bool URLSessionTask::closeTrustQuestion(std::uint64_t question) {
    auto progress = progress_.lock();
    if (progress->openTrustQuestion != question) return false;
    progress->openTrustQuestion = 0;
    return true;
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
    auto [request, withBody] =
        progress_.withLock([](const Progress& progress) { return std::pair(progress.currentRequest, progress.hopSendsBody); });
    startTransfer(std::move(request), withBody, trust->certificates());
}

void URLSessionTask::transferDidFinish(std::shared_ptr<Error> error) {
    std::shared_ptr<HTTPURLResponse> redirect;
    std::string target;
    std::string body;
    {
        auto progress = progress_.lock();
        progress->transfer.reset();
        if (error && progress->state == URLSessionTaskState::canceling)
            error = makeURLError(NSURLErrorCancelled, "cancelled", progress->currentRequest.URL());
        if (!error && progress->redirectResponse) {
            redirect = std::exchange(progress->redirectResponse, nullptr);
            target = progress->redirectTarget.value_or("");
            progress->redirectTarget.reset();
        }
        body = std::move(progress->heldBody);
        progress->heldBody.clear();
    }
    if (error) return complete(std::move(error));
    if (redirect) return followOrRefuseRedirect(std::move(redirect), target, std::move(body));
    if (kind_ == URLSessionTaskKind::download) return deliverDownload(std::move(body));
    complete(nullptr);
}

void URLSessionTask::followOrRefuseRedirect(std::shared_ptr<HTTPURLResponse> response, const std::string& target,
                                            std::string body) {
    URLRequest newRequest = currentRequest();
    bool tooMany = ++progress_.lock()->redirectCount > maximumRedirects;
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
    progress_.lock()->response = std::move(response);
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
        auto progress = progress_.lock();
        if (progress->state == URLSessionTaskState::completed) return;
        progress->state = URLSessionTaskState::completed;
        progress->error = error;
    }
    if (error && error->code() != NSURLErrorCancelled) logFailure(identifier_, *error, currentRequest().URL());
    auto session = session_.lock();
    if (!session) return;
    session->deliver([task = self(), error](const std::shared_ptr<URLSessionDelegate>& delegate,
                                            const std::shared_ptr<URLSession>& session) {
        if (delegate) delegate->URLSession(session, task, error);
        session->taskDidComplete(task);
    });
}

}  // namespace foundation
