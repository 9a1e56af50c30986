#pragma once

#include "platform/foundation/Array.hpp"
#include "platform/foundation/URL.hpp"

#include <functional>
#include <memory>
#include <string>

namespace foundation {

// An activity the application is asked to continue (work handed over from another device,
// or a web link opened in the application): its type and the web page it stands for.
// Immutable.
class UserActivity final : public objc::Object {
public:
    explicit UserActivity(std::string activityType, std::shared_ptr<URL> webpageURL = nullptr);

    const std::string& activityType() const { return activityType_; }
    const std::shared_ptr<URL>& webpageURL() const { return webpageURL_; }

private:
    std::string activityType_;
    std::shared_ptr<URL> webpageURL_;
};

// Called back by whoever continues an activity with the objects that restore its state.
using UserActivityRestorationHandler = std::function<void(std::shared_ptr<Array> restorableObjects)>;

}  // namespace foundation
