#include "platform/foundation/Null.hpp"

#include "platform/objc/Class.hpp"

namespace foundation {

Null::Null() : objc::Object(objc::defineClass("NSNull")) {}

std::shared_ptr<Null> Null::null() {
    static const std::shared_ptr<Null> shared = std::make_shared<Null>();
    return shared;
}

}  // namespace foundation
