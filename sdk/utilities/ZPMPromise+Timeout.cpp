#include "sdk/utilities/ZPMPromise.hpp"
#include "sdk/utilities/ZPMPromiseBlockForm.hpp"

ZPMPromise::Ptr ZPMPromise::onQueueTimeout(dispatch::QueuePtr queue, double interval) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}})) return invalid;
    auto promise = makePendingPromise();
    forwardOutcome(queue, promise);
    // The timer must not keep the result alive: once nobody holds it there is nothing to reject.
    queue->after(ZPMPromiseDelayFromSeconds(interval), [weakPromise = std::weak_ptr<ZPMPromise>(promise)] {
        if (auto promise = weakPromise.lock()) promise->reject(ZPMPromiseMakeError(ZPMPromiseErrorCode::timedOut));
    });
    return promise;
}

ZPMPromise::Ptr ZPMPromise::timeout(double interval) { return onQueueTimeout(defaultDispatchQueue(), interval); }

std::function<ZPMPromise::Ptr(double)> ZPMPromise::timeout() {
    return ZPMPromiseBlockForm(sharedPromise(), &ZPMPromise::timeout);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, double)> ZPMPromise::timeoutOn() {
    return ZPMPromiseBlockForm(sharedPromise(), &ZPMPromise::onQueueTimeout);
}
