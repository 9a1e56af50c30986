#pragma once

#include "platform/objc/Object.hpp"

namespace foundation {

// The one object that stands for "no value" inside collections.
class Null final : public objc::Object {
public:
    static std::shared_ptr<Null> null();
    std::string description() const override { return "<null>"; }
    bool isEqual(const objc::Object& other) const override { return dynamic_cast<const Null*>(&other) != nullptr; }
    std::size_t hash() const override { return 0; }

    Null();
};

}  // namespace foundation
