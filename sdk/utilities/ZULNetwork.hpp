#pragma once

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Data.hpp"
#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/URL.hpp"
#include "platform/system/HTTPURLResponse.hpp"
#include "sdk/utilities/ZULNetworkConstants.hpp"
#include "sdk/utilities/ZULNetworkURLSession.hpp"
#include "sdk/utilities/ZULReachabilityChecker.hpp"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class ZULMutableDictionary;

// The host whose reachability a network made with init() watches: the analytics service.
inline constexpr const char* kZULNetworkDefaultReachabilityHost = "measurement.zadizu.com";

// The SDK's HTTP front end: sends a gzip-compressed POST or a GET, keeps each request's
// fetcher until it completed, and reports on the caller's queue (the main queue when none).
// Callable from any thread; the request map is queue-guarded and the flags are atomic.
// Reachability reports arrive on the main thread. Delegates are held weakly.
class ZULNetwork final : public objc::Object {
public:
    using CompletionHandler = std::function<void(std::shared_ptr<foundation::HTTPURLResponse>,
                                                 std::shared_ptr<foundation::Data>, std::shared_ptr<foundation::Error>)>;

    static std::shared_ptr<ZULNetwork> init();
    // Nil when the host's reachability cannot be watched (an empty host included).
    static std::shared_ptr<ZULNetwork> initWithReachabilityHost(const std::string& host);
    ~ZULNetwork() override;

    // The session identifier of the started request, or nil (the handler then gets the error).
    std::optional<std::string> postURL(const std::shared_ptr<foundation::URL>& url,
                                       const std::shared_ptr<foundation::Data>& payload, dispatch::QueuePtr queue,
                                       bool usingBackgroundSession, CompletionHandler handler);
    std::optional<std::string> postURL(const std::shared_ptr<foundation::URL>& url,
                                       const std::shared_ptr<foundation::Dictionary>& headers,
                                       const std::shared_ptr<foundation::Data>& payload, dispatch::QueuePtr queue,
                                       bool usingBackgroundSession, CompletionHandler handler);
    std::optional<std::string> getURL(const std::shared_ptr<foundation::URL>& url,
                                      const std::shared_ptr<foundation::Dictionary>& headers, dispatch::QueuePtr queue,
                                      bool usingBackgroundSession, CompletionHandler handler);
    // True while any request (POST or GET) is in flight.
    bool hasUploadInProgress() const;

    // The reachability delegate operation (main thread).
    void reachability(const std::shared_ptr<ZULReachabilityChecker>& reachability, ZULReachabilityStatus status);
    // Accepted only from an object that answers all three logging selectors (nil answers none).
    void setLoggerDelegate(const objc::Id& loggerDelegate);
    void handleErrorWithCode(ZULNetworkErrorCode code, dispatch::QueuePtr queue, const CompletionHandler& handler) const;

    void ZULNetwork_logWithLevel(ZULNetworkLogLevel level, ZULNetworkMessageCode messageCode,
                                 std::shared_ptr<foundation::String> message,
                                 std::shared_ptr<foundation::Array> contexts) const;
    void ZULNetwork_logWithLevel(ZULNetworkLogLevel level, ZULNetworkMessageCode messageCode,
                                 std::shared_ptr<foundation::String> message, objc::Id context) const;
    void ZULNetwork_logWithLevel(ZULNetworkLogLevel level, ZULNetworkMessageCode messageCode,
                                 std::shared_ptr<foundation::String> message) const;

    bool isNetworkConnected() const { return networkConnected_; }
    objc::Id reachabilityDelegate() const;
    void setReachabilityDelegate(const objc::Id& reachabilityDelegate);
    objc::Id loggerDelegate() const;
    bool isDebugModeEnabled() const { return isDebugModeEnabled_; }
    void setIsDebugModeEnabled(bool enabled) { isDebugModeEnabled_ = enabled; }
    double timeoutInterval() const { return timeoutInterval_; }
    void setTimeoutInterval(double seconds) { timeoutInterval_ = seconds; }

    static void handleEventsForBackgroundURLSessionID(const std::string& sessionID,
                                                      ZULNetworkSystemCompletionHandler completionHandler);

    struct ConstructionToken;
    explicit ZULNetwork(const ConstructionToken&);

private:
    // Steps common to POST and GET: the URL check and the request with the caller's header
    // fields; nil (with the caller told) when there is none.
    std::optional<foundation::URLRequest> makeRequest(const std::shared_ptr<foundation::URL>& url,
                                                      const std::shared_ptr<foundation::Dictionary>& headers,
                                                      const dispatch::QueuePtr& queue,
                                                      const CompletionHandler& handler) const;
    enum class RequestMethod { post, get };
    std::optional<std::string> startFetcher(RequestMethod method, const foundation::URLRequest& request,
                                            bool usingBackgroundSession,
                                            dispatch::QueuePtr queue, CompletionHandler handler,
                                            ZULNetworkMessageCode startedCode, const char* startedMessage);
    std::shared_ptr<ZULNetwork> self();

    std::shared_ptr<ZULReachabilityChecker> reachability_;
    std::shared_ptr<ZULMutableDictionary> requests_;
    std::atomic<bool> networkConnected_{false};
    std::atomic<bool> isDebugModeEnabled_{false};
    struct Delegates {
        objc::WeakId reachability;
        objc::WeakId logger;
    };
    foundation::Guarded<Delegates> delegates_;
    std::atomic<double> timeoutInterval_{kZULNetworkTimeOutInterval};
};
