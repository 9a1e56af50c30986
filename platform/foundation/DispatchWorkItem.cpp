#include "platform/foundation/Dispatch.hpp"

#include <atomic>

namespace dispatch {

namespace {

// Cancellation is a flag read when the item starts; it is set from any thread.
class CancellableWorkItem final : public WorkItem {
public:
    explicit CancellableWorkItem(Work work) : work_(std::move(work)) {}

    void perform() override {
        if (!cancelled_.load()) work_();
    }
    void cancel() override { cancelled_.store(true); }
    bool isCancelled() const override { return cancelled_.load(); }

private:
    Work work_;
    std::atomic<bool> cancelled_{false};
};

}  // namespace

std::shared_ptr<WorkItem> WorkItem::create(Work work) { return std::make_shared<CancellableWorkItem>(std::move(work)); }

void WorkItem::async(const QueuePtr& queue) {
    queue->async([self = shared_from_this()] { self->perform(); });
}

void WorkItem::after(const QueuePtr& queue, Duration delay) {
    queue->after(delay, [self = shared_from_this()] { self->perform(); });
}

}  // namespace dispatch
