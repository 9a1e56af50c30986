#include "sdk/utilities/ZPMPromise.hpp"
#include "sdk/utilities/ZPMPromiseBlockForm.hpp"

#include <atomic>

namespace {

// Shared by the observers of one all: the values by input position and how many are still
// to come. Each observer writes only its own slot; the last one reads them all.
struct AllState {
    explicit AllState(std::size_t count, ZPMPromise::FulfillBlock fulfill)
        : values(count), remaining(count), fulfill(std::move(fulfill)) {}
    std::vector<objc::Id> values;
    std::atomic<std::size_t> remaining;
    ZPMPromise::FulfillBlock fulfill;
};

}  // namespace

ZPMPromise::Ptr ZPMPromise::onQueueAll(dispatch::QueuePtr queue, ArrayPtr allPromises) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {allPromises != nullptr, "allPromises"}}))
        return invalid;
    if (allPromises->count() == 0) return resolvedWith(foundation::Array::make());
    // Taken now: the caller may change its array before the work runs.
    return onQueueAsync(queue, [queue, items = allPromises->items()](FulfillBlock fulfill, RejectBlock reject) {
        std::vector<Ptr> promises;
        promises.reserve(items.size());
        for (const auto& item : items) {
            if (auto promise = std::dynamic_pointer_cast<ZPMPromise>(item)) {
                promises.push_back(std::move(promise));
            } else if (auto error = foundation::errorValue(item)) {
                reject(std::move(error));
                return;
            } else {
                promises.push_back(resolvedWith(item));
            }
        }
        // The observers hold the shared state, not the promises, so a pending promise that
        // is dropped is destroyed instead of being kept alive by its own observers.
        auto state = std::make_shared<AllState>(promises.size(), std::move(fulfill));
        for (std::size_t index = 0; index < promises.size(); ++index) {
            promises[index]->observeOnQueue(
                queue,
                [state, index](objc::Id value) {
                    state->values[index] = std::move(value);
                    if (state->remaining.fetch_sub(1, std::memory_order_acq_rel) == 1)
                        state->fulfill(ZPMPromiseCombineValuesAndErrors(state->values));
                },
                reject);
        }
    });
}

ZPMPromise::Ptr ZPMPromise::all(ArrayPtr allPromises) {
    return onQueueAll(defaultDispatchQueue(), std::move(allPromises));
}

std::function<ZPMPromise::Ptr(ZPMPromise::ArrayPtr)> ZPMPromise::all() { return ZPMPromiseBlockForm(&ZPMPromise::all); }

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, ZPMPromise::ArrayPtr)> ZPMPromise::allOn() {
    return ZPMPromiseBlockForm(&ZPMPromise::onQueueAll);
}
