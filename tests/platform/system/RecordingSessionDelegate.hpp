#pragma once

#include "platform/system/URLSession.hpp"

#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// A session delegate that records what it is told and answers trust and redirect questions
// as the test says. Used on the main queue only.
class RecordingSessionDelegate : public foundation::URLSessionDelegate {
public:
    enum class RedirectAnswer { follow, refuse };

    std::string body;
    std::vector<std::string> events;
    std::optional<std::string> downloadedContents;
    std::optional<std::string> downloadLocation;
    bool completed = false;
    std::shared_ptr<foundation::Error> completionError;
    std::vector<long> redirectStatuses;
    std::vector<std::string> redirectMethods;
    std::shared_ptr<security::SecTrust> challengedTrust;

    std::optional<foundation::URLSessionAuthChallengeDisposition> challengeAnswer;
    // When set, trust questions are kept unanswered in heldChallenge for the test to answer.
    bool holdChallenges = false;
    ChallengeCompletionHandler heldChallenge;
    RedirectAnswer redirectAnswer = RedirectAnswer::follow;
    // Set on the request a redirect proposes before it is followed.
    foundation::HTTPHeaderFields fieldsAddedOnRedirect;

    void URLSession(const std::shared_ptr<foundation::URLSession>&, const std::shared_ptr<foundation::URLSessionTask>&,
                    const std::shared_ptr<foundation::Data>& data) override {
        events.push_back("data");
        body.append(data->view());
    }
    void URLSession(const std::shared_ptr<foundation::URLSession>&, const std::shared_ptr<foundation::URLSessionTask>&,
                    const std::shared_ptr<foundation::URL>& location) override {
        events.push_back("download");
        downloadLocation = location->path();
        std::ifstream file(location->path(), std::ios::binary);
        downloadedContents = std::string(std::istreambuf_iterator<char>(file), {});
    }
    void URLSession(const std::shared_ptr<foundation::URLSession>&, const std::shared_ptr<foundation::URLSessionTask>&,
                    const std::shared_ptr<foundation::Error>& error) override {
        events.push_back("complete");
        completed = true;
        completionError = error;
    }
    void URLSession(const std::shared_ptr<foundation::URLSession>& session,
                    const std::shared_ptr<foundation::URLSessionTask>& task,
                    const std::shared_ptr<foundation::URLAuthenticationChallenge>& challenge,
                    ChallengeCompletionHandler completionHandler) override {
        events.push_back("challenge");
        challengedTrust = challenge->protectionSpace().serverTrust;
        if (holdChallenges) {
            heldChallenge = std::move(completionHandler);
            return;
        }
        if (!challengeAnswer) return URLSessionDelegate::URLSession(session, task, challenge, completionHandler);
        auto credential = *challengeAnswer == foundation::URLSessionAuthChallengeDisposition::useCredential
                              ? foundation::URLCredential::credentialForTrust(challengedTrust)
                              : nullptr;
        completionHandler(*challengeAnswer, credential);
    }
    void URLSession(const std::shared_ptr<foundation::URLSession>&, const std::shared_ptr<foundation::URLSessionTask>&,
                    const std::shared_ptr<foundation::HTTPURLResponse>& response, const foundation::URLRequest& newRequest,
                    RedirectCompletionHandler completionHandler) override {
        events.push_back("redirect");
        redirectStatuses.push_back(response->statusCode());
        redirectMethods.push_back(newRequest.HTTPMethod());
        if (redirectAnswer == RedirectAnswer::refuse) return completionHandler(std::nullopt);
        foundation::URLRequest followed = newRequest;
        for (const auto& [name, value] : fieldsAddedOnRedirect.fields()) followed.setValue(value, name);
        completionHandler(followed);
    }
};

}  // namespace testsupport
