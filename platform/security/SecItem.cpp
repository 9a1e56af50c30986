#include "platform/security/SecItem.hpp"

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Data.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/String.hpp"
#include "platform/security/KeychainDatabase.hpp"
#include "platform/security/SecKeychain.hpp"

#include <atomic>
#include <set>
#include <string_view>

namespace security {

namespace {

using foundation::Dictionary;

foundation::Guarded<std::optional<OSStatus>> addFailure;

bool isKnownAccessibility(const std::string& value) {
    static const std::set<std::string, std::less<>> known{
        kSecAttrAccessibleWhenUnlocked, kSecAttrAccessibleAfterFirstUnlock,
        kSecAttrAccessibleWhenUnlockedThisDeviceOnly, kSecAttrAccessibleAfterFirstUnlockThisDeviceOnly};
    return known.contains(value);
}

bool flag(const Dictionary& query, std::string_view key) {
    auto number = foundation::numberValue(query.objectForKey(key));
    return number && number->boolValue();
}

// A query or attribute set read and checked once. Keys outside the ones a call understands
// make it errSecParam, as do values of the wrong kind.
struct ParsedQuery {
    KeychainMatch match;
    std::optional<std::string> accessible;
    std::optional<std::vector<std::uint8_t>> data;
    bool returnData = false;
    bool returnAttributes = false;
    bool matchAll = false;
    std::filesystem::path file;
};

OSStatus readText(const Dictionary& query, std::string_view key, std::optional<std::string>& into) {
    auto object = query.objectForKey(key);
    if (!object) return errSecSuccess;
    auto text = foundation::stringValue(object);
    if (!text) return errSecParam;
    into = *text;
    return errSecSuccess;
}

std::filesystem::path keychainsDirectory() {
    return foundation::FileManager::defaultManager().homeDirectoryForCurrentUser() / "Library" / "Keychains";
}

OSStatus parse(const std::shared_ptr<Dictionary>& query, const std::set<std::string_view>& allowed, ParsedQuery& parsed) {
    if (!query) return errSecParam;
    for (auto& [key, value] : query->entries())
        if (!allowed.contains(key)) return errSecParam;
    if (foundation::stringValue(query->objectForKey(kSecClass)) != std::optional<std::string>(kSecClassGenericPassword))
        return errSecParam;
    if (readText(*query, kSecAttrService, parsed.match.service) != errSecSuccess ||
        readText(*query, kSecAttrAccount, parsed.match.account) != errSecSuccess ||
        readText(*query, kSecAttrAccessGroup, parsed.match.accessGroup) != errSecSuccess ||
        readText(*query, kSecAttrAccessible, parsed.accessible) != errSecSuccess)
        return errSecParam;
    if (parsed.accessible && !isKnownAccessibility(*parsed.accessible)) return errSecParam;
    if (auto object = query->objectForKey(kSecValueData)) {
        auto data = foundation::dataValue(object);
        if (!data) return errSecParam;
        parsed.data = data->bytes();
    }
    parsed.returnData = flag(*query, kSecReturnData);
    parsed.returnAttributes = flag(*query, kSecReturnAttributes);
    if (auto limit = query->objectForKey(kSecMatchLimit)) {
        auto text = foundation::stringValue(limit);
        if (!text || (*text != kSecMatchLimitOne && *text != kSecMatchLimitAll)) return errSecParam;
        parsed.matchAll = *text == kSecMatchLimitAll;
    }

    std::shared_ptr<SecKeychain> keychain;
    if (auto object = query->objectForKey(kSecUseKeychain)) {
        keychain = std::dynamic_pointer_cast<SecKeychain>(object);
        if (!keychain) return errSecParam;
    } else if (auto list = foundation::arrayValue(query->objectForKey(kSecMatchSearchList)); list && list->count() > 0) {
        keychain = std::dynamic_pointer_cast<SecKeychain>(list->objectAtIndex(0));
        if (!keychain) return errSecParam;
    }
    if (keychain)
        parsed.file = keychain->path();
    else if (flag(*query, kSecUseDataProtectionKeychain))
        parsed.file = keychainsDirectory() / "data-protection.sqlite";
    else
        parsed.file = keychainsDirectory() / "login.keychain-db";
    return errSecSuccess;
}

const std::set<std::string_view> matchingKeys{kSecClass, kSecAttrService, kSecAttrAccount, kSecAttrAccessGroup,
                                              kSecUseKeychain, kSecMatchSearchList, kSecUseDataProtectionKeychain};

std::set<std::string_view> withKeys(std::set<std::string_view> keys, std::initializer_list<std::string_view> more) {
    keys.insert(more.begin(), more.end());
    return keys;
}

std::shared_ptr<Dictionary> attributesOf(const KeychainItem& item) {
    auto attributes = Dictionary::make();
    attributes->setObject(foundation::String::make(kSecClassGenericPassword), kSecClass);
    attributes->setObject(foundation::String::make(item.service), kSecAttrService);
    attributes->setObject(foundation::String::make(item.account), kSecAttrAccount);
    attributes->setObject(foundation::String::make(item.accessGroup), kSecAttrAccessGroup);
    attributes->setObject(foundation::String::make(item.accessible), kSecAttrAccessible);
    return attributes;
}

objc::Id resultFor(const KeychainItem& item, const ParsedQuery& parsed) {
    if (!parsed.returnAttributes) return foundation::Data::make(item.data);
    auto attributes = attributesOf(item);
    if (parsed.returnData) attributes->setObject(foundation::Data::make(item.data), kSecValueData);
    return attributes;
}

}  // namespace

OSStatus SecItemCopyMatching(const std::shared_ptr<Dictionary>& query, objc::Id* result) {
    if (result) *result = nullptr;
    ParsedQuery parsed;
    static const auto allowed = withKeys(matchingKeys, {kSecReturnData, kSecReturnAttributes, kSecMatchLimit});
    if (OSStatus status = parse(query, allowed, parsed); status != errSecSuccess) return status;
    OSStatus status;
    auto database = KeychainDatabase::open(parsed.file, status);
    if (!database) return status;
    std::vector<KeychainItem> items;
    status = database->find(parsed.match, parsed.matchAll ? 0 : 1, items);
    if (status != errSecSuccess || !result || (!parsed.returnData && !parsed.returnAttributes)) return status;
    if (!parsed.matchAll) {
        *result = resultFor(items.front(), parsed);
        return errSecSuccess;
    }
    auto list = foundation::Array::make();
    for (auto& item : items) list->addObject(resultFor(item, parsed));
    *result = list;
    return errSecSuccess;
}

OSStatus SecItemAdd(const std::shared_ptr<Dictionary>& attributes, objc::Id* result) {
    if (result) *result = nullptr;
    ParsedQuery parsed;
    static const auto allowed =
        withKeys(matchingKeys, {kSecAttrAccessible, kSecValueData, kSecReturnData, kSecReturnAttributes});
    if (OSStatus status = parse(attributes, allowed, parsed); status != errSecSuccess) return status;
    if (auto failure = *addFailure.lock()) return *failure;
    OSStatus status;
    auto database = KeychainDatabase::open(parsed.file, status);
    if (!database) return status;
    KeychainItem item{parsed.match.service.value_or(""), parsed.match.account.value_or(""),
                      parsed.match.accessGroup.value_or(""), parsed.accessible.value_or(kSecAttrAccessibleWhenUnlocked),
                      parsed.data.value_or(std::vector<std::uint8_t>())};
    status = database->insert(item);
    if (status == errSecSuccess && result && (parsed.returnData || parsed.returnAttributes))
        *result = resultFor(item, parsed);
    return status;
}

OSStatus SecItemUpdate(const std::shared_ptr<Dictionary>& query, const std::shared_ptr<Dictionary>& attributesToUpdate) {
    ParsedQuery parsed;
    if (OSStatus status = parse(query, matchingKeys, parsed); status != errSecSuccess) return status;
    if (!attributesToUpdate || attributesToUpdate->count() == 0) return errSecParam;
    std::optional<std::vector<std::uint8_t>> data;
    std::optional<std::string> accessible;
    for (auto& [key, value] : attributesToUpdate->entries()) {
        if (key == kSecValueData) {
            auto bytes = foundation::dataValue(value);
            if (!bytes) return errSecParam;
            data = bytes->bytes();
        } else if (key == kSecAttrAccessible) {
            accessible = foundation::stringValue(value);
            if (!accessible || !isKnownAccessibility(*accessible)) return errSecParam;
        } else {
            return errSecParam;
        }
    }
    OSStatus status;
    auto database = KeychainDatabase::open(parsed.file, status);
    if (!database) return status;
    return database->update(parsed.match, data, accessible);
}

OSStatus SecItemDelete(const std::shared_ptr<Dictionary>& query) {
    ParsedQuery parsed;
    if (OSStatus status = parse(query, matchingKeys, parsed); status != errSecSuccess) return status;
    OSStatus status;
    auto database = KeychainDatabase::open(parsed.file, status);
    if (!database) return status;
    return database->remove(parsed.match);
}

void setAddFailureForTesting(std::optional<OSStatus> status) {
    static foundation::ProcessWideReset reset([] { addFailure.lock()->reset(); });
    *addFailure.lock() = status;
    reset.arm();
}

}  // namespace security
