#include "platform/system/URLDataLoad.hpp"

#include "platform/foundation/Dispatch.hpp"
#include "platform/system/URLSession.hpp"

namespace foundation {

namespace {

// Gathers the body of its one task and finishes it with the completion.
class DataLoadDelegate final : public URLSessionDelegate {
public:
    explicit DataLoadDelegate(URLDataLoadCompletion completion) : completion_(std::move(completion)) {}

    void URLSession(const std::shared_ptr<foundation::URLSession>&, const std::shared_ptr<URLSessionTask>&,
                    const std::shared_ptr<Data>& data) override {
        body_.append(data->view());
    }

    void URLSession(const std::shared_ptr<foundation::URLSession>&, const std::shared_ptr<URLSessionTask>& task,
                    const std::shared_ptr<Error>& error) override {
        completion_(error ? nullptr : Data::fromString(body_), task->response(), error);
    }

private:
    URLDataLoadCompletion completion_;
    std::string body_;
};

}  // namespace

std::shared_ptr<URLSessionTask> loadDataWithRequest(const URLRequest& request, URLDataLoadCompletion completion) {
    auto session = URLSession::sessionWithConfiguration(URLSessionConfiguration::defaultSessionConfiguration(),
                                                        std::make_shared<DataLoadDelegate>(std::move(completion)),
                                                        dispatch::mainQueue());
    auto task = session->dataTaskWithRequest(request);
    session->finishTasksAndInvalidate();
    task->resume();
    return task;
}

}  // namespace foundation
