#include "platform/foundation/ConcurrentQueue.hpp"

#include "platform/foundation/QueueContext.hpp"
#include "platform/foundation/ThreadPool.hpp"
#include "platform/foundation/UncaughtException.hpp"

namespace dispatch {

ConcurrentQueue::ConcurrentQueue(std::string label, Priority priority, QueuePtr target)
    : QueueBase(std::move(label), std::move(target)), priority_(priority) {}

void ConcurrentQueue::async(Work work) {
    auto self = shared_from_this();
    auto run = [self, work = std::move(work)] {
        QueueContext::Scope scope(*self);
        foundation::invokeReportingUncaught(self->label(), work);
    };
    if (target())
        target()->async(std::move(run));
    else
        ThreadPool::shared().submit(priority_, std::move(run));
}

void ConcurrentQueue::sync(Work work) {
    if (target() && !syncWouldDeadlock()) {
        asyncAndWait(std::move(work));
        return;
    }
    QueueContext::Scope scope(*this);
    work();
}

}  // namespace dispatch
