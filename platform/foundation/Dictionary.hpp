#pragma once

#include "platform/objc/Object.hpp"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace foundation {

// A map from string keys to objects, iterated in key order; compares by content. Setting
// nil removes the key. Not thread-safe: share copies, or guard it.
class Dictionary final : public objc::Object {
public:
    using Storage = std::map<std::string, objc::Id, std::less<>>;

    Dictionary();
    explicit Dictionary(Storage entries);
    static std::shared_ptr<Dictionary> make(Storage entries = {});

    const Storage& entries() const { return entries_; }
    std::size_t count() const { return entries_.size(); }
    objc::Id objectForKey(std::string_view key) const;
    void setObject(objc::Id value, std::string key);
    void removeObjectForKey(std::string_view key);
    std::vector<std::string> allKeys() const;

    std::string description() const override;
    bool isEqual(const objc::Object& other) const override;
    std::size_t hash() const override { return entries_.size(); }
    objc::Id copy() const override;

private:
    Storage entries_;
};

std::shared_ptr<Dictionary> dictionaryValue(const objc::Id& object);

}  // namespace foundation
