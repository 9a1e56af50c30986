#pragma once

#include "platform/appkit/View.hpp"
#include "platform/foundation/Observable.hpp"
#include "platform/ui/ImageLoadRecord.hpp"
#include "platform/ui/LifecycleRecord.hpp"
#include "platform/ui/TransitionAnimator.hpp"
#include "platform/ui/View.hpp"

#include <memory>
#include <typeindex>
#include <variant>
#include <vector>

namespace ui {

// A view with a body: its latest value (which holds the state storage) and its
// subscriptions to what it observes.
struct ViewRecord {
    std::shared_ptr<View> view;
    std::vector<foundation::ObservationToken> subscriptions;
};

// A hosted AppKit view with its coordinator, made once for the identity.
struct HostedViewRecord {
    std::shared_ptr<void> coordinator;
    std::shared_ptr<appkit::View> view;
};

// A scroll view: how far its content is scrolled up.
struct ScrollRecord {
    double offset = 0;
};

// What the host keeps for one identity between evaluations: the record of the kind of node
// standing there, and the type that tells whether the node there is still the same kind
// (for views and hosted views, their own type). Main thread only.
struct MountedNode {
    using Record =
        std::variant<ViewRecord, HostedViewRecord, LifecycleRecord, ImageLoadRecord, ScrollRecord, TransitionRecord>;

    std::type_index type = typeid(void);
    bool visited = false;  // seen in the evaluation under way
    Record record;

    // The node went away: stops what the record keeps running (observations, tasks, loads),
    // takes a hosted view out of its container and adds the disappear action to the list.
    void release(PendingActions& pending);
};

}  // namespace ui
