#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace objc {

// The types of a method's result and arguments, read from its type encoding ("v@:@@", or
// with frame offsets "v32@0:8@16@24"). Argument 0 is the receiver and 1 the selector, as on
// the platform. Immutable.
class MethodSignature {
public:
    // Null when the encoding is malformed or names fewer than the receiver and selector.
    static std::shared_ptr<const MethodSignature> signatureWithObjCTypes(std::string_view typeEncoding);

    const std::string& methodReturnType() const { return returnType_; }
    std::size_t numberOfArguments() const { return argumentTypes_.size(); }
    const std::string& argumentTypeAtIndex(std::size_t index) const { return argumentTypes_.at(index); }

private:
    MethodSignature(std::string returnType, std::vector<std::string> argumentTypes)
        : returnType_(std::move(returnType)), argumentTypes_(std::move(argumentTypes)) {}

    std::string returnType_;
    std::vector<std::string> argumentTypes_;
};

// Whether one type of an encoding is an object reference ("@", "@\"Name\"", qualified or
// not); a block ("@?") is not.
bool isObjectType(std::string_view type);

// Splits a type encoding into its types (qualifiers kept, frame offsets dropped); empty
// when it is malformed.
std::vector<std::string> splitTypeEncoding(std::string_view typeEncoding);

}  // namespace objc
