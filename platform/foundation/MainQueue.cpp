#include "platform/foundation/MainQueue.hpp"

#include "platform/foundation/QueueContext.hpp"
#include "platform/foundation/UncaughtException.hpp"

#include <atomic>

namespace dispatch {

namespace {
std::atomic<bool> mainQueueCreated{false};
}

MainQueue::MainQueue() : QueueBase("com.apple.main-thread", nullptr) {}

std::shared_ptr<MainQueue> MainQueue::shared() {
    static const std::shared_ptr<MainQueue> queue = [] {
        auto created = std::make_shared<MainQueue>();
        std::weak_ptr<MainQueue> weakQueue = created;
        auto [source, registration] = foundation::RunLoop::main()->addSource(
            [weakQueue] {
                if (auto queue = weakQueue.lock()) queue->drain();
            },
            foundation::NSRunLoopCommonModes);
        created->source_ = source;
        created->sourceRegistration_ = std::move(registration);
        mainQueueCreated.store(true);
        return created;
    }();
    return queue;
}

void MainQueue::async(Work work) {
    items_.lock()->push_back(std::move(work));
    source_->signal();
}

void MainQueue::sync(Work work) {
    if (syncWouldDeadlock()) {
        QueueContext::Scope scope(*this);
        work();
        return;
    }
    asyncAndWait(std::move(work));
}

bool MainQueue::isEmpty() const { return items_.lock()->empty(); }

void MainQueue::drain() {
    // One item at a time, so that a nested run started by an item takes the following ones
    // in order rather than overtaking them.
    for (std::size_t count = items_.lock()->size(); count > 0; --count) {
        Work work;
        bool moreWaiting;
        {
            auto items = items_.lock();
            if (items->empty()) return;
            work = std::move(items->front());
            items->pop_front();
            moreWaiting = !items->empty();
        }
        // The item may start a nested run; it must find the source signalled to take the
        // items behind it, since nothing else may signal it before the nested run ends.
        if (moreWaiting) source_->signal();
        QueueContext::Scope scope(*this);
        foundation::invokeReportingUncaught(label(), work);
    }
}

bool mainQueueIsEmpty() { return !mainQueueCreated.load() || MainQueue::shared()->isEmpty(); }

}  // namespace dispatch
