#include "sdk/utilities/ZPMPromise.hpp"
#include "sdk/utilities/ZPMPromiseBlockForm.hpp"

ZPMPromise::Ptr ZPMPromise::onQueueReduce(dispatch::QueuePtr queue, ArrayPtr items, ReducerBlock reducer) {
    if (auto invalid = invalidParametersPromise(
            {{queue != nullptr, "queue"}, {items != nullptr, "items"}, {bool(reducer), "reducer"}}))
        return invalid;
    auto promise = sharedPromise();
    for (const auto& item : items->items()) {
        promise = promise->chainOnQueue(
            queue, [reducer, item](objc::Id partial) { return reducer(std::move(partial), item); }, nullptr);
    }
    return promise;
}

ZPMPromise::Ptr ZPMPromise::reduce(ArrayPtr items, ReducerBlock reducer) {
    return onQueueReduce(defaultDispatchQueue(), std::move(items), std::move(reducer));
}

std::function<ZPMPromise::Ptr(ZPMPromise::ArrayPtr, ZPMPromise::ReducerBlock)> ZPMPromise::reduce() {
    return ZPMPromiseBlockForm(sharedPromise(), &ZPMPromise::reduce);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, ZPMPromise::ArrayPtr, ZPMPromise::ReducerBlock)>
ZPMPromise::reduceOn() {
    return ZPMPromiseBlockForm(sharedPromise(), &ZPMPromise::onQueueReduce);
}
