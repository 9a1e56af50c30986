#include "platform/ui/URLSessionImageLoader.hpp"

#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/Exception.hpp"
#include "platform/foundation/ThreadChecker.hpp"
#include "platform/system/URLSession.hpp"

namespace ui {

namespace {

// Icons are small: a larger answer is refused before it reaches the decoder.
constexpr std::uint64_t maximumImageSize = 4 * 1024 * 1024;

// Gathers the body of one load and finishes it exactly once.
class ImageLoadDelegate final : public foundation::URLSessionDelegate {
public:
    ImageLoadDelegate(ImageLoader::Completion completion, std::shared_ptr<CancellationToken> token)
        : completion_(std::move(completion)), token_(std::move(token)) {}

    void URLSession(const std::shared_ptr<foundation::URLSession>&, const std::shared_ptr<foundation::URLSessionTask>&,
                    const std::shared_ptr<foundation::Data>& data) override {
        body_.append(data->view());
    }

    void URLSession(const std::shared_ptr<foundation::URLSession>&, const std::shared_ptr<foundation::URLSessionTask>& task,
                    const std::shared_ptr<foundation::Error>& error) override {
        if (token_->isCancelled()) return finish(nullptr, "cancelled", false);
        if (error) return finish(nullptr, error->localizedDescription(), true);
        auto response = std::dynamic_pointer_cast<foundation::HTTPURLResponse>(task->response());
        long status = response ? response->statusCode() : 0;
        if (status < 200 || status > 299) return finish(nullptr, "HTTP status " + std::to_string(status), true);
        auto image = appkit::Image::imageWithData(body_);
        if (!image) return finish(nullptr, "the data is not an image", true);
        finish(std::move(image), {}, true);
    }

private:
    void finish(std::shared_ptr<appkit::Image> image, std::string error, bool deliver) {
        if (!completion_) return foundation::AssertionHandler::handleFailure("an image load finishes once");
        auto completion = std::exchange(completion_, nullptr);
        if (deliver && completion) completion(std::move(image), std::move(error));
    }

    ImageLoader::Completion completion_;
    std::shared_ptr<CancellationToken> token_;
    std::string body_;
};

}  // namespace

std::shared_ptr<CancellationToken> URLSessionImageLoader::load(const std::string& url, Completion completion) {
    dispatch::checkMainThread();
    auto token = std::make_shared<CancellationToken>();
    auto address = foundation::URL::URLWithString(url);
    auto request = address ? foundation::URLRequest::requestWithURL(address) : std::nullopt;
    if (!request) {
        dispatch::mainQueue()->async([completion = std::move(completion), token] {
            if (!token->isCancelled()) completion(nullptr, "not a valid address");
        });
        return token;
    }
    auto delegate = std::make_shared<ImageLoadDelegate>(std::move(completion), token);
    auto configuration = foundation::URLSessionConfiguration::defaultSessionConfiguration();
    configuration.maximumResponseSize = maximumImageSize;
    auto session = foundation::URLSession::sessionWithConfiguration(std::move(configuration), delegate, dispatch::mainQueue());
    auto task = session->dataTaskWithRequest(*request);
    std::weak_ptr<foundation::URLSessionTask> weakTask = task;
    token->onCancel([weakTask] {
        if (auto task = weakTask.lock()) task->cancel();
    });
    task->resume();
    session->finishTasksAndInvalidate();
    return token;
}

}  // namespace ui
