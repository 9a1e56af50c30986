#include "platform/foundation/UserActivity.hpp"

#include "platform/objc/Class.hpp"

namespace foundation {

UserActivity::UserActivity(std::string activityType, std::shared_ptr<URL> webpageURL)
    : objc::Object(objc::defineClass("NSUserActivity")),
      activityType_(std::move(activityType)),
      webpageURL_(std::move(webpageURL)) {}

}  // namespace foundation
