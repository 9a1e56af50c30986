#pragma once

#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/Error.hpp"
#include "sdk/utilities/ZULKeychainStorage.hpp"

#include <future>
#include <string>

namespace testsupport {

// What a storage handler reported, and on which queue it ran.
struct KeychainOutcome {
    objc::Id object;
    std::shared_ptr<foundation::Error> error;
    std::string queue;
};

// Each call waits for the handler (which runs on one of the storage's queues).
inline KeychainOutcome getObject(ZULKeychainStorage& storage, const std::string& key, const char* className,
                                 std::optional<std::string> accessGroup = std::nullopt) {
    std::promise<KeychainOutcome> done;
    storage.getObjectForKey(key, objc::lookUpClass(className), accessGroup,
                            [&](objc::Id object, std::shared_ptr<foundation::Error> error) {
                                done.set_value({object, error, dispatch::currentQueueLabel()});
                            });
    return done.get_future().get();
}

inline KeychainOutcome setObject(ZULKeychainStorage& storage, const objc::Id& object, const std::string& key,
                                 std::optional<std::string> accessGroup = std::nullopt) {
    std::promise<KeychainOutcome> done;
    storage.setObject(object, key, accessGroup, [&](objc::Id stored, std::shared_ptr<foundation::Error> error) {
        done.set_value({stored, error, dispatch::currentQueueLabel()});
    });
    return done.get_future().get();
}

inline KeychainOutcome removeObject(ZULKeychainStorage& storage, const std::string& key,
                                    std::optional<std::string> accessGroup = std::nullopt) {
    std::promise<KeychainOutcome> done;
    storage.removeObjectForKey(key, accessGroup, [&](std::shared_ptr<foundation::Error> error) {
        done.set_value({nullptr, error, dispatch::currentQueueLabel()});
    });
    return done.get_future().get();
}

}  // namespace testsupport
