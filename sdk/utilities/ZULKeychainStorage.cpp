#include "sdk/utilities/ZULKeychainStorage.hpp"

#include "platform/foundation/Array.hpp"
#include "platform/foundation/CompletionHandler.hpp"
#include "platform/foundation/KeyedArchiver.hpp"
#include "platform/foundation/KeyedUnarchiver.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/ThreadChecker.hpp"
#include "platform/security/SecItem.hpp"
#include "sdk/utilities/ZULKeychainUtils.hpp"

using foundation::Error;

namespace {

constexpr std::size_t defaultCacheCountLimit = 5;

using ObjectCompletion = foundation::CompletionHandler<objc::Id, std::shared_ptr<Error>>;
using RemoveCompletion = foundation::CompletionHandler<std::shared_ptr<Error>>;

}  // namespace

std::shared_ptr<ZULKeychainStorage> ZULKeychainStorage::initWithService(const std::string& service) {
    auto cache = foundation::Cache::make();
    cache->setCountLimit(defaultCacheCountLimit);
    return initWithService(service, std::move(cache));
}

std::shared_ptr<ZULKeychainStorage> ZULKeychainStorage::initWithService(const std::string& service,
                                                                        std::shared_ptr<foundation::Cache> cache) {
    return std::make_shared<ZULKeychainStorage>(service, std::move(cache));
}

ZULKeychainStorage::ZULKeychainStorage(std::string service, std::shared_ptr<foundation::Cache> cache)
    : objc::Object(objc::defineClass("ZULKeychainStorage")),
      keychainQueue_(dispatch::createQueue("com.zul.KeychainStorage.Keychain")),
      inMemoryCacheQueue_(dispatch::createQueue("com.zul.KeychainStorage.InMemoryCache")),
      service_(std::move(service)),
      inMemoryCache_(std::move(cache)) {}

std::shared_ptr<ZULKeychainStorage> ZULKeychainStorage::strongSelf() {
    return std::static_pointer_cast<ZULKeychainStorage>(shared_from_this());
}

void ZULKeychainStorage::getObjectForKey(const std::string& key, const objc::Class* objectClass,
                                         const std::optional<std::string>& accessGroup,
                                         ZULKeychainObjectHandler completionHandler) {
    ObjectCompletion completion(std::move(completionHandler));
    inMemoryCacheQueue_->async([self = strongSelf(), key, objectClass, accessGroup, completion] {
        if (auto cached = self->inMemoryCache_->objectForKey(key)) {
            completion(cached, nullptr);
            return;
        }
        self->readFromKeychain(key, objectClass, accessGroup, self->writeGenerations_[key], completion);
    });
}

void ZULKeychainStorage::getObjectFromKeychainForKey(const std::string& key, const objc::Class* objectClass,
                                                     const std::optional<std::string>& accessGroup,
                                                     ZULKeychainObjectHandler completionHandler) {
    ObjectCompletion completion(std::move(completionHandler));
    inMemoryCacheQueue_->async([self = strongSelf(), key, objectClass, accessGroup, completion] {
        self->readFromKeychain(key, objectClass, accessGroup, self->writeGenerations_[key], completion);
    });
}

void ZULKeychainStorage::readFromKeychain(const std::string& key, const objc::Class* objectClass,
                                          const std::optional<std::string>& accessGroup, std::uint64_t generation,
                                          std::function<void(objc::Id, std::shared_ptr<Error>)> completion) {
    dispatch::checkOnQueue(*inMemoryCacheQueue_);
    keychainQueue_->async([self = strongSelf(), key, objectClass, accessGroup, generation, completion] {
        std::shared_ptr<Error> error;
        auto data = ZULKeychainUtils::getItemWithQuery(self->keychainQueryWithKey(key, accessGroup), &error);
        if (error || !data) {
            completion(nullptr, error);
            return;
        }
        auto object = foundation::KeyedUnarchiver::unarchivedObjectOfClass(objectClass, *data, &error);
        if (error) {
            completion(nullptr, error);
            return;
        }
        self->inMemoryCacheQueue_->async([self, key, object, generation, completion] {
            // A write or removal issued while the keychain was read is newer than what was read.
            if (object && self->writeGenerations_[key] == generation) self->inMemoryCache_->setObject(object, key);
            completion(object, nullptr);
        });
    });
}

void ZULKeychainStorage::setObject(const objc::Id& object, const std::string& forKey,
                                   const std::optional<std::string>& accessGroup,
                                   ZULKeychainObjectHandler completionHandler) {
    ObjectCompletion completion(std::move(completionHandler));
    inMemoryCacheQueue_->async([self = strongSelf(), object, key = forKey, accessGroup, completion] {
        ++self->writeGenerations_[key];
        self->inMemoryCache_->setObject(object, key);
        self->keychainQueue_->async([self, object, key, accessGroup, completion] {
            std::shared_ptr<Error> error;
            auto data = foundation::KeyedArchiver::archivedDataWithRootObject(object, &error);
            if (data) ZULKeychainUtils::setItem(data, self->keychainQueryWithKey(key, accessGroup), &error);
            if (!error) {
                completion(object, nullptr);
                return;
            }
            // The cache must not claim what the keychain does not hold; a newer object put
            // there by a later write stays.
            self->inMemoryCacheQueue_->sync([&] {
                if (self->inMemoryCache_->objectForKey(key) == object) self->inMemoryCache_->removeObjectForKey(key);
            });
            completion(nullptr, error);
        });
    });
}

void ZULKeychainStorage::removeObjectForKey(const std::string& key, const std::optional<std::string>& accessGroup,
                                            ZULKeychainRemoveHandler completionHandler) {
    RemoveCompletion completion(std::move(completionHandler));
    inMemoryCacheQueue_->async([self = strongSelf(), key, accessGroup, completion] {
        ++self->writeGenerations_[key];
        self->inMemoryCache_->removeObjectForKey(key);
        self->keychainQueue_->async([self, key, accessGroup, completion] {
            std::shared_ptr<Error> error;
            ZULKeychainUtils::removeItemWithQuery(self->keychainQueryWithKey(key, accessGroup), &error);
            completion(error);
        });
    });
}

void ZULKeychainStorage::resetInMemoryCache() { inMemoryCache_->removeAllObjects(); }

std::shared_ptr<foundation::Dictionary> ZULKeychainStorage::keychainQueryWithKey(
    const std::string& key, const std::optional<std::string>& accessGroup) const {
    auto query = foundation::Dictionary::make();
    query->setObject(foundation::String::make(security::kSecClassGenericPassword), security::kSecClass);
    query->setObject(foundation::String::make(service_), security::kSecAttrService);
    query->setObject(foundation::String::make(key), security::kSecAttrAccount);
    if (accessGroup) query->setObject(foundation::String::make(*accessGroup), security::kSecAttrAccessGroup);
    query->setObject(foundation::Number::withBool(true), security::kSecUseDataProtectionKeychain);
    if (auto keychain = keychainRef()) {
        query->setObject(keychain, security::kSecUseKeychain);
        query->setObject(foundation::Array::make({keychain}), security::kSecMatchSearchList);
    }
    return query;
}

security::SecKeychainRef ZULKeychainStorage::keychainRef() const {
    return *keychainRef_.lock();
}

void ZULKeychainStorage::setKeychainRef(security::SecKeychainRef keychainRef) {
    *keychainRef_.lock() = std::move(keychainRef);
}
