#include "sdk/utilities/ZULKeychainUtils.hpp"

#include "platform/foundation/Format.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"

using foundation::Data;
using foundation::Dictionary;
using foundation::Error;

namespace {

void setError(std::shared_ptr<Error>* error, std::shared_ptr<Error> value) {
    if (error) *error = std::move(value);
}

}  // namespace

std::shared_ptr<Data> ZULKeychainUtils::getItemWithQuery(const std::shared_ptr<Dictionary>& query,
                                                         std::shared_ptr<Error>* error) {
    auto lookup = multiplatformQueryWithQuery(query);
    lookup->setObject(foundation::Number::withBool(true), security::kSecReturnData);
    lookup->setObject(foundation::String::make(security::kSecMatchLimitOne), security::kSecMatchLimit);
    objc::Id result;
    security::OSStatus status = security::SecItemCopyMatching(lookup, &result);
    auto data = foundation::dataValue(result);
    if (status == security::errSecSuccess && data) {
        setError(error, nullptr);
        return data;
    }
    if (status == security::errSecItemNotFound) {
        setError(error, nullptr);
        return nullptr;
    }
    setError(error, keychainErrorWithFunction("SecItemCopyMatching", status));
    return nullptr;
}

bool ZULKeychainUtils::setItem(const std::shared_ptr<Data>& item, const std::shared_ptr<Dictionary>& withQuery,
                               std::shared_ptr<Error>* error) {
    auto query = multiplatformQueryWithQuery(withQuery);
    // A failed lookup stops the write even when the caller does not want the error: adding
    // blindly could not tell an existing item from a missing one.
    std::shared_ptr<Error> lookupError;
    auto existing = getItemWithQuery(query, &lookupError);
    if (lookupError) {
        setError(error, lookupError);
        return false;
    }

    security::OSStatus status;
    const char* keychainFunction;
    if (existing) {
        keychainFunction = "SecItemUpdate";
        auto attributes = Dictionary::make();
        attributes->setObject(item ? item : Data::make(), security::kSecValueData);
        status = security::SecItemUpdate(query, attributes);
    } else {
        keychainFunction = "SecItemAdd";
        auto attributes = foundation::dictionaryValue(query->copy());
        attributes->setObject(foundation::String::make(security::kSecAttrAccessibleAfterFirstUnlockThisDeviceOnly),
                              security::kSecAttrAccessible);
        attributes->setObject(item ? item : Data::make(), security::kSecValueData);
        status = security::SecItemAdd(attributes, nullptr);
    }
    if (status == security::errSecSuccess) {
        setError(error, nullptr);
        return true;
    }
    setError(error, keychainErrorWithFunction(keychainFunction, status));
    return false;
}

bool ZULKeychainUtils::removeItemWithQuery(const std::shared_ptr<Dictionary>& query, std::shared_ptr<Error>* error) {
    security::OSStatus status = security::SecItemDelete(multiplatformQueryWithQuery(query));
    if (status == security::errSecSuccess || status == security::errSecItemNotFound) {
        setError(error, nullptr);
        return true;
    }
    setError(error, keychainErrorWithFunction("SecItemDelete", status));
    return false;
}

std::shared_ptr<Dictionary> ZULKeychainUtils::multiplatformQueryWithQuery(const std::shared_ptr<Dictionary>& query) {
    auto copy = query ? foundation::dictionaryValue(query->copy()) : Dictionary::make();
    copy->setObject(foundation::Number::withBool(true), security::kSecUseDataProtectionKeychain);
    return copy;
}

std::shared_ptr<Error> ZULKeychainUtils::keychainErrorWithFunction(const std::string& keychainFunction,
                                                                   security::OSStatus status) {
    auto userInfo = Dictionary::make();
    userInfo->setObject(foundation::String::make(foundation::format("%@ (%li)", keychainFunction, status)),
                        foundation::NSLocalizedFailureReasonErrorKey);
    return Error::make(kZULKeychainErrorDomain, 0, userInfo);
}
