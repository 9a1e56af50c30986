#include "platform/system/URLSessionTask.hpp"

#include "platform/objc/Class.hpp"
#include "platform/system/URLSession.hpp"

#include <cstdlib>
#include <future>
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

void URLSessionTask::startTransfer(URLRequest request, bool withBody) {
    auto session = session_.lock();
    if (!session) return complete(makeURLError(NSURLErrorCancelled, "cancelled", request.URL()));
    URLTransferRequest transferRequest = session->transferRequest(request);
    if (withBody && bodyFile_) {
        transferRequest.bodyFile = bodyFile_;
        transferRequest.bodyData = nullptr;
    } else if (withBody && bodyData_) {
        transferRequest.bodyData = bodyData_;
    } else if (!withBody) {
        transferRequest.bodyData = nullptr;
    }
    auto transfer = std::make_shared<URLTransfer>(std::move(transferRequest), self());
    {
        std::lock_guard lock(mutex_);
        if (state_ != URLSessionTaskState::running) return;
        currentRequest_ = std::move(request);
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

bool URLSessionTask::transferShouldTrustServer(const std::shared_ptr<security::SecTrust>& trust) {
    auto session = session_.lock();
    if (!session) return false;
    URLProtectionSpace space;
    space.host = trust->hostName();
    space.port = currentRequest().URL()->port().value_or(443);
    space.authenticationMethod = NSURLAuthenticationMethodServerTrust;
    space.serverTrust = trust;
    auto challenge = std::make_shared<URLAuthenticationChallenge>(std::move(space));

    using Answer = std::pair<URLSessionAuthChallengeDisposition, std::shared_ptr<URLCredential>>;
    auto promise = std::make_shared<std::promise<Answer>>();
    auto future = promise->get_future();
    session->deliver([task = self(), challenge, promise](
                         const std::shared_ptr<URLSessionDelegate>& delegate,
                         const std::shared_ptr<URLSession>& session) {
        URLSessionDelegate::ChallengeCompletionHandler completion =
            [promise](URLSessionAuthChallengeDisposition disposition, std::shared_ptr<URLCredential> credential) {
                promise->set_value({disposition, std::move(credential)});
            };
        if (delegate)
            delegate->URLSession(session, task, challenge, std::move(completion));
        else
            completion(URLSessionAuthChallengeDisposition::performDefaultHandling, nullptr);
    });

    // A delegate that drops the handler is reported as such; when assertions only log, the
    // connection waits, as on the platform, but no longer than the request's own timeout.
    double timeout = currentRequest().timeoutInterval() > 0 ? currentRequest().timeoutInterval() : 60;
    Answer answer{URLSessionAuthChallengeDisposition::cancelAuthenticationChallenge, nullptr};
    try {
        if (future.wait_for(std::chrono::duration<double>(timeout)) == std::future_status::ready) answer = future.get();
    } catch (const std::future_error&) {
        answer = {URLSessionAuthChallengeDisposition::performDefaultHandling, nullptr};
    }
    switch (answer.first) {
        case URLSessionAuthChallengeDisposition::useCredential:
            if (answer.second && answer.second->serverTrust()) return true;
            return security::SecTrustEvaluateWithError(trust, nullptr);
        case URLSessionAuthChallengeDisposition::performDefaultHandling:
            return security::SecTrustEvaluateWithError(trust, nullptr);
        case URLSessionAuthChallengeDisposition::cancelAuthenticationChallenge:
        case URLSessionAuthChallengeDisposition::rejectProtectionSpace:
            break;
    }
    std::lock_guard lock(mutex_);
    cancelledByChallenge_ = true;
    return false;
}

void URLSessionTask::transferDidFinish(std::shared_ptr<Error> error) {
    std::shared_ptr<HTTPURLResponse> redirect;
    std::string target;
    std::string body;
    {
        std::lock_guard lock(mutex_);
        transfer_.reset();
        if (error && (cancelledByChallenge_ || state_ == URLSessionTaskState::canceling))
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
