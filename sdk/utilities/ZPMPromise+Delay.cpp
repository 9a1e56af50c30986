#include "sdk/utilities/ZPMPromise.hpp"
#include "sdk/utilities/ZPMPromiseBlockForm.hpp"

ZPMPromise::Ptr ZPMPromise::onQueueDelay(dispatch::QueuePtr queue, double interval) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}})) return invalid;
    auto promise = makePendingPromise();
    observeOnQueue(
        queue,
        [promise, queue, delay = ZPMPromiseDelayFromSeconds(interval)](objc::Id value) {
            queue->after(delay, [promise, value = std::move(value)] { promise->fulfill(value); });
        },
        [promise](ErrorPtr error) { promise->reject(std::move(error)); });
    return promise;
}

ZPMPromise::Ptr ZPMPromise::delay(double interval) { return onQueueDelay(defaultDispatchQueue(), interval); }

std::function<ZPMPromise::Ptr(double)> ZPMPromise::delay() {
    return ZPMPromiseBlockForm(sharedPromise(), &ZPMPromise::delay);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, double)> ZPMPromise::delayOn() {
    return ZPMPromiseBlockForm(sharedPromise(), &ZPMPromise::onQueueDelay);
}
