#include "platform/system/URLSessionDelegate.hpp"

namespace foundation {

void URLSessionDelegate::URLSession(const std::shared_ptr<foundation::URLSession>&,
                                    const std::shared_ptr<URLSessionTask>&, const std::shared_ptr<Data>&) {}

void URLSessionDelegate::URLSession(const std::shared_ptr<foundation::URLSession>&,
                                    const std::shared_ptr<URLSessionTask>&, const std::shared_ptr<foundation::URL>&) {}

void URLSessionDelegate::URLSession(const std::shared_ptr<foundation::URLSession>&,
                                    const std::shared_ptr<URLSessionTask>&, const std::shared_ptr<Error>&) {}

void URLSessionDelegate::URLSession(const std::shared_ptr<foundation::URLSession>&,
                                    const std::shared_ptr<URLSessionTask>&,
                                    const std::shared_ptr<URLAuthenticationChallenge>&,
                                    ChallengeCompletionHandler completionHandler) {
    completionHandler(URLSessionAuthChallengeDisposition::performDefaultHandling, nullptr);
}

void URLSessionDelegate::URLSession(const std::shared_ptr<foundation::URLSession>&,
                                    const std::shared_ptr<URLSessionTask>&, const std::shared_ptr<HTTPURLResponse>&,
                                    const URLRequest& newRequest, RedirectCompletionHandler completionHandler) {
    completionHandler(newRequest);
}

}  // namespace foundation
