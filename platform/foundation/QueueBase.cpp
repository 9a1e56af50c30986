#include "platform/foundation/QueueBase.hpp"

#include "platform/foundation/DelayedWork.hpp"
#include "platform/foundation/Exception.hpp"
#include "platform/foundation/QueueContext.hpp"

#include <condition_variable>
#include <exception>
#include <mutex>

namespace dispatch {

QueueBase::QueueBase(std::string label, QueuePtr target) : label_(std::move(label)), target_(std::move(target)) {}

void QueueBase::after(Duration delay, Work work) {
    if (delay <= Duration::zero()) {
        async(std::move(work));
        return;
    }
    DelayedWork::shared().schedule(foundation::Clock::now() + delay, shared_from_this(), std::move(work));
}

bool QueueBase::syncWouldDeadlock() const {
    for (const QueueBase* queue = this; queue; queue = dynamic_cast<const QueueBase*>(queue->target_.get())) {
        bool blocked = queue->isSerial() && QueueContext::isRunning(*queue);
        if (queue->isMain() && isMainThread()) blocked = true;
        if (blocked) {
            foundation::AssertionHandler::handleFailure("dispatch sync onto queue \"" + label_ +
                                                         "\" from a thread that queue is waiting for would deadlock");
            return true;
        }
    }
    return false;
}

void QueueBase::asyncAndWait(Work work) {
    struct Completion {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        std::exception_ptr failure;
    };
    auto completion = std::make_shared<Completion>();
    async([completion, work = std::move(work)] {
        std::exception_ptr failure;
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard lock(completion->mutex);
        completion->failure = failure;
        completion->done = true;
        completion->finished.notify_all();
    });
    std::unique_lock lock(completion->mutex);
    completion->finished.wait(lock, [&] { return completion->done; });
    if (completion->failure) std::rethrow_exception(completion->failure);
}

}  // namespace dispatch
