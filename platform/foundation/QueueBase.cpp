#include "platform/foundation/QueueBase.hpp"

#include "platform/foundation/DelayedWork.hpp"
#include "platform/foundation/Exception.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/QueueContext.hpp"

#include <condition_variable>
#include <exception>

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
    struct Outcome {
        bool done = false;
        std::exception_ptr failure;
    };
    struct Completion {
        foundation::Guarded<Outcome> outcome;
        std::condition_variable finished;
    };
    auto completion = std::make_shared<Completion>();
    async([completion, work = std::move(work)] {
        std::exception_ptr failure;
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        *completion->outcome.lock() = Outcome{true, failure};
        completion->finished.notify_all();
    });
    auto outcome = completion->outcome.lock();
    outcome.wait(completion->finished, [](const Outcome& state) { return state.done; });
    if (outcome->failure) std::rethrow_exception(outcome->failure);
}

}  // namespace dispatch
