#pragma once

#include "platform/objc/Guarded.hpp"
#include "platform/objc/Implementation.hpp"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace objc {

// One method of a class: the implementation and the platform's type encoding of its
// signature.
struct Method {
    std::string selector;
    std::string typeEncoding;
    Implementation implementation;
};

// An instance variable: its place in the instance (offset and size in bytes) and the type
// encoding of its value. A class keeps its ivars at stable addresses for the process.
struct Ivar {
    std::string name;
    std::string typeEncoding;
    std::size_t offset;
    std::size_t size;
};

// A runtime class: name, superclass, methods keyed by selector text, protocols and ivars.
// Classes are created through the registry and live for the whole process, so a Class* is
// a stable, non-owning handle. Method tables may be changed while other threads send
// messages: every access goes through the class's lock.
class Class {
public:
    const std::string& name() const { return name_; }
    Class* superclass() const { return superclass_; }
    // The superclass's size plus extra bytes and this class's ivars.
    std::size_t instanceSize() const;
    bool isRegistered() const { return registered_.load(); }

    // Adds a method unless this class itself already has one for the selector.
    bool addMethod(std::string_view selector, Implementation implementation, std::string_view typeEncoding);
    bool addClassMethod(std::string_view selector, Implementation implementation, std::string_view typeEncoding);
    // Replaces (or adds) the method and returns the previous implementation of this class,
    // empty when it had none of its own. A method this class adds keeps the type encoding
    // given; a replaced one keeps its own.
    Implementation replaceMethod(std::string_view selector, Implementation implementation,
                                 std::string_view typeEncoding);
    Implementation replaceClassMethod(std::string_view selector, Implementation implementation,
                                      std::string_view typeEncoding);

    // Looks the selector up along the superclass chain. The copy is safe to use after the
    // table changes.
    bool findInstanceMethod(std::string_view selector, Method& method) const;
    bool findClassMethod(std::string_view selector, Method& method) const;
    // The selectors this class itself defines (not its superclasses').
    std::vector<std::string> instanceMethodSelectors() const;

    void addProtocol(std::string_view protocol);
    bool conformsToProtocol(std::string_view protocol) const;

    // Adds an ivar of the size at the next offset aligned to 2^alignment bytes, growing the
    // instance size. Refused once the class is registered, or when the name is taken.
    bool addIvar(std::string_view name, std::size_t size, std::uint8_t alignment, std::string_view typeEncoding);
    // This class's own ivars (not its superclasses'), in declaration order.
    std::vector<const Ivar*> ivars() const;

    bool isSubclassOf(const Class* other) const;

private:
    friend class ClassRegistry;
    Class(std::string name, Class* superclass, std::size_t instanceSize);

    using MethodTable = std::map<std::string, Method, std::less<>>;
    // What may change after the class is made.
    struct Tables {
        std::size_t instanceSize;
        MethodTable instanceMethods;
        MethodTable classMethods;
        std::set<std::string, std::less<>> protocols;
        std::deque<Ivar> ivars;
    };
    static Implementation replaceIn(MethodTable& methods, std::string_view selector, Implementation implementation,
                                    std::string_view typeEncoding);

    const std::string name_;
    Class* const superclass_;
    std::atomic<bool> registered_{false};
    Guarded<Tables> tables_;
};

// The class every object answers to unless given another ("NSObject").
Class* rootClass();

// Finds a registered class by name; null when there is none.
Class* lookUpClass(std::string_view name);
// Creates a class that is not yet visible by name; null when the name is taken.
Class* allocateClassPair(Class* superclass, std::string_view name, std::size_t extraBytes = 0);
// Makes an allocated class visible to lookUpClass.
void registerClassPair(Class* runtimeClass);
// Every registered class.
std::vector<Class*> copyClassList();
// allocateClassPair and registerClassPair in one step; returns the existing class when a
// class of that name is already registered with the same superclass.
Class* defineClass(std::string_view name, Class* superclass = nullptr);

}  // namespace objc
