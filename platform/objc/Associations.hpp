#pragma once

#include "platform/objc/Guarded.hpp"
#include "platform/objc/Object.hpp"

#include <map>

namespace objc {

// The platform's association policies with their numeric values. Atomic and nonatomic
// forms behave alike here: every access takes the owner's association lock.
enum class AssociationPolicy : unsigned {
    assign = 0,
    retainNonatomic = 1,
    copyNonatomic = 3,
    retain = 0x301,
    copy = 0x303,
};

// Objects attached to an owner under opaque keys. Retained and copied values live as long
// as the owner (or until replaced); assigned values are held weakly, so reading one after
// it died gives nil instead of a dangling reference.
class Associations {
public:
    void set(const void* key, const Id& value, AssociationPolicy policy);
    Id get(const void* key) const;

private:
    struct Entry {
        Id strong;
        WeakId weak;
    };
    Guarded<std::map<const void*, Entry>> entries_;
};

void setAssociatedObject(const Id& object, const void* key, const Id& value, AssociationPolicy policy);
Id getAssociatedObject(const Id& object, const void* key);

}  // namespace objc
