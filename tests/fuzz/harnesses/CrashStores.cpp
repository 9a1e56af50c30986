#include "tests/fuzz/harnesses/CrashStores.hpp"

#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/KeyedArchiver.hpp"
#include "platform/foundation/KeyedUnarchiver.hpp"
#include "platform/foundation/PropertyListSerialization.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "platform/objc/Class.hpp"
#include "platform/security/SecItem.hpp"
#include "sdk/utilities/ZULKeychainStorage.hpp"
#include "sdk/utilities/ZULKeychainUtils.hpp"
#include "sdk/utilities/ZULUserDefaults.hpp"

#include <charconv>
#include <condition_variable>

namespace fuzzing {

namespace {

constexpr const char* userDefaultsSuite = "com.kestrelvault.crash-trials";
constexpr const char* sdkUserDefaultsSuite = "com.kestrelvault.crash-trials.sdk";
constexpr const char* keychainService = "com.kestrelvault.crash-trials";
constexpr const char* storageService = "com.kestrelvault.crash-trials.storage";
constexpr const char* names[crashStoreCount] = {"user-defaults", "keychain-item", "sdk-user-defaults",
                                                "sdk-keychain-storage"};

std::shared_ptr<foundation::Dictionary> keychainItemQuery(const std::string& key) {
    return foundation::Dictionary::make({{security::kSecClass, foundation::String::make(security::kSecClassGenericPassword)},
                                         {security::kSecAttrService, foundation::String::make(keychainService)},
                                         {security::kSecAttrAccount, foundation::String::make(key)}});
}

const std::shared_ptr<ZULKeychainStorage>& keychainStorage() {
    static const auto storage = ZULKeychainStorage::initWithService(storageService);
    return storage;
}

using foundation::Expected;
using foundation::Failure;

// The round a stored text names.
Expected<int> roundOf(const std::optional<std::string>& text, const std::string& key) {
    int round = 0;
    auto end = text && text->starts_with("round ") ? text->find(' ', 6) : std::string::npos;
    auto digits = end == std::string::npos ? std::string_view() : std::string_view(*text).substr(6, end - 6);
    auto [stop, problem] = std::from_chars(digits.data(), digits.data() + digits.size(), round);
    if (digits.empty() || problem != std::errc() || stop != digits.data() + digits.size())
        return Failure{key + " holds something no writer wrote"};
    return round;
}

Expected<int> readDefaultsRound(const char* suite, const std::string& key) {
    auto path = foundation::FileManager::defaultManager().homeDirectoryForCurrentUser() / "Library/Preferences" /
                (std::string(suite) + ".plist");
    std::shared_ptr<foundation::Error> error;
    auto data = foundation::FileManager::defaultManager().contentsAtPath(path, &error);
    if (!data) {
        if (error && error->code() == foundation::NSFileReadNoSuchFileError) return 0;
        return Failure{path.string() + " does not open"};
    }
    auto values = foundation::dictionaryValue(foundation::PropertyListSerialization::propertyListWithData(*data));
    if (!values) return Failure{path.string() + " is not a readable domain"};
    auto value = values->objectForKey(key);
    if (!value) return 0;
    return roundOf(foundation::stringValue(value), key);
}

Expected<int> readKeychainRound(const std::shared_ptr<foundation::Dictionary>& query, bool archived,
                                const std::string& key) {
    std::shared_ptr<foundation::Error> error;
    auto data = ZULKeychainUtils::getItemWithQuery(query, &error);
    if (error) return Failure{"the keychain does not open: " + error->description()};
    if (!data) return 0;
    std::optional<std::string> text = std::string(data->view());
    if (archived) {
        text = foundation::stringValue(
            foundation::KeyedUnarchiver::unarchivedObjectOfClass(objc::defineClass("NSString"), *data, &error));
        if (!text) return Failure{key + " holds an archive that does not read: " + (error ? error->description() : "")};
    }
    return roundOf(text, key);
}

}  // namespace

const char* crashStoreName(CrashStore store) { return names[static_cast<int>(store)]; }

std::optional<CrashStore> crashStoreNamed(std::string_view name) {
    for (int index = 0; index < crashStoreCount; ++index)
        if (name == names[index]) return static_cast<CrashStore>(index);
    return std::nullopt;
}

std::string crashValue(int round, std::size_t fillerLength) {
    return "round " + std::to_string(round) + " " + std::string(fillerLength, '.');
}

bool writeCrashValue(CrashStore store, const std::string& key, const std::string& value) {
    switch (store) {
    case CrashStore::userDefaults: {
        static const auto defaults = foundation::UserDefaults::initWithSuiteName(userDefaultsSuite);
        defaults->setString(value, key);
        return true;
    }
    case CrashStore::keychainItem: {
        std::shared_ptr<foundation::Error> error;
        return ZULKeychainUtils::setItem(foundation::Data::fromString(value), keychainItemQuery(key), &error);
    }
    case CrashStore::sdkUserDefaults: {
        static const auto defaults = ZULUserDefaults::initWithSuiteName(std::string(sdkUserDefaultsSuite));
        defaults->setObject(foundation::String::make(value), foundation::String::make(key));
        return true;
    }
    case CrashStore::sdkKeychainStorage: {
        foundation::Guarded<std::optional<bool>> stored;
        std::condition_variable finished;
        keychainStorage()->setObject(foundation::String::make(value), key, std::nullopt,
                                     [&](objc::Id, std::shared_ptr<foundation::Error> error) {
                                         // Notified under the lock: the waiter may
                                         // return, ending both, once it is released.
                                         auto answer = stored.lock();
                                         *answer = !error;
                                         finished.notify_one();
                                     });
        auto result = stored.lock();
        result.wait(finished, [](const std::optional<bool>& answer) { return answer.has_value(); });
        return **result;
    }
    }
    return false;
}

Expected<int> readCrashRound(CrashStore store, const std::string& key) {
    switch (store) {
    case CrashStore::userDefaults: return readDefaultsRound(userDefaultsSuite, key);
    case CrashStore::sdkUserDefaults: return readDefaultsRound(sdkUserDefaultsSuite, key);
    case CrashStore::keychainItem: return readKeychainRound(keychainItemQuery(key), false, key);
    case CrashStore::sdkKeychainStorage:
        return readKeychainRound(keychainStorage()->keychainQueryWithKey(key, std::nullopt), true, key);
    }
    return Failure{"no such store"};
}

}  // namespace fuzzing
