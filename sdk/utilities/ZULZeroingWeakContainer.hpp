#pragma once

#include "platform/foundation/Guarded.hpp"
#include "platform/objc/Object.hpp"

// Holds one object without keeping it alive: once the object is gone, `object()` answers
// nil. Any thread may read and set it.
class ZULZeroingWeakContainer : public objc::Object {
public:
    ZULZeroingWeakContainer();

    objc::Id object() const;
    void setObject(const objc::Id& object);

protected:
    explicit ZULZeroingWeakContainer(objc::Class* runtimeClass);

private:
    foundation::Guarded<objc::WeakId> object_;
};

// The scene-delegate swizzler's container, the same in all but its class name.
class ZULSceneZeroingWeakContainer final : public ZULZeroingWeakContainer {
public:
    ZULSceneZeroingWeakContainer();
};
