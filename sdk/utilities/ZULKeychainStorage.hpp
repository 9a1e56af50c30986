#pragma once

#include "platform/foundation/Cache.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/objc/Class.hpp"
#include "platform/security/SecKeychain.hpp"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

using ZULKeychainObjectHandler = std::function<void(objc::Id object, std::shared_ptr<foundation::Error> error)>;
using ZULKeychainRemoveHandler = std::function<void(std::shared_ptr<foundation::Error> error)>;

// Keeps securely-codable objects in the keychain as generic passwords of one service, with
// an in-memory cache in front. Cache access runs on the serial queue
// "com.zul.KeychainStorage.InMemoryCache" and keychain access on
// "com.zul.KeychainStorage.Keychain"; every operation passes the cache queue first, so
// operations reach the keychain in the order they were issued. Each handler runs exactly
// once, on one of those queues, never on the caller's thread. A pending operation keeps the
// storage alive until its handler ran.
class ZULKeychainStorage final : public objc::Object {
public:
    // A storage with a cache of at most 5 objects.
    static std::shared_ptr<ZULKeychainStorage> initWithService(const std::string& service);
    static std::shared_ptr<ZULKeychainStorage> initWithService(const std::string& service,
                                                               std::shared_ptr<foundation::Cache> cache);

    ZULKeychainStorage(std::string service, std::shared_ptr<foundation::Cache> cache);

    // From the cache when it holds the key, else from the keychain: (object, nil), (nil, nil)
    // for a key never written, or (nil, error), for instance when the stored object is not of
    // the expected class.
    void getObjectForKey(const std::string& key, const objc::Class* objectClass,
                         const std::optional<std::string>& accessGroup, ZULKeychainObjectHandler completionHandler);
    // Caches the object at once, then writes it; (object, nil) or (nil, error). After a failed
    // write the cache no longer holds the object.
    void setObject(const objc::Id& object, const std::string& forKey, const std::optional<std::string>& accessGroup,
                   ZULKeychainObjectHandler completionHandler);
    // Removing a key that is not there succeeds.
    void removeObjectForKey(const std::string& key, const std::optional<std::string>& accessGroup,
                            ZULKeychainRemoveHandler completionHandler);
    // The keychain half of a read: skips the cache lookup, fills the cache.
    void getObjectFromKeychainForKey(const std::string& key, const objc::Class* objectClass,
                                     const std::optional<std::string>& accessGroup,
                                     ZULKeychainObjectHandler completionHandler);
    // Empties the cache at once, on the calling thread.
    void resetInMemoryCache();
    std::shared_ptr<foundation::Dictionary> keychainQueryWithKey(const std::string& key,
                                                                 const std::optional<std::string>& accessGroup) const;

    security::SecKeychainRef keychainRef() const;
    void setKeychainRef(security::SecKeychainRef keychainRef);
    const dispatch::QueuePtr& keychainQueue() const { return keychainQueue_; }
    const dispatch::QueuePtr& inMemoryCacheQueue() const { return inMemoryCacheQueue_; }
    const std::string& service() const { return service_; }
    const std::shared_ptr<foundation::Cache>& inMemoryCache() const { return inMemoryCache_; }

private:
    std::shared_ptr<ZULKeychainStorage> strongSelf();
    // Runs on the cache queue: the keychain read of a key whose writes have reached
    // `generation`; the result is cached only if no write or removal came since.
    void readFromKeychain(const std::string& key, const objc::Class* objectClass,
                          const std::optional<std::string>& accessGroup, std::uint64_t generation,
                          std::function<void(objc::Id, std::shared_ptr<foundation::Error>)> completion);

    foundation::Guarded<security::SecKeychainRef> keychainRef_;
    dispatch::QueuePtr keychainQueue_;
    dispatch::QueuePtr inMemoryCacheQueue_;
    std::string service_;
    std::shared_ptr<foundation::Cache> inMemoryCache_;
    // Per key, how many writes and removals have reached the cache; cache queue only.
    std::map<std::string, std::uint64_t> writeGenerations_;
};
