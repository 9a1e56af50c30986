#include "sdk/utilities/ZULZeroingWeakContainer.hpp"

#include "platform/objc/Class.hpp"

ZULZeroingWeakContainer::ZULZeroingWeakContainer()
    : ZULZeroingWeakContainer(objc::defineClass("ZULZeroingWeakContainer")) {}

ZULZeroingWeakContainer::ZULZeroingWeakContainer(objc::Class* runtimeClass) : objc::Object(runtimeClass) {}

objc::Id ZULZeroingWeakContainer::object() const {
    return object_.withLock([](const objc::WeakId& object) { return object.lock(); });
}

void ZULZeroingWeakContainer::setObject(const objc::Id& object) { *object_.lock() = object; }

ZULSceneZeroingWeakContainer::ZULSceneZeroingWeakContainer()
    : ZULZeroingWeakContainer(objc::defineClass("ZULSceneZeroingWeakContainer")) {}
