#include "platform/objc/Associations.hpp"

namespace objc {

void Associations::set(const void* key, const Id& value, AssociationPolicy policy) {
    Entry entry;
    if (value) {
        switch (policy) {
        case AssociationPolicy::assign:
            entry.weak = value;
            break;
        case AssociationPolicy::retain:
        case AssociationPolicy::retainNonatomic:
            entry.strong = value;
            break;
        case AssociationPolicy::copy:
        case AssociationPolicy::copyNonatomic:
            entry.strong = value->copy();
            break;
        }
    }
    Entry previous;  // released outside the lock: its destructor may touch associations
    {
        auto entries = entries_.lock();
        auto found = entries->find(key);
        if (found != entries->end()) previous = std::move(found->second);
        if (value)
            (*entries)[key] = std::move(entry);
        else if (found != entries->end())
            entries->erase(found);
    }
}

Id Associations::get(const void* key) const {
    auto entries = entries_.lock();
    auto found = entries->find(key);
    if (found == entries->end()) return nullptr;
    if (found->second.strong) return found->second.strong;
    return found->second.weak.lock();
}

void setAssociatedObject(const Id& object, const void* key, const Id& value, AssociationPolicy policy) {
    if (object) object->associations().set(key, value, policy);
}

Id getAssociatedObject(const Id& object, const void* key) {
    return object ? object->associations().get(key) : nullptr;
}


}  // namespace objc
