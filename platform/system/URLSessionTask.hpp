#pragma once

#include "platform/foundation/Data.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/system/URLAuthenticationChallenge.hpp"
#include "platform/system/HTTPURLResponse.hpp"
#include "platform/system/URLRequest.hpp"
#include "platform/system/URLTransfer.hpp"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
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

    mutable std::mutex mutex_;
    URLSessionTaskState state_ = URLSessionTaskState::suspended;
    URLRequest currentRequest_;
    std::shared_ptr<URLResponse> response_;
    std::shared_ptr<Error> error_;
    std::shared_ptr<URLTransfer> transfer_;
    // A redirect response waits for the delegate's decision with its body held back.
    std::shared_ptr<HTTPURLResponse> redirectResponse_;
    std::optional<std::string> redirectTarget_;
    std::string heldBody_;
    int redirectCount_ = 0;
    bool hopSendsBody_ = false;
    int trustQuestionsThisHop_ = 0;
    // Once a hop left the first request's origin, credentials stay home.
    bool leftOrigin_ = false;
};

}  // namespace foundation
