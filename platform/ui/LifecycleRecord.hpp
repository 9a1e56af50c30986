#pragma once

#include "platform/foundation/NotificationCenter.hpp"
#include "platform/ui/CancellationToken.hpp"
#include "platform/ui/NodePayloads.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace ui {

using PendingActions = std::vector<std::function<void()>>;

// What the host keeps for a node's lifecycle actions between evaluations: whether it has
// appeared, the last watched value, the disappear action, the notification observation and
// the running task. Actions are not run here but added to the pending list, which the host
// runs once the tree is consistent. Main thread only; released when its node goes away.
class LifecycleRecord {
public:
    // Takes the actions of this evaluation: appear and task start the first time, a change
    // when the watched value differs from the previous one (never for the first value).
    void update(const Lifecycle& lifecycle, PendingActions& pending);
    // The node went away: its disappear action becomes pending, its task is cancelled and
    // its observation ends.
    void release(PendingActions& pending);

private:
    void observe(const Lifecycle& lifecycle);

    bool appeared_ = false;
    std::optional<ValueWatch> lastWatch_;
    std::function<void()> onDisappear_;
    std::shared_ptr<std::function<void(const foundation::Notification&)>> receiveHandler_;
    std::unique_ptr<foundation::NotificationToken> receiveToken_;
    std::shared_ptr<CancellationToken> task_;
};

}  // namespace ui
