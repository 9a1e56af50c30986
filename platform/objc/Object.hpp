#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

namespace objc {

class Class;
class Object;
class Associations;

using Id = std::shared_ptr<Object>;
using WeakId = std::weak_ptr<Object>;

// Root of every object the runtime can see. Objects are always held by std::shared_ptr;
// the class pointer may be read and switched from any thread, and associated objects are
// guarded by their own lock and released with the object.
class Object : public std::enable_shared_from_this<Object> {
public:
    Object();
    explicit Object(Class* runtimeClass);
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object();

    // The runtime class the object answers to; never null (the root class by default).
    Class* isa() const { return isa_.load(std::memory_order_acquire); }
    // Switches the runtime class and returns the previous one.
    Class* setIsa(Class* runtimeClass);

    // What the runtime class's "description" method answers when it has one, else
    // "<ClassName: 0x...>"; C++ subclasses may say something better.
    virtual std::string description() const;
    // Identity unless a subclass compares values.
    virtual bool isEqual(const Object& other) const;
    virtual std::size_t hash() const;
    // An immutable copy. Immutable objects answer themselves.
    virtual Id copy() const;

    Associations& associations() const;

private:
    std::atomic<Class*> isa_;
    mutable std::once_flag associationsOnce_;
    mutable std::unique_ptr<Associations> associations_;
};

// Equality as the platform's collections see it: both nil, or both present and equal.
bool isEqual(const Id& left, const Id& right);

// Wraps any C++ value so it can travel where an object is expected.
template <class T>
class Box final : public Object {
public:
    explicit Box(T value) : value(std::move(value)) {}
    T value;
};

template <class T>
std::shared_ptr<T> as(const Id& object) {
    return std::dynamic_pointer_cast<T>(object);
}

}  // namespace objc
