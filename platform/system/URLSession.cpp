#include "platform/system/URLSession.hpp"

#include "platform/foundation/Guarded.hpp"

#include <atomic>

namespace foundation {

namespace {

// Sessions stay alive, as on the platform, until invalidated with no task left.
Guarded<std::set<std::shared_ptr<URLSession>>>& liveSessions() {
    static Guarded<std::set<std::shared_ptr<URLSession>>> live;
    return live;
}

std::uint64_t nextTaskIdentifier() {
    static std::atomic<std::uint64_t> counter{1};
    return counter++;
}

}  // namespace

URLSession::URLSession(URLSessionConfiguration configuration, std::shared_ptr<URLSessionDelegate> delegate,
                       dispatch::QueuePtr delegateQueue)
    : configuration_(std::move(configuration)),
      delegateQueue_(delegateQueue ? std::move(delegateQueue) : dispatch::createQueue("NSOperationQueue")),
      state_(State{std::move(delegate), {}, false}) {}

std::shared_ptr<URLSession> URLSession::sessionWithConfiguration(URLSessionConfiguration configuration,
                                                                 std::shared_ptr<URLSessionDelegate> delegate,
                                                                 dispatch::QueuePtr delegateQueue) {
    auto session = std::make_shared<URLSession>(std::move(configuration), std::move(delegate), std::move(delegateQueue));
    liveSessions().lock()->insert(session);
    return session;
}

std::shared_ptr<URLSessionTask> URLSession::makeTask(URLSessionTaskKind kind, const URLRequest& request,
                                                     std::shared_ptr<Data> bodyData,
                                                     std::optional<std::filesystem::path> bodyFile) {
    auto state = state_.lock();
    if (state->invalidated) return nullptr;
    auto task = std::make_shared<URLSessionTask>(nextTaskIdentifier(), kind, request, std::move(bodyData),
                                                 std::move(bodyFile), weak_from_this());
    state->tasks.insert(task);
    return task;
}

std::shared_ptr<URLSessionTask> URLSession::dataTaskWithRequest(const URLRequest& request) {
    return makeTask(URLSessionTaskKind::data, request, request.HTTPBody(), std::nullopt);
}

std::shared_ptr<URLSessionTask> URLSession::uploadTaskWithRequest(const URLRequest& request,
                                                                  const std::shared_ptr<Data>& bodyData) {
    // The platform refuses uploads from memory in background sessions.
    if (configuration_.isBackground()) return nullptr;
    return makeTask(URLSessionTaskKind::upload, request, bodyData ? bodyData : Data::make(), std::nullopt);
}

std::shared_ptr<URLSessionTask> URLSession::uploadTaskWithRequest(const URLRequest& request,
                                                                  const std::shared_ptr<URL>& fileURL) {
    if (!fileURL || !fileURL->isFileURL()) return nullptr;
    return makeTask(URLSessionTaskKind::upload, request, nullptr, std::filesystem::path(fileURL->path()));
}

std::shared_ptr<URLSessionTask> URLSession::downloadTaskWithRequest(const URLRequest& request) {
    return makeTask(URLSessionTaskKind::download, request, nullptr, std::nullopt);
}

void URLSession::finishTasksAndInvalidate() {
    state_.lock()->invalidated = true;
    releaseIfDone();
}

bool URLSession::isInvalidated() const {
    return state_.lock()->invalidated;
}

void URLSession::deliver(std::function<void(const std::shared_ptr<URLSessionDelegate>&, const std::shared_ptr<URLSession>&)> work) {
    delegateQueue_->async([self = shared_from_this(), work = std::move(work)] {
        auto delegate = self->state_.lock()->delegate;
        work(delegate, self);
    });
}

void URLSession::taskDidComplete(const std::shared_ptr<URLSessionTask>& task) {
    state_.lock()->tasks.erase(task);
    releaseIfDone();
}

void URLSession::releaseIfDone() {
    std::shared_ptr<URLSessionDelegate> released;  // let go of outside the lock
    {
        auto state = state_.lock();
        if (!state->invalidated || !state->tasks.empty()) return;
        released = std::exchange(state->delegate, nullptr);
    }
    std::shared_ptr<URLSession> self = shared_from_this();
    liveSessions().lock()->erase(self);
}

URLTransferRequest URLSession::transferRequest(const URLRequest& request) const {
    URLTransferRequest transfer{request, configuration_.HTTPAdditionalHeaders, request.HTTPBody(), std::nullopt,
                                configuration_.timeoutIntervalForRequest, configuration_.timeoutIntervalForResource,
                                {}, configuration_.maximumResponseSize};
    if (request.timeoutInterval() > 0) transfer.idleTimeout = request.timeoutInterval();
    return transfer;
}

}  // namespace foundation
