#pragma once

#include "platform/objc/Class.hpp"
#include "platform/objc/Object.hpp"

#include <functional>
#include <string>
#include <string_view>

namespace objc {

template <class R, class... Args>
bool addMethod(Class* runtimeClass, std::string_view selector, InstanceImplementation<R, Args...> implementation,
               std::string_view typeEncoding) {
    return runtimeClass->addMethod(selector, std::move(implementation), typeEncoding);
}

template <class R, class... Args>
bool addClassMethod(Class* runtimeClass, std::string_view selector, ClassImplementation<R, Args...> implementation,
                    std::string_view typeEncoding) {
    return runtimeClass->addClassMethod(selector, std::move(implementation), typeEncoding);
}

// Sends a message through the receiver's current class. A nil receiver answers a
// default-constructed result, as on the platform. Argument types must match the method's
// exactly (pass them as template arguments when they do not deduce).
template <class R = void, class... Args>
R send(const Id& receiver, std::string_view selector, Args... args) {
    if (!receiver) {
        if constexpr (std::is_void_v<R>)
            return;
        else
            return R{};
    }
    Method method;
    if (!receiver->isa()->findInstanceMethod(selector, method))
        throw UnrecognizedSelector("-[" + receiver->isa()->name() + " " + std::string(selector) +
                                   "]: unrecognized selector sent to instance");
    auto* implementation = method.implementation.template target<InstanceImplementation<R, Args...>>();
    if (!implementation)
        throw UnrecognizedSelector("-[" + receiver->isa()->name() + " " + std::string(selector) +
                                   "]: sent with a signature the method does not have");
    return (*implementation)(receiver, std::forward<Args>(args)...);
}

template <class R = void, class... Args>
R sendToClass(Class* receiver, std::string_view selector, Args... args) {
    Method method;
    if (!receiver || !receiver->findClassMethod(selector, method))
        throw UnrecognizedSelector("+[" + (receiver ? receiver->name() : std::string("nil")) + " " +
                                   std::string(selector) + "]: unrecognized selector sent to class");
    auto* implementation = method.implementation.template target<ClassImplementation<R, Args...>>();
    if (!implementation)
        throw UnrecognizedSelector("+[" + receiver->name() + " " + std::string(selector) +
                                   "]: sent with a signature the method does not have");
    return (*implementation)(receiver, std::forward<Args>(args)...);
}

bool respondsToSelector(const Id& receiver, std::string_view selector);
bool conformsToProtocol(const Id& receiver, std::string_view protocol);
bool isKindOfClass(const Id& receiver, const Class* runtimeClass);

// Switches the object's class and returns the previous one (null for a nil object).
Class* object_setClass(const Id& object, Class* runtimeClass);
Class* object_getClass(const Id& object);

// The value of an object-typed ivar ("@") of the object; nil until set. Values are held
// strongly and released with the object.
Id object_getIvar(const Id& object, const Ivar* ivar);
void object_setIvar(const Id& object, const Ivar* ivar, const Id& value);

}  // namespace objc
