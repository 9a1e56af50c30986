#pragma once

#include "platform/objc/MethodSignature.hpp"
#include "platform/objc/Object.hpp"

#include <any>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace objc {

// A message built at run time: a target, a selector and arguments set one by one by index
// (2 and up; 0 and 1 are the target and the selector, as on the platform), sent through the
// target's current class. Object arguments ("@" in the signature) start as nil; every other
// argument must be set with a value of exactly the implementation's parameter type. One
// thread at a time.
class Invocation final : public Object {
public:
    static std::shared_ptr<Invocation> invocationWithMethodSignature(std::shared_ptr<const MethodSignature> signature);
    explicit Invocation(std::shared_ptr<const MethodSignature> signature);

    const std::shared_ptr<const MethodSignature>& methodSignature() const { return signature_; }
    const Id& target() const { return target_; }
    void setTarget(Id target) { target_ = std::move(target); }
    const std::string& selector() const { return selector_; }
    void setSelector(std::string selector) { selector_ = std::move(selector); }
    // Throws std::out_of_range for an index outside 2 to the signature's argument count.
    void setArgument(std::any value, std::size_t index);

    // Sends the message; a nil target does nothing. A selector the target does not answer, or
    // arguments its implementation does not take, raise UnrecognizedSelector.
    void invoke() const;

private:
    std::shared_ptr<const MethodSignature> signature_;
    Id target_;
    std::string selector_;
    std::vector<std::any> arguments_;  // from index 2
};

}  // namespace objc
