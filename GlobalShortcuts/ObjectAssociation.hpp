#pragma once

#include "platform/foundation/ThreadChecker.hpp"
#include "platform/objc/Associations.hpp"
#include "platform/objc/Object.hpp"

#include <memory>
#include <type_traits>

namespace GlobalShortcuts {

// The memory policies of an attachment: the platform's own, with their raw values.
using AssociationPolicy = objc::AssociationPolicy;

// A typed slot on any object: each instance is its own key (its address), so two
// associations never see each other's values. A value lives as long as the object (or
// until overwritten or removed), under the policy. Main thread only.
template <class T>
class ObjectAssociation {
public:
    explicit ObjectAssociation(AssociationPolicy policy = AssociationPolicy::retainNonatomic) : policy_(policy) {}
    ObjectAssociation(const ObjectAssociation&) = delete;
    ObjectAssociation& operator=(const ObjectAssociation&) = delete;

    AssociationPolicy policy() const { return policy_; }

    // None when nothing is attached or the attached value is not a T.
    std::shared_ptr<T> operator[](const objc::Id& object) const {
        dispatch::checkMainThread();
        auto attached = objc::getAssociatedObject(object, this);
        if constexpr (std::is_base_of_v<objc::Object, T>) {
            return std::dynamic_pointer_cast<T>(attached);
        } else {
            auto box = std::dynamic_pointer_cast<objc::Box<std::shared_ptr<T>>>(attached);
            return box ? box->value : nullptr;
        }
    }

    // None removes the attachment.
    void set(const objc::Id& object, std::shared_ptr<T> value) {
        dispatch::checkMainThread();
        objc::Id attached;
        if constexpr (std::is_base_of_v<objc::Object, T>)
            attached = std::move(value);
        else if (value)
            attached = std::make_shared<objc::Box<std::shared_ptr<T>>>(std::move(value));
        objc::setAssociatedObject(object, this, attached, policy_);
    }

private:
    AssociationPolicy policy_;
};

}  // namespace GlobalShortcuts
