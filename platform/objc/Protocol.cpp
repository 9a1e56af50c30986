#include "platform/objc/Protocol.hpp"

#include <memory>

namespace objc {

namespace {

using ProtocolTable = std::map<std::string, std::unique_ptr<Protocol>, std::less<>>;

Guarded<ProtocolTable>& protocols() {
    static Guarded<ProtocolTable> table;
    return table;
}

}  // namespace

void Protocol::addMethodDescription(std::string_view selector, std::string_view typeEncoding,
                                    MethodRequirement requirement, MethodKind kind) {
    auto methods = methods_.lock();
    (*methods)[{requirement, kind}].insert_or_assign(std::string(selector), std::string(typeEncoding));
}

std::optional<MethodDescription> Protocol::methodDescription(std::string_view selector,
                                                             MethodRequirement requirement, MethodKind kind) const {
    auto methods = methods_.lock();
    auto table = methods->find({requirement, kind});
    if (table == methods->end()) return std::nullopt;
    auto found = table->second.find(selector);
    if (found == table->second.end()) return std::nullopt;
    return MethodDescription{found->first, found->second};
}

Protocol* defineProtocol(std::string_view name) {
    auto table = protocols().lock();
    auto found = table->find(name);
    if (found != table->end()) return found->second.get();
    auto protocol = std::unique_ptr<Protocol>(new Protocol(std::string(name)));
    return table->emplace(std::string(name), std::move(protocol)).first->second.get();
}

Protocol* getProtocol(std::string_view name) {
    auto table = protocols().lock();
    auto found = table->find(name);
    return found == table->end() ? nullptr : found->second.get();
}

}  // namespace objc
