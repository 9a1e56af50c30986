#pragma once

#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/Dispatch.hpp"

#include <cstddef>
#include <memory>
#include <string>

// A key-to-object dictionary any thread may use: every access runs on the dictionary's own
// serial queue "ZULMutableDictionary", so operations take effect in the order they were
// issued. Reads wait for their answer; writes are queued and the caller does not wait, so a
// read after a write on the same thread sees the write. Must not be called from work running
// on its own queue.
class ZULMutableDictionary final : public objc::Object {
public:
    ZULMutableDictionary();
    static std::shared_ptr<ZULMutableDictionary> make() { return std::make_shared<ZULMutableDictionary>(); }

    std::string description() const override;
    objc::Id objectForKey(const std::string& key) const;
    // A nil object is a programming error: NSInvalidArgumentException is raised on the
    // caller's thread and nothing changes.
    void setObject(objc::Id object, std::string key);
    void removeObjectForKey(std::string key);
    void removeAllObjects();
    std::size_t count() const;
    objc::Id objectForKeyedSubscript(const std::string& key) const;
    // A nil object removes the key.
    void setObjectForKeyedSubscript(objc::Id object, std::string key);
    // An immutable snapshot of the contents.
    std::shared_ptr<const foundation::Dictionary> dictionary() const;

private:
    // Touched only by work on queue_.
    std::shared_ptr<foundation::Dictionary> objects_;
    dispatch::QueuePtr queue_;
};
