#pragma once

#include "platform/foundation/Dictionary.hpp"

#include <cstdint>
#include <string>

namespace foundation {

inline constexpr const char* NSLocalizedDescriptionKey = "NSLocalizedDescription";
inline constexpr const char* NSLocalizedFailureReasonErrorKey = "NSLocalizedFailureReason";
inline constexpr const char* NSUnderlyingErrorKey = "NSUnderlyingError";
// Technical detail for the log, never shown to the user.
inline constexpr const char* NSDebugDescriptionErrorKey = "NSDebugDescription";
inline constexpr const char* NSFilePathErrorKey = "NSFilePath";
inline constexpr const char* NSCocoaErrorDomain = "NSCocoaErrorDomain";
inline constexpr const char* NSPOSIXErrorDomain = "NSPOSIXErrorDomain";
inline constexpr const char* NSOSStatusErrorDomain = "NSOSStatusErrorDomain";
inline constexpr const char* NSURLErrorDomain = "NSURLErrorDomain";

// An error object: domain, code and user information. Immutable.
class Error final : public objc::Object {
public:
    Error(std::string domain, std::int64_t code, std::shared_ptr<Dictionary> userInfo);
    static std::shared_ptr<Error> make(std::string domain, std::int64_t code,
                                       std::shared_ptr<Dictionary> userInfo = nullptr);
    // An error whose user information holds only the localized description.
    static std::shared_ptr<Error> withDescription(std::string domain, std::int64_t code, std::string description);

    const std::string& domain() const { return domain_; }
    std::int64_t code() const { return code_; }
    // Never null: an empty dictionary when none was given.
    const std::shared_ptr<Dictionary>& userInfo() const { return userInfo_; }

    // The user-information description, else "The operation couldn’t be completed.
    // (<domain> error <code>.)".
    std::string localizedDescription() const;
    // "Error Domain=<domain> Code=<code> "<localized description>" UserInfo={...}"
    std::string description() const override;
    bool isEqual(const objc::Object& other) const override;
    std::size_t hash() const override;

private:
    std::string domain_;
    std::int64_t code_;
    std::shared_ptr<Dictionary> userInfo_;
};

std::shared_ptr<Error> errorValue(const objc::Id& object);

}  // namespace foundation
