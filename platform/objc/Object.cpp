#include "platform/objc/Object.hpp"

#include "platform/objc/Associations.hpp"
#include "platform/objc/Class.hpp"

#include <cstdio>

namespace objc {

Object::Object() : isa_(rootClass()) {}

Object::Object(Class* runtimeClass) : isa_(runtimeClass ? runtimeClass : rootClass()) {}

Object::~Object() = default;

Class* Object::setIsa(Class* runtimeClass) {
    return isa_.exchange(runtimeClass ? runtimeClass : rootClass(), std::memory_order_acq_rel);
}

std::string Object::description() const {
    // A class may describe its instances through the runtime (a method added at run time
    // answers for an object whose class was switched to it).
    Method method;
    if (isa()->findInstanceMethod("description", method))
        if (auto* describe = method.implementation.target<InstanceImplementation<std::string>>())
            if (auto self = std::const_pointer_cast<Object>(weak_from_this().lock())) return (*describe)(self);
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
    return "<" + isa()->name() + ": " + address + ">";
}

bool Object::isEqual(const Object& other) const { return this == &other; }

std::size_t Object::hash() const { return reinterpret_cast<std::size_t>(this); }

Id Object::copy() const { return std::const_pointer_cast<Object>(shared_from_this()); }

Associations& Object::associations() const {
    std::call_once(associationsOnce_, [this] { associations_ = std::make_unique<Associations>(); });
    return *associations_;
}

bool isEqual(const Id& left, const Id& right) {
    if (!left || !right) return !left && !right;
    return left == right || left->isEqual(*right);
}

}  // namespace objc
