#include "sdk/utilities/ZULZeroingWeakContainer.hpp"

#include "platform/objc/Class.hpp"

ZULZeroingWeakContainer::ZULZeroingWeakContainer()
    : ZULZeroingWeakContainer(objc::defineClass("ZULZeroingWeakContainer")) {}

ZULZeroingWeakContainer::ZULZeroingWeakContainer(objc::Class* runtimeClass) : objc::Object(runtimeClass) {}

objc::Id ZULZeroingWeakContainer::object() const {
    std::lock_guard lock(mutex_);
    return object_.lock();
}

void ZULZeroingWeakContainer::setObject(const objc::Id& object) {
    std::lock_guard lock(mutex_);
    object_ = object;
}

ZULSceneZeroingWeakContainer::ZULSceneZeroingWeakContainer()
    : ZULZeroingWeakContainer(objc::defineClass("ZULSceneZeroingWeakContainer")) {}
