#pragma once

#include "platform/foundation/Dispatch.hpp"

#include <condition_variable>
#include <mutex>
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
    bool waitOnManualClock(std::unique_lock<std::mutex>& lock, foundation::Clock::TimePoint deadline);
    void wakeWaiters();

    std::mutex mutex_;
    std::condition_variable changed_;
    long count_ = 0;
    std::vector<std::pair<QueuePtr, Work>> notifications_;
};

}  // namespace dispatch
