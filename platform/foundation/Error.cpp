#include "platform/foundation/Error.hpp"

#include "platform/foundation/String.hpp"
#include "platform/objc/Class.hpp"

#include <functional>

namespace foundation {

Error::Error(std::string domain, std::int64_t code, std::shared_ptr<Dictionary> userInfo)
    : objc::Object(objc::defineClass("NSError")), domain_(std::move(domain)), code_(code),
      userInfo_(userInfo ? std::move(userInfo) : Dictionary::make()) {}

std::shared_ptr<Error> Error::make(std::string domain, std::int64_t code, std::shared_ptr<Dictionary> userInfo) {
    return std::make_shared<Error>(std::move(domain), code, std::move(userInfo));
}

std::shared_ptr<Error> Error::withDescription(std::string domain, std::int64_t code, std::string description) {
    return make(std::move(domain), code,
                Dictionary::make({{NSLocalizedDescriptionKey, String::make(std::move(description))}}));
}

std::string Error::localizedDescription() const {
    if (auto text = stringValue(userInfo_->objectForKey(NSLocalizedDescriptionKey))) return *text;
    return "The operation couldn\u2019t be completed. (" + domain_ + " error " + std::to_string(code_) + ".)";
}

std::string Error::description() const {
    std::string text = "Error Domain=" + domain_ + " Code=" + std::to_string(code_) + " \"" +
                       localizedDescription() + "\"";
    if (userInfo_->count() == 0) return text;
    text += " UserInfo={";
    bool first = true;
    for (const auto& [key, value] : userInfo_->entries()) {
        if (!first) text += ", ";
        first = false;
        text += key + "=" + (value ? value->description() : "(null)");
    }
    return text + "}";
}

bool Error::isEqual(const objc::Object& other) const {
    auto* error = dynamic_cast<const Error*>(&other);
    return error && error->domain_ == domain_ && error->code_ == code_ && objc::isEqual(error->userInfo_, userInfo_);
}

std::size_t Error::hash() const { return std::hash<std::string>{}(domain_) ^ static_cast<std::size_t>(code_); }

std::shared_ptr<Error> errorValue(const objc::Id& object) { return std::dynamic_pointer_cast<Error>(object); }

}  // namespace foundation
