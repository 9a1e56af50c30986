#include "sdk/utilities/ZPMPromise.hpp"
#include "sdk/utilities/ZPMPromiseBlockForm.hpp"

#include <atomic>

namespace {

// Shared by the observers of one any: each resolution by input position and how many are
// still to come. Each observer writes only its own slot; the observer that runs last
// decides, once (on a serial queue observers run in the order their promises resolved).
struct AnyState {
    AnyState(std::size_t count, ZPMPromise::FulfillBlock fulfill, ZPMPromise::RejectBlock reject)
        : resolutions(count), remaining(count), fulfill(std::move(fulfill)), reject(std::move(reject)) {}

    void settle(std::size_t index, objc::Id resolution, ZPMPromise::State state) {
        resolutions[index] = resolution;
        if (state == ZPMPromise::State::fulfilled) anyFulfilled.store(true, std::memory_order_relaxed);
        if (remaining.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
        if (anyFulfilled.load(std::memory_order_relaxed))
            fulfill(ZPMPromiseCombineValuesAndErrors(resolutions));
        else
            reject(foundation::errorValue(resolution));
    }

    std::vector<objc::Id> resolutions;
    std::atomic<std::size_t> remaining;
    std::atomic<bool> anyFulfilled{false};
    ZPMPromise::FulfillBlock fulfill;
    ZPMPromise::RejectBlock reject;
};

}  // namespace

ZPMPromise::Ptr ZPMPromise::onQueueAny(dispatch::QueuePtr queue, ArrayPtr anyPromises) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {anyPromises != nullptr, "anyPromises"}}))
        return invalid;
    if (anyPromises->count() == 0) return resolvedWith(foundation::Array::make());
    return onQueueAsync(queue, [queue, items = anyPromises->items()](FulfillBlock fulfill, RejectBlock reject) {
        auto state = std::make_shared<AnyState>(items.size(), std::move(fulfill), std::move(reject));
        for (std::size_t index = 0; index < items.size(); ++index) {
            auto promise = std::dynamic_pointer_cast<ZPMPromise>(items[index]);
            if (!promise) promise = resolvedWith(items[index]);
            promise->observeOnQueue(
                queue, [state, index](objc::Id value) { state->settle(index, std::move(value), State::fulfilled); },
                [state, index](ErrorPtr error) { state->settle(index, std::move(error), State::rejected); });
        }
    });
}

ZPMPromise::Ptr ZPMPromise::any(ArrayPtr anyPromises) {
    return onQueueAny(defaultDispatchQueue(), std::move(anyPromises));
}

std::function<ZPMPromise::Ptr(ZPMPromise::ArrayPtr)> ZPMPromise::any() { return ZPMPromiseBlockForm(&ZPMPromise::any); }

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, ZPMPromise::ArrayPtr)> ZPMPromise::anyOn() {
    return ZPMPromiseBlockForm(&ZPMPromise::onQueueAny);
}
