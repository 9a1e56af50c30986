#pragma once

#include "platform/foundation/Dictionary.hpp"

#include <exception>
#include <string>

namespace foundation {

inline constexpr const char* NSInvalidArgumentException = "NSInvalidArgumentException";
inline constexpr const char* NSInternalInconsistencyException = "NSInternalInconsistencyException";
inline constexpr const char* NSGenericException = "NSGenericException";

// The platform's exception: a name, a reason and user information. Raised only for
// programming errors and where the system's own code raises.
class Exception : public std::exception {
public:
    Exception(std::string name, std::string reason, std::shared_ptr<Dictionary> userInfo = nullptr);

    [[noreturn]] static void raise(std::string name, std::string reason);

    const std::string& name() const { return name_; }
    const std::string& reason() const { return reason_; }
    const std::shared_ptr<Dictionary>& userInfo() const { return userInfo_; }
    const char* what() const noexcept override { return reason_.c_str(); }

private:
    std::string name_;
    std::string reason_;
    std::shared_ptr<Dictionary> userInfo_;
};

// What a failed assertion does: raise NSInternalInconsistencyException (the default, as in
// a build with assertions on), or write the description to standard error and go on.
enum class AssertionMode { raise, logAndContinue };

class AssertionHandler {
public:
    static void setMode(AssertionMode mode);
    static AssertionMode mode();
    // Reports a failed assertion with the given description.
    static void handleFailure(const std::string& description);
};

}  // namespace foundation
