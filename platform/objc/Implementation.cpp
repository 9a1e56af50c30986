#include "platform/objc/Implementation.hpp"

namespace objc {

std::any Implementation::callWithValues(const Id& self, const std::vector<std::any>& arguments) const {
    if (!body_ || !body_->caller) throw UnrecognizedSelector("implementation cannot be called with argument values");
    return body_->caller(self, arguments);
}

}  // namespace objc
