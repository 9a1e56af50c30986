#pragma once

#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/Guarded.hpp"

#include <condition_variable>
#include <utility>
#include <vector>

namespace dispatch {

// A count of unfinished work with waiters and notifications. Usable from any thread; the
// notifications are submitted, outside the lock, by the leave() that empties the group.
class DispatchGroup final : public Group {
public:
    void enter() override;
    void leave() override;
    void async(const QueuePtr& queue, Work work) override;
    void notify(const QueuePtr& queue, Work work) override;
    bool wait(std::optional<Duration> timeout = std::nullopt) override;

private:
    struct State {
        long count = 0;
        std::vector<std::pair<QueuePtr, Work>> notifications;
    };
    using LockedState = foundation::Guarded<State>::View<State>;

    bool waitOnManualClock(LockedState& state, foundation::Clock::TimePoint deadline);
    void wakeWaiters();

    foundation::Guarded<State> state_;
    std::condition_variable changed_;  // the count changed; waited on under the state's lock
};

}  // namespace dispatch
