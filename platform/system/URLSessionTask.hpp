#pragma once

#include "platform/foundation/Data.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/system/URLAuthenticationChallenge.hpp"
#include "platform/system/HTTPURLResponse.hpp"
#include "platform/system/URLRequest.hpp"
#include "platform/system/URLTransfer.hpp"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace foundation {

class URLSession;

enum class URLSessionTaskState { running = 0, suspended = 1, canceling = 2, completed = 3 };
// Data and upload tasks hand the response body to the delegate in chunks; a download task
// hands it over as a file at the end.
enum class URLSessionTaskKind { data, upload, download };

// One load of a session, made suspended and started by resume(). Its transfer runs on the
// transfer thread and reports through the session's delegate queue; the accessors may be
// read from any thread. The session keeps the task until it completed; the task holds its
// session weakly.
class URLSessionTask final : public objc::Object, public URLTransferClient {
public:
    URLSessionTask(std::uint64_t identifier, URLSessionTaskKind kind, URLRequest request,
                   std::shared_ptr<Data> bodyData, std::optional<std::filesystem::path> bodyFile,
                   std::weak_ptr<URLSession> session);

    std::uint64_t taskIdentifier() const { return identifier_; }
    URLSessionTaskKind kind() const { return kind_; }
    const URLRequest& originalRequest() const { return originalRequest_; }
    URLRequest currentRequest() const;
    // The last response received; nil before the headers of one arrived.
    std::shared_ptr<URLResponse> response() const;
    URLSessionTaskState state() const;
    std::shared_ptr<Error> error() const;

    void resume();
    void cancel();

    // URLTransferClient (transfer thread).
    void transferDidReceiveResponse(long statusCode, HTTPHeaderFields headers,
                                    std::optional<std::string> redirectURL) override;
    void transferDidReceiveData(std::string_view bytes) override;
    void transferNeedsTrustDecision(const std::shared_ptr<security::SecTrust>& trust) override;
    void transferDidFinish(std::shared_ptr<Error> error) override;

private:
    std::shared_ptr<URLSessionTask> self();
    // A new hop, or the same one again trusting the chain its server presented.
    void startTransfer(URLRequest request, bool withBody,
                       std::vector<std::vector<std::uint8_t>> trustedCertificates = {});
    void answerTrustQuestion(const std::shared_ptr<security::SecTrust>& trust,
                             URLSessionAuthChallengeDisposition disposition,
                             const std::shared_ptr<URLCredential>& credential);
    void resendTrusting(const std::shared_ptr<security::SecTrust>& trust);
    // The redirect response's body is kept for the case the delegate refuses to follow.
    void followOrRefuseRedirect(std::shared_ptr<HTTPURLResponse> response, const std::string& target, std::string body);
    void finishWithRedirectResponse(std::shared_ptr<HTTPURLResponse> response, std::string body);
    void deliverDownload(std::string body);
    void complete(std::shared_ptr<Error> error);

    const std::uint64_t identifier_;
    const URLSessionTaskKind kind_;
    const URLRequest originalRequest_;
    const std::shared_ptr<Data> bodyData_;
    const std::optional<std::filesystem::path> bodyFile_;
    const std::weak_ptr<URLSession> session_;

    // What changes as the task runs, from the transfer thread, the delegate queue and callers.
    struct Progress {
        explicit Progress(URLRequest request) : currentRequest(std::move(request)) {}

        URLSessionTaskState state = URLSessionTaskState::suspended;
        URLRequest currentRequest;
        std::shared_ptr<URLResponse> response;
        std::shared_ptr<Error> error;
        std::shared_ptr<URLTransfer> transfer;
        // A redirect response waits for the delegate's decision with its body held back.
        std::shared_ptr<HTTPURLResponse> redirectResponse;
        std::optional<std::string> redirectTarget;
        std::string heldBody;
        int redirectCount = 0;
        bool hopSendsBody = false;
        int trustQuestionsThisHop = 0;
        // The trust question waiting for the delegate's answer or its timeout, whichever
        // comes first; 0 when none waits.
        std::uint64_t openTrustQuestion = 0;
        std::uint64_t trustQuestionsAsked = 0;
        // Once a hop left the first request's origin, credentials stay home.
        bool leftOrigin = false;
    };
    // Closes the trust question; false when it was closed already (answered, or timed out).
    bool closeTrustQuestion(std::uint64_t question);

    Guarded<Progress> progress_;
};

}  // namespace foundation
