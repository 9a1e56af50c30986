#pragma once

#include "platform/objc/Guarded.hpp"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace objc {

enum class MethodRequirement { required, optional };
enum class MethodKind { instance, classMethod };

// A selector a protocol declares, with the type encoding of its signature.
struct MethodDescription {
    std::string selector;
    std::string typeEncoding;
};

// A protocol's declared methods, so that callers can build invocations of them at run time.
// Classes conform to a protocol by its name (Class::addProtocol). Protocols live for the
// whole process; declarations may be added and read from any thread.
class Protocol {
public:
    const std::string& name() const { return name_; }

    // Declares the method; a later declaration of the same selector and kind replaces it.
    void addMethodDescription(std::string_view selector, std::string_view typeEncoding,
                              MethodRequirement requirement, MethodKind kind);
    std::optional<MethodDescription> methodDescription(std::string_view selector, MethodRequirement requirement,
                                                       MethodKind kind) const;

private:
    friend Protocol* defineProtocol(std::string_view name);
    explicit Protocol(std::string name) : name_(std::move(name)) {}

    using Key = std::pair<MethodRequirement, MethodKind>;
    std::string name_;
    Guarded<std::map<Key, std::map<std::string, std::string, std::less<>>>> methods_;
};

// Finds the protocol of that name, or creates it.
Protocol* defineProtocol(std::string_view name);
// Null when no protocol of that name was defined.
Protocol* getProtocol(std::string_view name);

}  // namespace objc
