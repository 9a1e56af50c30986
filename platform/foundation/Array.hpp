#pragma once

#include "platform/objc/Object.hpp"

#include <initializer_list>
#include <vector>

namespace foundation {

// An ordered list of objects (never nil elements); compares element by element. Not
// thread-safe: share copies, or guard it.
class Array final : public objc::Object {
public:
    Array();
    explicit Array(std::vector<objc::Id> items);
    static std::shared_ptr<Array> make(std::vector<objc::Id> items = {});

    const std::vector<objc::Id>& items() const { return items_; }
    std::size_t count() const { return items_.size(); }
    objc::Id objectAtIndex(std::size_t index) const { return index < items_.size() ? items_[index] : nullptr; }
    // Nil is not stored, as on the platform.
    void addObject(objc::Id item);
    void removeAllObjects() { items_.clear(); }

    std::string description() const override;
    bool isEqual(const objc::Object& other) const override;
    std::size_t hash() const override { return items_.size(); }
    objc::Id copy() const override;

private:
    std::vector<objc::Id> items_;
};

std::shared_ptr<Array> arrayValue(const objc::Id& object);

}  // namespace foundation
