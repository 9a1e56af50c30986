#pragma once

#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/system/URLSessionConfiguration.hpp"
#include "platform/system/URLSessionDelegate.hpp"
#include "platform/system/URLSessionTask.hpp"

#include <functional>
#include <memory>
#include <set>

namespace foundation {

// A set of loads sharing a configuration and a delegate. The delegate is held strongly
// until the session is invalidated and its last task completed, as on the platform; until
// then the process keeps the session alive. Delegate calls run on the delegate queue
// (serially: give it a serial queue such as the main queue). Thread-safe.
class URLSession : public std::enable_shared_from_this<URLSession> {
public:
    static std::shared_ptr<URLSession> sessionWithConfiguration(URLSessionConfiguration configuration,
                                                                std::shared_ptr<URLSessionDelegate> delegate,
                                                                dispatch::QueuePtr delegateQueue);

    const URLSessionConfiguration& configuration() const { return configuration_; }

    // Tasks are made suspended; nil once the session was invalidated.
    std::shared_ptr<URLSessionTask> dataTaskWithRequest(const URLRequest& request);
    std::shared_ptr<URLSessionTask> uploadTaskWithRequest(const URLRequest& request, const std::shared_ptr<Data>& bodyData);
    // Background configurations upload only this way: the body is read from the file.
    std::shared_ptr<URLSessionTask> uploadTaskWithRequest(const URLRequest& request, const std::shared_ptr<URL>& fileURL);
    std::shared_ptr<URLSessionTask> downloadTaskWithRequest(const URLRequest& request);

    // Lets the running tasks finish, then releases the delegate. No new task can be made.
    void finishTasksAndInvalidate();
    bool isInvalidated() const;

    // For tasks: runs the work on the delegate queue with the delegate, unless the session
    // has let it go by then.
    void deliver(std::function<void(const std::shared_ptr<URLSessionDelegate>&, const std::shared_ptr<URLSession>&)> work);
    // For tasks, on the delegate queue after the completion was delivered.
    void taskDidComplete(const std::shared_ptr<URLSessionTask>& task);

    // What an exchange of this session sends for the request.
    URLTransferRequest transferRequest(const URLRequest& request) const;

    URLSession(URLSessionConfiguration configuration, std::shared_ptr<URLSessionDelegate> delegate,
               dispatch::QueuePtr delegateQueue);

private:
    std::shared_ptr<URLSessionTask> makeTask(URLSessionTaskKind kind, const URLRequest& request,
                                             std::shared_ptr<Data> bodyData,
                                             std::optional<std::filesystem::path> bodyFile);
    void releaseIfDone();

    const URLSessionConfiguration configuration_;
    const dispatch::QueuePtr delegateQueue_;
    struct State {
        std::shared_ptr<URLSessionDelegate> delegate;
        std::set<std::shared_ptr<URLSessionTask>> tasks;
        bool invalidated = false;
    };
    Guarded<State> state_;
};

}  // namespace foundation
