#pragma once

#include "platform/foundation/Array.hpp"
#include "platform/objc/Implementation.hpp"

#include <string_view>

// Replaces method implementations of runtime classes with blocks, and looks them up. Class
// methods only; every replacement and lookup runs in turn on the serial queue
// "com.zadizu.ZULSwizzler", so callers on any thread see them in one order. An empty
// selector stands for none. Missing classes, selectors or methods are programming errors,
// asserted; when the assertion handler lets the caller go on, nothing is changed.
class ZULSwizzler {
public:
    ZULSwizzler() = delete;

    // The block's type must be the method's implementation type (InstanceImplementation or
    // ClassImplementation). A method the class inherits is overridden in the class itself,
    // with the inherited method's type encoding, so its superclass keeps its own.
    static void swizzleClass(objc::Class* aClass, std::string_view selector, bool isClassSelector,
                             objc::Implementation withBlock);
    // Empty when the class or the selector is missing (after the assertion).
    static objc::Implementation currentImplementationForClass(objc::Class* aClass, std::string_view selector,
                                                              bool isClassSelector);
    // selector:existsInClass:isClassSelector:
    static bool selector(std::string_view selector, objc::Class* existsInClass, bool isClassSelector);
    // The values of the object class's own object-typed ivars ("@..."), in declaration order;
    // ivars holding nil are left out, as an array cannot hold nil.
    static std::shared_ptr<foundation::Array> ivarObjectsForObject(const objc::Id& object);
};
