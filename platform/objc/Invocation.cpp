#include "platform/objc/Invocation.hpp"

#include "platform/objc/Class.hpp"

#include <stdexcept>

namespace objc {

std::shared_ptr<Invocation> Invocation::invocationWithMethodSignature(
    std::shared_ptr<const MethodSignature> signature) {
    if (!signature) return nullptr;
    return std::make_shared<Invocation>(std::move(signature));
}

Invocation::Invocation(std::shared_ptr<const MethodSignature> signature)
    : Object(defineClass("NSInvocation")), signature_(std::move(signature)) {
    for (std::size_t index = 2; index < signature_->numberOfArguments(); ++index) {
        bool isObject = isObjectType(signature_->argumentTypeAtIndex(index));
        arguments_.push_back(isObject ? std::any(Id()) : std::any());
    }
}

void Invocation::setArgument(std::any value, std::size_t index) {
    if (index < 2 || index >= signature_->numberOfArguments())
        throw std::out_of_range("-[NSInvocation setArgument:atIndex:]: index (" + std::to_string(index) +
                                ") out of bounds [2, " + std::to_string(signature_->numberOfArguments() - 1) + "]");
    arguments_[index - 2] = std::move(value);
}

void Invocation::invoke() const {
    if (!target_) return;
    Method method;
    if (!target_->isa()->findInstanceMethod(selector_, method))
        throw UnrecognizedSelector("-[" + target_->isa()->name() + " " + selector_ +
                                   "]: unrecognized selector sent to instance");
    method.implementation.callWithValues(target_, arguments_);
}

}  // namespace objc
