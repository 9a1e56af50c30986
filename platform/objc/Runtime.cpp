#include "platform/objc/Runtime.hpp"

#include "platform/objc/Associations.hpp"

namespace objc {

bool respondsToSelector(const Id& receiver, std::string_view selector) {
    Method method;
    return receiver && receiver->isa()->findInstanceMethod(selector, method);
}

bool conformsToProtocol(const Id& receiver, std::string_view protocol) {
    return receiver && receiver->isa()->conformsToProtocol(protocol);
}

bool isKindOfClass(const Id& receiver, const Class* runtimeClass) {
    return receiver && receiver->isa()->isSubclassOf(runtimeClass);
}

Class* object_setClass(const Id& object, Class* runtimeClass) {
    return object ? object->setIsa(runtimeClass) : nullptr;
}

Class* object_getClass(const Id& object) { return object ? object->isa() : nullptr; }

// An ivar's value is kept among the object's associations under the ivar's own address,
// which no association key of other code can equal.
Id object_getIvar(const Id& object, const Ivar* ivar) {
    return ivar ? getAssociatedObject(object, ivar) : nullptr;
}

void object_setIvar(const Id& object, const Ivar* ivar, const Id& value) {
    if (ivar) setAssociatedObject(object, ivar, value, AssociationPolicy::retainNonatomic);
}

}  // namespace objc
