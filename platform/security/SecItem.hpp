#pragma once

#include "platform/foundation/Dictionary.hpp"

#include <cstdint>
#include <filesystem>
#include <optional>

namespace security {

using OSStatus = std::int32_t;

inline constexpr OSStatus errSecSuccess = 0;
inline constexpr OSStatus errSecParam = -50;
inline constexpr OSStatus errSecIO = -36;
inline constexpr OSStatus errSecDuplicateItem = -25299;
inline constexpr OSStatus errSecItemNotFound = -25300;

// Attribute keys and values of keychain queries.
inline constexpr const char* kSecClass = "class";
inline constexpr const char* kSecClassGenericPassword = "genp";
inline constexpr const char* kSecAttrService = "svce";
inline constexpr const char* kSecAttrAccount = "acct";
inline constexpr const char* kSecAttrAccessGroup = "agrp";
inline constexpr const char* kSecAttrAccessible = "pdmn";
inline constexpr const char* kSecAttrAccessibleWhenUnlocked = "ak";
inline constexpr const char* kSecAttrAccessibleAfterFirstUnlock = "ck";
inline constexpr const char* kSecAttrAccessibleWhenUnlockedThisDeviceOnly = "aku";
inline constexpr const char* kSecAttrAccessibleAfterFirstUnlockThisDeviceOnly = "cku";
inline constexpr const char* kSecValueData = "v_Data";
inline constexpr const char* kSecReturnData = "r_Data";
inline constexpr const char* kSecReturnAttributes = "r_Attributes";
inline constexpr const char* kSecMatchLimit = "m_Limit";
inline constexpr const char* kSecMatchLimitOne = "m_LimitOne";
inline constexpr const char* kSecMatchLimitAll = "m_LimitAll";
inline constexpr const char* kSecMatchSearchList = "m_SearchList";
inline constexpr const char* kSecUseKeychain = "u_Keychain";
inline constexpr const char* kSecUseDataProtectionKeychain = "u_DataProtectionKeychain";

// The keychain item functions over SQLite files under ~/Library/Keychains/ (read from $HOME
// at each call): the data-protection keychain when a query sets
// kSecUseDataProtectionKeychain, the login keychain otherwise, or the file keychain named by
// kSecUseKeychain. Only generic passwords are kept. Items are unique by service, account and
// access group. Every call opens the file afresh, so other processes see each change at once;
// safe from any thread.
//
// Copies the matching item (kSecMatchLimitOne, the default) or items (kSecMatchLimitAll):
// its data (kSecReturnData), its attributes (kSecReturnAttributes), or a dictionary of both.
OSStatus SecItemCopyMatching(const std::shared_ptr<foundation::Dictionary>& query, objc::Id* result);
// Adds an item; errSecDuplicateItem when one with the same service, account and access group
// exists. The accessibility defaults to kSecAttrAccessibleWhenUnlocked.
OSStatus SecItemAdd(const std::shared_ptr<foundation::Dictionary>& attributes, objc::Id* result);
// Changes the data and/or accessibility of every matching item.
OSStatus SecItemUpdate(const std::shared_ptr<foundation::Dictionary>& query,
                       const std::shared_ptr<foundation::Dictionary>& attributesToUpdate);
OSStatus SecItemDelete(const std::shared_ptr<foundation::Dictionary>& query);

// Test support: the next adds fail with this status (nullopt: they work again).
void setAddFailureForTesting(std::optional<OSStatus> status);

}  // namespace security
