#pragma once

#include "platform/foundation/CompletionHandler.hpp"
#include "platform/foundation/Data.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/foundation/URL.hpp"
#include "platform/system/HTTPURLResponse.hpp"
#include "platform/system/URLAuthenticationChallenge.hpp"
#include "platform/system/URLRequest.hpp"

#include <functional>
#include <memory>
#include <optional>

namespace foundation {

class URLSession;
class URLSessionTask;

// What a session tells its delegate, always on the session's delegate queue, one call at a
// time, in the order things happened to each task. The defaults do what the platform does
// for a delegate that does not implement an operation. Each completion handler given to
// the delegate must be called exactly once, from any thread.
class URLSessionDelegate {
public:
    using ChallengeCompletionHandler = CompletionHandler<URLSessionAuthChallengeDisposition, std::shared_ptr<URLCredential>>;
    // Nullopt refuses the redirect: the task completes with the redirect response.
    using RedirectCompletionHandler = CompletionHandler<std::optional<URLRequest>>;

    virtual ~URLSessionDelegate() = default;

    // A chunk of the response body of a data or upload task.
    virtual void URLSession(const std::shared_ptr<foundation::URLSession>& session,
                            const std::shared_ptr<URLSessionTask>& dataTask, const std::shared_ptr<Data>& data);
    // A download finished into the file at the location, which is removed when this returns.
    virtual void URLSession(const std::shared_ptr<foundation::URLSession>& session,
                            const std::shared_ptr<URLSessionTask>& downloadTask,
                            const std::shared_ptr<foundation::URL>& location);
    // The task ended; the error is nil on success (any HTTP status counts as success).
    virtual void URLSession(const std::shared_ptr<foundation::URLSession>& session,
                            const std::shared_ptr<URLSessionTask>& task, const std::shared_ptr<Error>& error);
    virtual void URLSession(const std::shared_ptr<foundation::URLSession>& session,
                            const std::shared_ptr<URLSessionTask>& task,
                            const std::shared_ptr<URLAuthenticationChallenge>& challenge,
                            ChallengeCompletionHandler completionHandler);
    virtual void URLSession(const std::shared_ptr<foundation::URLSession>& session,
                            const std::shared_ptr<URLSessionTask>& task,
                            const std::shared_ptr<HTTPURLResponse>& response, const URLRequest& newRequest,
                            RedirectCompletionHandler completionHandler);
};

}  // namespace foundation
