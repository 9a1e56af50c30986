#include "sdk/utilities/ZULSwizzler.hpp"

#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/Exception.hpp"
#include "platform/foundation/Format.hpp"
#include "platform/objc/Runtime.hpp"

namespace {

const dispatch::QueuePtr& swizzleQueue() {
    static const dispatch::QueuePtr queue = dispatch::createQueue("com.zadizu.ZULSwizzler");
    return queue;
}

// Asserts that both are given; false when one is missing and the handler let us go on.
bool classAndSelectorGiven(objc::Class* aClass, std::string_view selector) {
    if (selector.empty()) foundation::AssertionHandler::handleFailure("The selector cannot be NULL");
    if (!aClass) foundation::AssertionHandler::handleFailure("The class cannot be Nil");
    return aClass && !selector.empty();
}

bool findMethod(objc::Class* aClass, std::string_view selector, bool isClassSelector, objc::Method& method) {
    return isClassSelector ? aClass->findClassMethod(selector, method) : aClass->findInstanceMethod(selector, method);
}

}  // namespace

void ZULSwizzler::swizzleClass(objc::Class* aClass, std::string_view selector, bool isClassSelector,
                               objc::Implementation withBlock) {
    swizzleQueue()->sync([&] {
        if (!classAndSelectorGiven(aClass, selector)) return;
        objc::Method method;
        if (!findMethod(aClass, selector, isClassSelector, method)) {
            foundation::AssertionHandler::handleFailure(
                foundation::format("You're attempting to swizzle a method that doesn't exist. (%@, %@)",
                                   aClass->name(), selector));
            return;
        }
        if (isClassSelector)
            aClass->replaceClassMethod(selector, std::move(withBlock), method.typeEncoding);
        else
            aClass->replaceMethod(selector, std::move(withBlock), method.typeEncoding);
    });
}

objc::Implementation ZULSwizzler::currentImplementationForClass(objc::Class* aClass, std::string_view selector,
                                                                bool isClassSelector) {
    if (!classAndSelectorGiven(aClass, selector)) return {};
    objc::Implementation implementation;
    swizzleQueue()->sync([&] {
        objc::Method method;
        if (!findMethod(aClass, selector, isClassSelector, method)) {
            foundation::AssertionHandler::handleFailure(foundation::format(
                "The Method for this class/selector combo doesn't exist (%@, %@).", aClass->name(), selector));
            return;
        }
        if (!method.implementation)
            foundation::AssertionHandler::handleFailure(foundation::format(
                "The IMP for this class/selector combo doesn't exist (%@, %@).", aClass->name(), selector));
        implementation = method.implementation;
    });
    return implementation;
}

bool ZULSwizzler::selector(std::string_view selector, objc::Class* existsInClass, bool isClassSelector) {
    objc::Method method;
    return existsInClass && findMethod(existsInClass, selector, isClassSelector, method);
}

std::shared_ptr<foundation::Array> ZULSwizzler::ivarObjectsForObject(const objc::Id& object) {
    std::vector<objc::Id> values;
    if (objc::Class* objectClass = objc::object_getClass(object))
        for (const objc::Ivar* ivar : objectClass->ivars())
            if (ivar->typeEncoding.starts_with('@'))
                if (auto value = objc::object_getIvar(object, ivar)) values.push_back(std::move(value));
    return foundation::Array::make(std::move(values));
}
