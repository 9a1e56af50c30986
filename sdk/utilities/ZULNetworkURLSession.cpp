#include "sdk/utilities/ZULNetworkURLSession.hpp"

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/Exception.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/Format.hpp"
#include "platform/foundation/Null.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/PrivateFiles.hpp"
#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/UUID.hpp"
#include "platform/objc/Class.hpp"
#include "platform/system/URLResourceValues.hpp"
#include "sdk/utilities/ZULLogger.hpp"
#include "sdk/utilities/ZULMutableDictionary.hpp"
#include "sdk/utilities/ZULNetworkLoggerDelegate.hpp"

#include <cmath>
#include <filesystem>

using foundation::Array;
using foundation::Data;
using foundation::Error;
using foundation::FileManager;
using foundation::HTTPURLResponse;
using foundation::Number;
using foundation::String;
using foundation::URL;
using foundation::URLRequest;
using foundation::URLSessionConfiguration;
using foundation::URLSessionTask;

namespace {

std::shared_ptr<Error> networkError(ZULNetworkErrorCode code, const char* context) {
    return Error::make(kZULNetworkErrorDomain, code, foundation::Dictionary::make({{kZULNetworkErrorContext, String::make(context)}}));
}

// Guards no data: SecTrustEvaluateWithError runs one at a time in the process.
std::mutex& trustEvaluationSerializer() {
    static std::mutex serializer;
    return serializer;
}

// Both process-wide tables are emptied between tests.
foundation::ProcessWideReset& tablesReset() {
    static foundation::ProcessWideReset reset([] {
        ZULNetworkURLSession::sessionIDToFetcherMap().lock()->clear();
        ZULNetworkURLSession::sessionIDToSystemCompletionHandlerDictionary()->removeAllObjects();
    });
    return reset;
}

std::shared_ptr<URL> networkDirectory() {
    auto path = FileManager::defaultManager().homeDirectoryForCurrentUser() / "Library" / "Application Support" /
                kZULNetworkApplicationSupportSubdirectory / kZULNetworkTempDirectoryName;
    return URL::fileURLWithPath(path.string());
}

}  // namespace

struct ZULNetworkURLSession::ConstructionToken {};

ZULNetworkURLSession::ZULNetworkURLSession(const ConstructionToken&)
    : objc::Object(objc::defineClass("ZULNetworkURLSession")),
      sessionID_(foundation::format("%@-%@", String::make(kZULNetworkBackgroundSessionConfigIDPrefix),
                                    String::make(foundation::UUID().UUIDString()))),
      networkDirectoryURL_(networkDirectory()), downloadedData_(Data::make()) {}

std::shared_ptr<ZULNetworkURLSession> ZULNetworkURLSession::initWithNetworkLoggerDelegate(const objc::Id& loggerDelegate) {
    auto fetcher = std::make_shared<ZULNetworkURLSession>(ConstructionToken{});
    fetcher->loggerDelegate_ = loggerDelegate;
    return fetcher;
}

std::shared_ptr<ZULNetworkURLSession> ZULNetworkURLSession::self() {
    return std::static_pointer_cast<ZULNetworkURLSession>(shared_from_this());
}

void ZULNetworkURLSession::log(ZULNetworkLogLevel level, ZULNetworkMessageCode code, const std::string& message,
                               std::shared_ptr<Array> contexts) const {
    auto delegate = loggerDelegate_.lock();
    if (!delegate || !ZULRespondsToNetworkLoggerDelegate(delegate)) return;
    if (contexts)
        ZULSendNetworkLog(delegate, level, code, String::make(message), std::move(contexts));
    else
        ZULSendNetworkLog(delegate, level, code, String::make(message));
}

std::optional<std::string> ZULNetworkURLSession::sessionIDFromAsyncPOSTRequest(const URLRequest& request,
                                                                               ZULNetworkURLSessionCompletionHandler handler) {
    uploadingFileURL_ = temporaryFilePathWithSessionID(sessionID_);
    maybeRemoveTempFilesAtURL(networkDirectoryURL_, kZULNetworkTempFolderExpireTime);

    URLSessionConfiguration config = URLSessionConfiguration::defaultSessionConfiguration();
    bool uploadsFromFile = false;
    if (backgroundNetworkEnabled_ && ensureTemporaryDirectoryExists()) {
        std::shared_ptr<Error> writeError;
        auto body = request.HTTPBody() ? request.HTTPBody() : Data::make();
        if (FileManager::defaultManager().writeData(*body, uploadingFileURL_->path(), true, &writeError,
                                                    foundation::NewFileAccess::ownerOnly)) {
            excludeFromBackupForURL(uploadingFileURL_);
            config = backgroundSessionConfigWithSessionID(sessionID_);
            uploadsFromFile = true;
        } else {
            log(kZULNetworkLogLevelError, kZULNetworkMessageCodeURLSession000, "Failed to write request data to file",
                ZULNetworkLogContexts({writeError}));
        }
    }
    populateSessionConfig(config, request);

    auto session = foundation::URLSession::sessionWithConfiguration(config, self(), dispatch::mainQueue());
    URLRequest requestWithoutBody = request;
    requestWithoutBody.setHTTPBody(nullptr);
    std::shared_ptr<URLSessionTask> task;
    if (session)
        task = uploadsFromFile ? session->uploadTaskWithRequest(requestWithoutBody, uploadingFileURL_)
                               : session->uploadTaskWithRequest(requestWithoutBody, request.HTTPBody() ? request.HTTPBody() : Data::make());
    sessionConfig_ = std::move(config);
    return startTask(session, task, request, std::move(handler));
}

std::optional<std::string> ZULNetworkURLSession::sessionIDFromAsyncGETRequest(const URLRequest& request,
                                                                              ZULNetworkURLSessionCompletionHandler handler) {
    URLSessionConfiguration config = backgroundNetworkEnabled_ ? backgroundSessionConfigWithSessionID(sessionID_)
                                                               : URLSessionConfiguration::defaultSessionConfiguration();
    populateSessionConfig(config, request);
    // This layer keeps no URL cache, so there is none to switch off.
    auto session = foundation::URLSession::sessionWithConfiguration(config, self(), dispatch::mainQueue());
    std::shared_ptr<URLSessionTask> task;
    if (session) task = session->downloadTaskWithRequest(request);
    sessionConfig_ = std::move(config);
    return startTask(session, task, request, std::move(handler));
}

std::optional<std::string> ZULNetworkURLSession::startTask(const std::shared_ptr<foundation::URLSession>& session,
                                                           const std::shared_ptr<URLSessionTask>& task,
                                                           const URLRequest& request,
                                                           ZULNetworkURLSessionCompletionHandler handler) {
    if (!session || !task) {
        // A session without a task would otherwise keep this fetcher alive for good.
        if (session) session->finishTasksAndInvalidate();
        callCompletionHandler(handler, nullptr, nullptr,
                              networkError(ZULNetworkErrorCodeInvalidSession, "Cannot create network session"));
        return std::nullopt;
    }
    URLSession_ = session;
    setSessionInFetcherMap(self(), sessionID_);
    request_ = request;
    completionHandler_ = std::move(handler);
    task->resume();
    return sessionID_;
}

void ZULNetworkURLSession::URLSession(const std::shared_ptr<foundation::URLSession>&,
                                      const std::shared_ptr<URLSessionTask>&, const std::shared_ptr<Data>& data) {
    auto downloaded = downloadedData_.lock();
    if (!*downloaded) *downloaded = Data::make();
    auto& bytes = (*downloaded)->mutableBytes();
    bytes.insert(bytes.end(), data->bytes().begin(), data->bytes().end());
}

void ZULNetworkURLSession::URLSession(const std::shared_ptr<foundation::URLSession>&,
                                      const std::shared_ptr<URLSessionTask>&, const std::shared_ptr<URL>& location) {
    std::string path = location ? location->path() : std::string();
    if (path.empty()) {
        log(kZULNetworkLogLevelError, kZULNetworkMessageCodeURLSession001, "Unable to read downloaded data from empty temp path");
        *downloadedData_.lock() = nullptr;
        return;
    }
    std::shared_ptr<Error> readError;
    auto contents = FileManager::defaultManager().contentsAtPath(path, &readError);
    if (!contents)
        log(kZULNetworkLogLevelError, kZULNetworkMessageCodeURLSession002, "Cannot read the content of downloaded data",
            ZULNetworkLogContexts({readError}));
    *downloadedData_.lock() = contents;
}

void ZULNetworkURLSession::URLSession(const std::shared_ptr<foundation::URLSession>& session,
                                      const std::shared_ptr<URLSessionTask>& task, const std::shared_ptr<Error>& error) {
    auto handler = std::exchange(completionHandler_, nullptr);
    std::shared_ptr<HTTPURLResponse> httpResponse;
    std::shared_ptr<Error> reported = error;
    // A body past the loading system's limit is no answer to judge by its status: the caller
    // hears of the failure, without the response or the part that came.
    bool tooLarge = error && error->domain() == foundation::NSURLErrorDomain &&
                    error->code() == foundation::NSURLErrorDataLengthExceedsMaximum;
    if (auto response = task->response(); response && !tooLarge) {
        httpResponse = std::dynamic_pointer_cast<HTTPURLResponse>(response);
        if (!httpResponse) foundation::Exception::raise(foundation::NSInternalInconsistencyException, "URL response must be HTTP");
        // The caller judges the HTTP status, whatever the task reported.
        reported = nullptr;
    } else if (!reported) {
        reported = networkError(ZULNetworkErrorCodeEmptyResponse, "Network Error: Empty network response");
    }
    std::shared_ptr<Data> data;
    if (!tooLarge) data = *downloadedData_.lock();
    callCompletionHandler(handler, httpResponse, data, reported);

    removeTempItemAtURL(uploadingFileURL_);
    maybeRemoveTempFilesAtURL(networkDirectoryURL_, kZULNetworkTempFolderExpireTime);

    session->finishTasksAndInvalidate();
    // Keyed by the fetcher's own identifier: a default configuration has none of its own, and
    // its entry must go as well.
    setSessionInFetcherMap(nullptr, sessionID_);
}

void ZULNetworkURLSession::URLSession(const std::shared_ptr<foundation::URLSession>&,
                                      const std::shared_ptr<URLSessionTask>&,
                                      const std::shared_ptr<foundation::URLAuthenticationChallenge>& challenge,
                                      ChallengeCompletionHandler completionHandler) {
    using foundation::URLSessionAuthChallengeDisposition;
    const auto& space = challenge->protectionSpace();
    if (space.authenticationMethod != foundation::NSURLAuthenticationMethodServerTrust)
        return completionHandler(URLSessionAuthChallengeDisposition::performDefaultHandling, nullptr);

    objc::Id host = request_ ? ZULNetworkLoggableURL(request_->URL()) : nullptr;
    auto trust = space.serverTrust;
    if (!trust) {
        log(kZULNetworkLogLevelDebug, kZULNetworkMessageCodeURLSession004, "Received empty server trust for host. Host",
            ZULNetworkLogContexts({host}));
        return completionHandler(URLSessionAuthChallengeDisposition::performDefaultHandling, nullptr);
    }
    auto credential = foundation::URLCredential::credentialForTrust(trust);
    if (!credential) {
        log(kZULNetworkLogLevelWarning, kZULNetworkMessageCodeURLSession005, "Unable to verify server identity. Host",
            ZULNetworkLogContexts({host}));
        return completionHandler(URLSessionAuthChallengeDisposition::cancelAuthenticationChallenge, nullptr);
    }
    log(kZULNetworkLogLevelDebug, kZULNetworkMessageCodeURLSession006, "Received SSL challenge for host. Host",
        ZULNetworkLogContexts({host}));
    std::weak_ptr<ZULNetworkURLSession> weakSelf = self();
    dispatch::globalQueue(dispatch::Priority::defaultPriority)->async([weakSelf, trust, credential, host, completionHandler] {
        std::shared_ptr<Error> evaluationError;
        bool trusted = false;
        {
            std::lock_guard serialized(trustEvaluationSerializer());
            trusted = security::SecTrustEvaluateWithError(trust, &evaluationError);
        }
        auto fetcher = weakSelf.lock();
        if (evaluationError && fetcher)
            fetcher->log(kZULNetworkLogLevelError, kZULNetworkMessageCodeURLSession008,
                         "Cannot evaluate server trust. Error, host",
                         ZULNetworkLogContexts({Number::withInteger(evaluationError->code()), host}));
        if (trusted) return completionHandler(URLSessionAuthChallengeDisposition::useCredential, credential);
        if (fetcher)
            fetcher->log(kZULNetworkLogLevelDebug, kZULNetworkMessageCodeURLSession007,
                         "Cancelling authentication challenge for host. Host", ZULNetworkLogContexts({host}));
        completionHandler(URLSessionAuthChallengeDisposition::cancelAuthenticationChallenge, nullptr);
    });
}

void ZULNetworkURLSession::addSystemCompletionHandler(ZULNetworkSystemCompletionHandler handler,
                                                      const std::string& identifier) {
    if (!handler) {
        log(kZULNetworkLogLevelError, kZULNetworkMessageCodeURLSession009, "Cannot store nil system completion handler in network");
        return;
    }
    if (identifier.empty()) {
        log(kZULNetworkLogLevelError, kZULNetworkMessageCodeURLSession010,
            "Cannot store system completion handler with empty network session identifier");
        return;
    }
    auto handlers = sessionIDToSystemCompletionHandlerDictionary();
    if (handlers->objectForKey(identifier))
        log(kZULNetworkLogLevelWarning, kZULNetworkMessageCodeURLSession011, "Got multiple system handlers for a single session ID");
    handlers->setObject(std::make_shared<objc::Box<ZULNetworkSystemCompletionHandler>>(std::move(handler)), identifier);
    tablesReset().arm();
}

void ZULNetworkURLSession::callSystemCompletionHandler(const std::string& identifier) {
    auto handlers = sessionIDToSystemCompletionHandlerDictionary();
    auto stored = objc::as<objc::Box<ZULNetworkSystemCompletionHandler>>(handlers->objectForKey(identifier));
    handlers->removeObjectForKey(identifier);
    if (stored && stored->value) dispatch::mainQueue()->async(stored->value);
}

URLSessionConfiguration ZULNetworkURLSession::backgroundSessionConfigWithSessionID(const std::string& sessionID) const {
    return URLSessionConfiguration::backgroundSessionConfigurationWithIdentifier(sessionID);
}

void ZULNetworkURLSession::maybeRemoveTempFilesAtURL(const std::shared_ptr<URL>& folderURL, double expiringTime) {
    if (!folderURL || folderURL->path().empty()) return;
    std::string folder = folderURL->path();
    std::shared_ptr<Error> listError;
    auto names = FileManager::defaultManager().contentsOfDirectoryAtPath(folder, &listError);
    if (!names) {
        if (listError && listError->code() != foundation::NSFileReadNoSuchFileError)
            log(kZULNetworkLogLevelDebug, kZULNetworkMessageCodeURLSession012,
                "Cannot get files from the temporary network folder. Error", ZULNetworkLogContexts({listError}));
        return;
    }
    double now = foundation::Date::now()->timeIntervalSince1970();
    for (const auto& name : *names) {
        auto path = std::filesystem::path(folder) / name;
        bool isDirectory = false;
        if (!FileManager::defaultManager().fileExistsAtPath(path, &isDirectory) || isDirectory) continue;
        auto attributes = FileManager::defaultManager().attributesOfItemAtPath(path);
        if (!attributes) continue;
        auto created = std::dynamic_pointer_cast<foundation::Date>(attributes->objectForKey(foundation::NSFileCreationDate));
        if (!created || std::fabs(now - created->timeIntervalSince1970()) <= expiringTime) continue;
        removeTempItemAtURL(URL::fileURLWithPath(path.string()));
    }
}

void ZULNetworkURLSession::removeTempItemAtURL(const std::shared_ptr<URL>& fileURL) {
    if (!fileURL || fileURL->path().empty()) return;
    std::shared_ptr<Error> removeError;
    if (FileManager::defaultManager().removeItemAtPath(fileURL->path(), &removeError)) return;
    if (removeError && removeError->code() == foundation::NSFileNoSuchFileError) return;
    log(kZULNetworkLogLevelError, kZULNetworkMessageCodeURLSession013, "Failed to remove temporary uploading data file. Error",
        ZULNetworkLogContexts({String::make(removeError ? removeError->localizedDescription() : std::string())}));
}

std::shared_ptr<URL> ZULNetworkURLSession::temporaryFilePathWithSessionID(const std::string& sessionID) const {
    return networkDirectoryURL_->URLByAppendingPathComponent(
        foundation::format(kZULNetworkTempFolderFormat, String::make(sessionID)));
}

bool ZULNetworkURLSession::ensureTemporaryDirectoryExists() {
    std::string path = networkDirectoryURL_->path();
    std::error_code accessError;
    // Something other than a directory in its place is no temporary directory either. One
    // that exists is made private again (an earlier version left it readable by all), and a
    // link in its place is refused like any other obstacle rather than written through.
    if (std::filesystem::is_directory(path, accessError) && foundation::createPrivateDirectory(path)) return true;
    if (accessError && accessError != std::errc::no_such_file_or_directory)
        log(kZULNetworkLogLevelWarning, kZULNetworkMessageCodeURLSession014,
            "Error while trying to access Network temp folder. Error",
            ZULNetworkLogContexts({Error::withDescription(foundation::NSPOSIXErrorDomain, accessError.value(), accessError.message())}));
    std::shared_ptr<Error> createError;
    if (!foundation::createPrivateDirectory(path, &createError)) {
        log(kZULNetworkLogLevelError, kZULNetworkMessageCodeURLSession015, "Cannot create temporary directory. Error",
            ZULNetworkLogContexts({createError}));
        return false;
    }
    excludeFromBackupForURL(networkDirectoryURL_);
    return true;
}

void ZULNetworkURLSession::excludeFromBackupForURL(const std::shared_ptr<URL>& url) {
    if (!url || url->path().empty()) return;
    std::shared_ptr<Error> error;
    if (!foundation::setResourceValue(*url, Number::withBool(true), foundation::NSURLIsExcludedFromBackupKey, &error))
        log(kZULNetworkLogLevelError, kZULNetworkMessageCodeURLSession016, "Cannot exclude temporary folder from iTunes backup");
}

void ZULNetworkURLSession::URLSession(const std::shared_ptr<foundation::URLSession>&,
                                      const std::shared_ptr<URLSessionTask>&,
                                      const std::shared_ptr<HTTPURLResponse>& response, const URLRequest& newRequest,
                                      RedirectCompletionHandler completionHandler) {
    switch (response->statusCode()) {
        case 300:
        case 301:
        case 302:
        case 307:
            return completionHandler(std::nullopt);
        default:
            return completionHandler(newRequest);
    }
}

void ZULNetworkURLSession::callCompletionHandler(const ZULNetworkURLSessionCompletionHandler& handler,
                                                 std::shared_ptr<HTTPURLResponse> response, std::shared_ptr<Data> data,
                                                 std::shared_ptr<Error> error) {
    if (error)
        log(kZULNetworkLogLevelError, kZULNetworkMessageCodeURLSession017, "Encounter network error. Code, error",
            ZULNetworkLogContexts({Number::withInteger(error->code()), ZULNetworkLoggableError(error)}));
    if (!handler) return;
    dispatch::mainQueue()->async([handler, response, data, sessionID = sessionID_, error] {
        handler(response, data, sessionID, error);
    });
}

void ZULNetworkURLSession::populateSessionConfig(URLSessionConfiguration& sessionConfig, const URLRequest& request) const {
    sessionConfig.HTTPAdditionalHeaders = request.allHTTPHeaderFields();
    sessionConfig.timeoutIntervalForRequest = request.timeoutInterval();
    sessionConfig.timeoutIntervalForResource = request.timeoutInterval();
    sessionConfig.requestCachePolicy = request.cachePolicy();
}

void ZULNetworkURLSession::handleEventsForBackgroundURLSessionID(const std::string& sessionID,
                                                                 ZULNetworkSystemCompletionHandler systemCompletionHandler) {
    if (!sessionID.starts_with(kZULNetworkBackgroundSessionConfigIDPrefix)) return;
    auto fetcher = fetcherWithSessionIdentifier(sessionID);
    if (!fetcher) {
        ZULLogError(kZULLoggerSubsystem, kZULNetworkLoggerService, false,
                    foundation::format(kZULNetworkMessageCodeFormat, long{kZULNetworkMessageCodeNetwork003}),
                    "Failed to retrieve background session with ID %@ after app is relaunched.", String::make(sessionID));
        return;
    }
    fetcher->addSystemCompletionHandler(std::move(systemCompletionHandler), sessionID);
}

std::shared_ptr<ZULNetworkURLSession> ZULNetworkURLSession::fetcherWithSessionIdentifier(const std::string& sessionIdentifier) {
    auto fetcher = sessionFromFetcherMapForSessionID(sessionIdentifier);
    if (!fetcher && sessionIdentifier.starts_with(kZULNetworkBackgroundSessionConfigIDPrefix)) {
        fetcher = initWithNetworkLoggerDelegate(nullptr);
        fetcher->setSessionID(sessionIdentifier);
        setSessionInFetcherMap(fetcher, sessionIdentifier);
    }
    return fetcher;
}

foundation::Guarded<std::map<std::string, std::weak_ptr<ZULNetworkURLSession>>>&
ZULNetworkURLSession::sessionIDToFetcherMap() {
    static foundation::Guarded<std::map<std::string, std::weak_ptr<ZULNetworkURLSession>>> map;
    return map;
}

std::shared_ptr<ZULMutableDictionary> ZULNetworkURLSession::sessionIDToSystemCompletionHandlerDictionary() {
    static auto dictionary = std::make_shared<ZULMutableDictionary>();
    return dictionary;
}


void ZULNetworkURLSession::setSessionInFetcherMap(const std::shared_ptr<ZULNetworkURLSession>& fetcher,
                                                  const std::string& sessionID) {
    auto map = sessionIDToFetcherMap().lock();
    tablesReset().arm();
    auto found = map->find(sessionID);
    if (found != map->end()) {
        if (auto existing = found->second.lock(); existing && existing != fetcher) {
            if (auto session = existing->URLSession_.lock()) session->finishTasksAndInvalidate();
            if (fetcher)
                existing->log(kZULNetworkLogLevelInfo, kZULNetworkMessageCodeURLSession019,
                              foundation::format("Discarding session: %@", existing));
        }
    }
    if (fetcher)
        (*map)[sessionID] = fetcher;
    else if (found != map->end())
        map->erase(found);
}

std::shared_ptr<ZULNetworkURLSession> ZULNetworkURLSession::sessionFromFetcherMapForSessionID(const std::string& sessionID) {
    auto map = sessionIDToFetcherMap().lock();
    auto found = map->find(sessionID);
    return found == map->end() ? nullptr : found->second.lock();
}
