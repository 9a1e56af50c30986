#include "sdk/doderivo/DDVComponentContainer.hpp"

DDVComponentContainer::DDVComponentContainer(std::weak_ptr<ZIZAdu> app, std::vector<DDVComponent> components)
    : app_(std::move(app)) {
    // The first library to offer a protocol keeps it.
    for (auto& component : components) components_.try_emplace(component.protocolName, std::move(component));
}

objc::Id DDVComponentContainer::instanceForProtocol(const std::string& protocolName) {
    if (auto cached = instances_.find(protocolName); cached != instances_.end()) return cached->second;
    auto component = components_.find(protocolName);
    if (component == components_.end() || !component->second.creationBlock) return nullptr;
    auto instance = component->second.creationBlock(*this);
    if (instance) instances_[protocolName] = instance;
    return instance;
}

void DDVComponentContainer::instantiateEagerComponents(bool isDefaultApp) {
    for (const auto& [protocolName, component] : components_) {
        bool eager = component.instantiationTiming == DDVInstantiationTiming::alwaysEager ||
                     (isDefaultApp && component.instantiationTiming == DDVInstantiationTiming::eagerInDefaultApp);
        if (eager) instanceForProtocol(protocolName);
    }
}
