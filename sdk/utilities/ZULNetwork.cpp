#include "sdk/utilities/ZULNetwork.hpp"

#include "platform/foundation/Format.hpp"
#include "platform/foundation/NSLog.hpp"
#include "platform/foundation/Null.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/ThreadChecker.hpp"
#include "platform/objc/Class.hpp"
#include "sdk/utilities/ZULLogger.hpp"
#include "sdk/utilities/ZULMutableDictionary.hpp"
#include "sdk/utilities/ZULNSData+zlib.hpp"
#include "sdk/utilities/ZULNetworkLoggerDelegate.hpp"
#include "sdk/utilities/ZULNetworkReachabilityDelegate.hpp"

using foundation::Array;
using foundation::Data;
using foundation::Error;
using foundation::HTTPURLResponse;
using foundation::Number;
using foundation::String;
using foundation::URL;
using foundation::URLRequest;

namespace {

constexpr const char* networkLogPrefix = "Zadizu/Utilities/Network";

const char* levelName(ZULNetworkLogLevel level) {
    switch (level) {
        case kZULNetworkLogLevelError: return "ERROR";
        case kZULNetworkLogLevelWarning: return "WARNING";
        case kZULNetworkLogLevelInfo: return "INFO";
        case kZULNetworkLogLevelDebug: return "DEBUG";
        default: return nullptr;
    }
}

// Methods other objects find through the runtime: the reachability delegate operation
// and the network logger operations, for which the network is the fetchers' delegate.
objc::Class* networkClass() {
    static objc::Class* runtimeClass = [] {
        objc::Class* created = objc::defineClass("ZULNetwork");
        ZULAdoptReachabilityDelegate(
            created, [](const objc::Id& self, std::shared_ptr<ZULReachabilityChecker> checker, ZULReachabilityStatus status) {
                objc::as<ZULNetwork>(self)->reachability(checker, status);
            });
        objc::addMethod(created, kZULNetworkLogWithContextsSelector,
                        ZULNetworkLogWithContextsImplementation(
                            [](const objc::Id& self, ZULNetworkLogLevel level, ZULNetworkMessageCode code,
                               std::shared_ptr<String> message, std::shared_ptr<Array> contexts) {
                                objc::as<ZULNetwork>(self)->ZULNetwork_logWithLevel(level, code, message, contexts);
                            }),
                        "v@:qq@@");
        objc::addMethod(created, kZULNetworkLogWithContextSelector,
                        ZULNetworkLogWithContextImplementation([](const objc::Id& self, ZULNetworkLogLevel level,
                                                                  ZULNetworkMessageCode code,
                                                                  std::shared_ptr<String> message, objc::Id context) {
                            objc::as<ZULNetwork>(self)->ZULNetwork_logWithLevel(level, code, message, context);
                        }),
                        "v@:qq@@");
        objc::addMethod(created, kZULNetworkLogSelector,
                        ZULNetworkLogImplementation([](const objc::Id& self, ZULNetworkLogLevel level,
                                                       ZULNetworkMessageCode code, std::shared_ptr<String> message) {
                            objc::as<ZULNetwork>(self)->ZULNetwork_logWithLevel(level, code, message);
                        }),
                        "v@:qq@");
        return created;
    }();
    return runtimeClass;
}

foundation::HTTPHeaderFields headerFields(const std::shared_ptr<foundation::Dictionary>& headers) {
    foundation::HTTPHeaderFields fields;
    if (!headers) return fields;
    for (const auto& [name, value] : headers->entries())
        if (value) fields.setValue(value->description(), name);
    return fields;
}

}  // namespace

struct ZULNetwork::ConstructionToken {};

ZULNetwork::ZULNetwork(const ConstructionToken&) : objc::Object(networkClass()) {}

std::shared_ptr<ZULNetwork> ZULNetwork::self() { return std::static_pointer_cast<ZULNetwork>(shared_from_this()); }

std::shared_ptr<ZULNetwork> ZULNetwork::init() { return initWithReachabilityHost(kZULNetworkDefaultReachabilityHost); }

std::shared_ptr<ZULNetwork> ZULNetwork::initWithReachabilityHost(const std::string& host) {
    auto network = std::make_shared<ZULNetwork>(ConstructionToken{});
    network->reachability_ = ZULReachabilityChecker::initWithReachabilityDelegate(network, host);
    if (!network->reachability_ || !network->reachability_->start()) return nullptr;
    network->requests_ = std::make_shared<ZULMutableDictionary>();
    network->timeoutInterval_ = kZULNetworkTimeOutInterval;
    return network;
}

ZULNetwork::~ZULNetwork() {
    if (reachability_) {
        reachability_->setReachabilityDelegate(nullptr);
        reachability_->stop();
    }
}

std::optional<std::string> ZULNetwork::postURL(const std::shared_ptr<URL>& url, const std::shared_ptr<Data>& payload,
                                               dispatch::QueuePtr queue, bool usingBackgroundSession,
                                               CompletionHandler handler) {
    return postURL(url, nullptr, payload, std::move(queue), usingBackgroundSession, std::move(handler));
}

std::optional<URLRequest> ZULNetwork::makeRequest(const std::shared_ptr<URL>& url,
                                                  const std::shared_ptr<foundation::Dictionary>& headers,
                                                  const dispatch::QueuePtr& queue, const CompletionHandler& handler) const {
    if (!url || url->absoluteString().empty()) {
        handleErrorWithCode(ZULNetworkErrorCodeInvalidURL, queue, handler);
        return std::nullopt;
    }
    double timeout = timeoutInterval_;
    if (timeout == 0) timeout = kZULNetworkTimeOutInterval;
    auto request = URLRequest::requestWithURL(url, foundation::URLRequestCachePolicy::reloadIgnoringLocalCacheData, timeout);
    if (!request) {
        handleErrorWithCode(ZULNetworkErrorCodeRequestNotStarted, queue, handler);
        return std::nullopt;
    }
    auto fields = headerFields(headers);
    // Fields that would add others of the caller's input's choosing are refused before anything starts.
    if (!fields.allSendable()) {
        handleErrorWithCode(ZULNetworkErrorCodeRequestNotStarted, queue, handler);
        return std::nullopt;
    }
    request->setAllHTTPHeaderFields(std::move(fields));
    return request;
}

std::optional<std::string> ZULNetwork::postURL(const std::shared_ptr<URL>& url,
                                               const std::shared_ptr<foundation::Dictionary>& headers,
                                               const std::shared_ptr<Data>& payload, dispatch::QueuePtr queue,
                                               bool usingBackgroundSession, CompletionHandler handler) {
    auto request = makeRequest(url, headers, queue, handler);
    if (!request) return std::nullopt;
    std::shared_ptr<Error> compressionError;
    std::shared_ptr<Data> body = zul_dataByGzippingData(payload, &compressionError);
    bool emptyPayload = !payload || payload->length() == 0;
    if (compressionError || (!body && !emptyPayload)) {
        handleErrorWithCode(ZULNetworkErrorCodeCompressionFailed, queue, handler);
        return std::nullopt;
    }
    if (!body) body = Data::make();
    request->setValue(std::to_string(body->length()), "Content-Length");
    request->setHTTPBody(body);
    request->setHTTPMethod("POST");
    request->setValue("application/x-www-form-urlencoded", "Content-Type");
    request->setValue("gzip", "Content-Encoding");
    return startFetcher(RequestMethod::post, *request, usingBackgroundSession, std::move(queue), std::move(handler),
                        kZULNetworkMessageCodeNetwork000, "Uploading data. Host");
}

std::optional<std::string> ZULNetwork::getURL(const std::shared_ptr<URL>& url,
                                              const std::shared_ptr<foundation::Dictionary>& headers,
                                              dispatch::QueuePtr queue, bool usingBackgroundSession,
                                              CompletionHandler handler) {
    auto request = makeRequest(url, headers, queue, handler);
    if (!request) return std::nullopt;
    request->setHTTPMethod("GET");
    return startFetcher(RequestMethod::get, *request, usingBackgroundSession, std::move(queue), std::move(handler),
                        kZULNetworkMessageCodeNetwork001, "Downloading data. Host");
}

std::optional<std::string> ZULNetwork::startFetcher(RequestMethod method, const URLRequest& request,
                                                    bool usingBackgroundSession,
                                                    dispatch::QueuePtr queue, CompletionHandler handler,
                                                    ZULNetworkMessageCode startedCode, const char* startedMessage) {
    auto fetcher = ZULNetworkURLSession::initWithNetworkLoggerDelegate(self());
    fetcher->setBackgroundNetworkEnabled(usingBackgroundSession);
    std::weak_ptr<ZULNetwork> weakSelf = self();
    auto fetcherCompletion = [weakSelf, queue, handler](std::shared_ptr<HTTPURLResponse> response,
                                                        std::shared_ptr<Data> data,
                                                        std::optional<std::string> sessionID,
                                                        std::shared_ptr<Error> error) {
        auto network = weakSelf.lock();
        if (!network) return;
        // A fetcher that could not make its session reports that here, and the network
        // reports the request as not started: the caller hears of it once, from the latter.
        if (error && error->domain() == kZULNetworkErrorDomain && error->code() == ZULNetworkErrorCodeInvalidSession)
            return;
        auto target = queue ? queue : dispatch::mainQueue();
        target->async([network, response, data, sessionID, error, handler] {
            if (sessionID && network->requests_->count() > 0) network->requests_->removeObjectForKey(*sessionID);
            if (handler) handler(response, data, error);
        });
    };
    // Registered before the start so that a completion arriving on another queue can never
    // overtake the registration and leave a stale entry behind.
    std::string expectedSessionID = fetcher->sessionID();
    requests_->setObject(fetcher, expectedSessionID);
    auto sessionID = method == RequestMethod::post
                         ? fetcher->sessionIDFromAsyncPOSTRequest(request, std::move(fetcherCompletion))
                         : fetcher->sessionIDFromAsyncGETRequest(request, std::move(fetcherCompletion));
    if (!sessionID) {
        requests_->removeObjectForKey(expectedSessionID);
        handleErrorWithCode(ZULNetworkErrorCodeRequestNotStarted, queue, handler);
        return std::nullopt;
    }
    ZULNetwork_logWithLevel(kZULNetworkLogLevelDebug, startedCode, String::make(startedMessage),
                            ZULNetworkLoggableURL(request.URL()));
    return sessionID;
}

bool ZULNetwork::hasUploadInProgress() const { return requests_->count() > 0; }

void ZULNetwork::reachability(const std::shared_ptr<ZULReachabilityChecker>&, ZULReachabilityStatus status) {
    dispatch::checkMainThread();
    networkConnected_ = status == kZULReachabilityViaWifi || status == 3;
    if (auto delegate = reachabilityDelegate();
        delegate && objc::respondsToSelector(delegate, kZULNetworkReachabilityDidChangeSelector))
        objc::send<void>(delegate, kZULNetworkReachabilityDidChangeSelector);
}

void ZULNetwork::setLoggerDelegate(const objc::Id& loggerDelegate) {
    if (!ZULRespondsToNetworkLoggerDelegate(loggerDelegate)) {
        ZULLogError(kZULLoggerSubsystem, kZULNetworkLoggerService, false,
                    foundation::format(kZULNetworkMessageCodeFormat, long{kZULNetworkMessageCodeNetwork002}),
                    "Cannot set the network logger delegate: delegate does not conform to the network logger protocol.");
        return;
    }
    delegates_.lock()->logger = loggerDelegate;
}

objc::Id ZULNetwork::loggerDelegate() const {
    return delegates_.lock()->logger.lock();
}

objc::Id ZULNetwork::reachabilityDelegate() const {
    return delegates_.lock()->reachability.lock();
}

void ZULNetwork::setReachabilityDelegate(const objc::Id& reachabilityDelegate) {
    delegates_.lock()->reachability = reachabilityDelegate;
}

void ZULNetwork::handleErrorWithCode(ZULNetworkErrorCode code, dispatch::QueuePtr queue,
                                     const CompletionHandler& handler) const {
    auto error = Error::make(kZULNetworkErrorDomain, code,
                             foundation::Dictionary::make({{kZULNetworkErrorContext, String::make("Failed to create network request")}}));
    ZULNetwork_logWithLevel(kZULNetworkLogLevelWarning, kZULNetworkMessageCodeNetwork002,
                            String::make("Failed to create network request. Code, error"),
                            ZULNetworkLogContexts({Number::withInteger(code), error}));
    if (!handler) return;
    auto target = queue ? queue : dispatch::mainQueue();
    target->async([handler, error] { handler(nullptr, nullptr, error); });
}

void ZULNetwork::ZULNetwork_logWithLevel(ZULNetworkLogLevel level, ZULNetworkMessageCode messageCode,
                                         std::shared_ptr<String> message, std::shared_ptr<Array> contexts) const {
    if (auto delegate = loggerDelegate()) {
        ZULSendNetworkLog(delegate, level, messageCode, std::move(message), std::move(contexts));
        return;
    }
    bool printed = level == kZULNetworkLogLevelError || level == kZULNetworkLogLevelWarning || level == kZULNetworkLogLevelInfo;
    if (!isDebugModeEnabled_ && !printed) return;

    std::string text = !message ? "(Message was nil)" : message->value().empty() ? "(Message was empty)" : message->value();
    const char* name = levelName(level);
    std::string line = foundation::format("<%@/%@> %@", String::make(networkLogPrefix),
                                          name ? objc::Id(String::make(name)) : objc::Id(), String::make(text));
    if (contexts && contexts->count() > 0) {
        line += ": ";
        bool first = true;
        for (const auto& context : contexts->items()) {
            if (!first) line += ", ";
            first = false;
            bool isNull = !context || std::dynamic_pointer_cast<foundation::Null>(context);
            line += isNull ? std::string("(nil)") : context->description();
        }
    }
    foundation::NSLog(line);
    ZULOSLogBasic(level, kZULLoggerSubsystem, kZULNetworkLoggerService, false,
                  foundation::format(kZULNetworkMessageCodeFormat, static_cast<long>(messageCode)), line, std::nullopt);
}

void ZULNetwork::ZULNetwork_logWithLevel(ZULNetworkLogLevel level, ZULNetworkMessageCode messageCode,
                                         std::shared_ptr<String> message, objc::Id context) const {
    if (auto delegate = loggerDelegate()) {
        ZULSendNetworkLog(delegate, level, messageCode, std::move(message), std::move(context));
        return;
    }
    auto contexts = Array::make();
    if (context) contexts->addObject(std::move(context));
    ZULNetwork_logWithLevel(level, messageCode, std::move(message), contexts);
}

void ZULNetwork::ZULNetwork_logWithLevel(ZULNetworkLogLevel level, ZULNetworkMessageCode messageCode,
                                         std::shared_ptr<String> message) const {
    if (auto delegate = loggerDelegate()) {
        ZULSendNetworkLog(delegate, level, messageCode, std::move(message));
        return;
    }
    ZULNetwork_logWithLevel(level, messageCode, std::move(message), Array::make());
}

void ZULNetwork::handleEventsForBackgroundURLSessionID(const std::string& sessionID,
                                                       ZULNetworkSystemCompletionHandler completionHandler) {
    ZULNetworkURLSession::handleEventsForBackgroundURLSessionID(sessionID, std::move(completionHandler));
}
