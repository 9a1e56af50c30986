#include "platform/objc/Protocol.hpp"

#include <memory>
#include <mutex>

namespace objc {

namespace {

std::mutex& protocolLock() {
    static std::mutex lock;
    return lock;
}

std::map<std::string, std::unique_ptr<Protocol>, std::less<>>& protocols() {
    static std::map<std::string, std::unique_ptr<Protocol>, std::less<>> table;
    return table;
}

}  // namespace

void Protocol::addMethodDescription(std::string_view selector, std::string_view typeEncoding,
                                    MethodRequirement requirement, MethodKind kind) {
    std::lock_guard lock(protocolLock());
    methods_[{requirement, kind}].insert_or_assign(std::string(selector), std::string(typeEncoding));
}

std::optional<MethodDescription> Protocol::methodDescription(std::string_view selector,
                                                             MethodRequirement requirement, MethodKind kind) const {
    std::lock_guard lock(protocolLock());
    auto table = methods_.find({requirement, kind});
    if (table == methods_.end()) return std::nullopt;
    auto found = table->second.find(selector);
    if (found == table->second.end()) return std::nullopt;
    return MethodDescription{found->first, found->second};
}

Protocol* defineProtocol(std::string_view name) {
    std::lock_guard lock(protocolLock());
    auto& table = protocols();
    auto found = table.find(name);
    if (found != table.end()) return found->second.get();
    auto protocol = std::unique_ptr<Protocol>(new Protocol(std::string(name)));
    return table.emplace(std::string(name), std::move(protocol)).first->second.get();
}

Protocol* getProtocol(std::string_view name) {
    std::lock_guard lock(protocolLock());
    auto found = protocols().find(name);
    return found == protocols().end() ? nullptr : found->second.get();
}

}  // namespace objc
