#include "sdk/utilities/ZPMPromise.hpp"

dispatch::GroupPtr ZPMPromise::dispatchGroup() {
    // Made once and never destroyed: promises still alive while the process exits leave it.
    static const dispatch::GroupPtr& group = *new dispatch::GroupPtr(dispatch::Group::create());
    return group;
}
