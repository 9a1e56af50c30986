#include "sdk/utilities/ZPMPromise.hpp"

ZPMPromise::Ptr ZPMPromise::onQueueTimeout(dispatch::QueuePtr queue, double interval) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}})) return invalid;
    auto promise = makePendingPromise();
    observeOnQueue(
        queue, [promise](objc::Id value) { promise->fulfill(std::move(value)); },
        [promise](ErrorPtr error) { promise->reject(std::move(error)); });
    // The timer must not keep the result alive: once nobody holds it there is nothing to reject.
    queue->after(ZPMPromiseDelayFromSeconds(interval), [weakPromise = std::weak_ptr<ZPMPromise>(promise)] {
        if (auto promise = weakPromise.lock()) promise->reject(ZPMPromiseMakeError(ZPMPromiseErrorCode::timedOut));
    });
    return promise;
}

ZPMPromise::Ptr ZPMPromise::timeout(double interval) { return onQueueTimeout(defaultDispatchQueue(), interval); }

std::function<ZPMPromise::Ptr(double)> ZPMPromise::timeout() {
    return [self = sharedPromise()](double interval) { return self->timeout(interval); };
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, double)> ZPMPromise::timeoutOn() {
    return [self = sharedPromise()](dispatch::QueuePtr queue, double interval) {
        return self->onQueueTimeout(std::move(queue), interval);
    };
}
