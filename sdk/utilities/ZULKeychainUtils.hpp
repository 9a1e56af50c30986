#pragma once

#include "platform/foundation/Data.hpp"
#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/security/SecItem.hpp"

#include <memory>
#include <string>

inline constexpr const char* kZULKeychainErrorDomain = "com.zul.keychain.ErrorDomain";

// Class methods over the keychain item functions, always on the data-protection keychain,
// turning keychain status codes into error objects. Stateless; callable from any thread.
// The error out-parameters are optional.
class ZULKeychainUtils {
public:
    ZULKeychainUtils() = delete;

    // The item's data; nil without an error when there is no such item.
    static std::shared_ptr<foundation::Data> getItemWithQuery(const std::shared_ptr<foundation::Dictionary>& query,
                                                              std::shared_ptr<foundation::Error>* error);
    // Updates the item's data when it exists (its accessibility stays), else adds it
    // accessible after first unlock, this device only.
    static bool setItem(const std::shared_ptr<foundation::Data>& item,
                        const std::shared_ptr<foundation::Dictionary>& withQuery,
                        std::shared_ptr<foundation::Error>* error);
    // Removing an item that does not exist succeeds.
    static bool removeItemWithQuery(const std::shared_ptr<foundation::Dictionary>& query,
                                    std::shared_ptr<foundation::Error>* error);
    // A copy of the query that names the data-protection keychain.
    static std::shared_ptr<foundation::Dictionary> multiplatformQueryWithQuery(
        const std::shared_ptr<foundation::Dictionary>& query);
    // Domain "com.zul.keychain.ErrorDomain", code 0, failure reason "<function> (<status>)".
    static std::shared_ptr<foundation::Error> keychainErrorWithFunction(const std::string& keychainFunction,
                                                                        security::OSStatus status);
};
