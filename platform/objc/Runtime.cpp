#include "platform/objc/Runtime.hpp"

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

}  // namespace objc
