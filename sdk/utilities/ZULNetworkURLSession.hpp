#pragma once

#include "platform/foundation/Array.hpp"
#include "platform/foundation/CompletionHandler.hpp"
#include "platform/foundation/Data.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/URL.hpp"
#include "platform/system/URLSession.hpp"
#include "sdk/utilities/ZULNetworkConstants.hpp"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

class ZULMutableDictionary;

// What a fetcher reports when its request ended: the HTTP response (nil when none came),
// the body gathered, the session identifier and the error. Called on the main queue.
using ZULNetworkURLSessionCompletionHandler =
    foundation::CompletionHandler<std::shared_ptr<foundation::HTTPURLResponse>, std::shared_ptr<foundation::Data>,
                                  std::optional<std::string>, std::shared_ptr<foundation::Error>>;
// The platform's handler for a relaunched background session.
using ZULNetworkSystemCompletionHandler = std::function<void()>;

// Carries out one request in a URL session of its own (a background one uploading from a
// temporary file, when allowed), answers the session's trust and redirect questions, and
// cleans up its temporary files. The session's delegate calls arrive on the main queue;
// the downloaded data is guarded by the fetcher's lock. The session holds the fetcher until
// the request ended; the process-wide fetcher map holds it weakly by session identifier.
class ZULNetworkURLSession final : public objc::Object, public foundation::URLSessionDelegate {
public:
    // The logger delegate (held weakly) receives the fetcher's lines; nil drops them.
    static std::shared_ptr<ZULNetworkURLSession> initWithNetworkLoggerDelegate(const objc::Id& loggerDelegate);

    // Starts the request and returns its session identifier, or nil when it could not start
    // (the handler is then called with error 2).
    std::optional<std::string> sessionIDFromAsyncPOSTRequest(const foundation::URLRequest& request,
                                                             ZULNetworkURLSessionCompletionHandler handler);
    std::optional<std::string> sessionIDFromAsyncGETRequest(const foundation::URLRequest& request,
                                                            ZULNetworkURLSessionCompletionHandler handler);

    // URL session delegate operations (main queue).
    void URLSession(const std::shared_ptr<foundation::URLSession>& session,
                    const std::shared_ptr<foundation::URLSessionTask>& dataTask,
                    const std::shared_ptr<foundation::Data>& data) override;
    void URLSession(const std::shared_ptr<foundation::URLSession>& session,
                    const std::shared_ptr<foundation::URLSessionTask>& downloadTask,
                    const std::shared_ptr<foundation::URL>& location) override;
    void URLSession(const std::shared_ptr<foundation::URLSession>& session,
                    const std::shared_ptr<foundation::URLSessionTask>& task,
                    const std::shared_ptr<foundation::Error>& error) override;
    void URLSession(const std::shared_ptr<foundation::URLSession>& session,
                    const std::shared_ptr<foundation::URLSessionTask>& task,
                    const std::shared_ptr<foundation::URLAuthenticationChallenge>& challenge,
                    ChallengeCompletionHandler completionHandler) override;

    void addSystemCompletionHandler(ZULNetworkSystemCompletionHandler handler, const std::string& identifier);
    void callSystemCompletionHandler(const std::string& identifier);
    void setSessionID(std::string sessionID) { sessionID_ = std::move(sessionID); }
    foundation::URLSessionConfiguration backgroundSessionConfigWithSessionID(const std::string& sessionID) const;
    void maybeRemoveTempFilesAtURL(const std::shared_ptr<foundation::URL>& folderURL, double expiringTime);
    void removeTempItemAtURL(const std::shared_ptr<foundation::URL>& fileURL);
    std::shared_ptr<foundation::URL> temporaryFilePathWithSessionID(const std::string& sessionID) const;
    bool ensureTemporaryDirectoryExists();
    void excludeFromBackupForURL(const std::shared_ptr<foundation::URL>& url);

    void URLSession(const std::shared_ptr<foundation::URLSession>& session,
                    const std::shared_ptr<foundation::URLSessionTask>& task,
                    const std::shared_ptr<foundation::HTTPURLResponse>& response,
                    const foundation::URLRequest& newRequest, RedirectCompletionHandler completionHandler) override;
    void callCompletionHandler(const ZULNetworkURLSessionCompletionHandler& handler,
                               std::shared_ptr<foundation::HTTPURLResponse> response,
                               std::shared_ptr<foundation::Data> data, std::shared_ptr<foundation::Error> error);
    void populateSessionConfig(foundation::URLSessionConfiguration& sessionConfig,
                               const foundation::URLRequest& request) const;

    bool isBackgroundNetworkEnabled() const { return backgroundNetworkEnabled_; }
    void setBackgroundNetworkEnabled(bool enabled) { backgroundNetworkEnabled_ = enabled; }
    objc::Id loggerDelegate() const { return loggerDelegate_.lock(); }
    void setLoggerDelegate(const objc::Id& loggerDelegate) { loggerDelegate_ = loggerDelegate; }

    // Read-only views of the request in progress.
    const std::string& sessionID() const { return sessionID_; }
    const foundation::URLSessionConfiguration& sessionConfig() const { return sessionConfig_; }
    const std::shared_ptr<foundation::URL>& networkDirectoryURL() const { return networkDirectoryURL_; }
    const std::shared_ptr<foundation::URL>& uploadingFileURL() const { return uploadingFileURL_; }
    const std::optional<foundation::URLRequest>& request() const { return request_; }

    // Relaunch of a background session: identifiers not made by a fetcher are ignored.
    static void handleEventsForBackgroundURLSessionID(const std::string& sessionID,
                                                      ZULNetworkSystemCompletionHandler systemCompletionHandler);
    // The mapped fetcher, or for an identifier made by a fetcher a new one put in the map.
    static std::shared_ptr<ZULNetworkURLSession> fetcherWithSessionIdentifier(const std::string& sessionIdentifier);
    // The fetcher map held with its read-write lock: reachable only while locked.
    static foundation::Guarded<std::map<std::string, std::weak_ptr<ZULNetworkURLSession>>>& sessionIDToFetcherMap();
    static std::shared_ptr<ZULMutableDictionary> sessionIDToSystemCompletionHandlerDictionary();
    // Stores the fetcher (nil removes the entry); an existing entry's session is finished.
    static void setSessionInFetcherMap(const std::shared_ptr<ZULNetworkURLSession>& fetcher,
                                       const std::string& sessionID);
    static std::shared_ptr<ZULNetworkURLSession> sessionFromFetcherMapForSessionID(const std::string& sessionID);

    struct ConstructionToken;
    explicit ZULNetworkURLSession(const ConstructionToken&);

private:
    void log(ZULNetworkLogLevel level, ZULNetworkMessageCode code, const std::string& message,
             std::shared_ptr<foundation::Array> contexts = nullptr) const;
    std::optional<std::string> startTask(const std::shared_ptr<foundation::URLSession>& session,
                                         const std::shared_ptr<foundation::URLSessionTask>& task,
                                         const foundation::URLRequest& request,
                                         ZULNetworkURLSessionCompletionHandler handler);
    std::shared_ptr<ZULNetworkURLSession> self();

    ZULNetworkURLSessionCompletionHandler completionHandler_;
    std::string sessionID_;
    foundation::URLSessionConfiguration sessionConfig_;
    std::weak_ptr<foundation::URLSession> URLSession_;
    std::shared_ptr<foundation::URL> networkDirectoryURL_;
    foundation::Guarded<std::shared_ptr<foundation::Data>> downloadedData_;  // written by delegate calls, read at the end
    std::shared_ptr<foundation::URL> uploadingFileURL_;
    std::optional<foundation::URLRequest> request_;
    bool backgroundNetworkEnabled_ = false;
    objc::WeakId loggerDelegate_;
};
