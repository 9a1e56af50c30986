#include "sdk/utilities/ZPMPromise.hpp"
#include "sdk/utilities/ZPMPromiseBlockForm.hpp"

ZPMPromise::Ptr ZPMPromise::onQueueThen(dispatch::QueuePtr queue, ThenWorkBlock work) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {bool(work), "work"}})) return invalid;
    return chainOnQueue(std::move(queue), std::move(work), nullptr);
}

ZPMPromise::Ptr ZPMPromise::then(ThenWorkBlock work) { return onQueueThen(defaultDispatchQueue(), std::move(work)); }

std::function<ZPMPromise::Ptr(ZPMPromise::ThenWorkBlock)> ZPMPromise::then() {
    return ZPMPromiseBlockForm(sharedPromise(), &ZPMPromise::then);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, ZPMPromise::ThenWorkBlock)> ZPMPromise::thenOn() {
    return ZPMPromiseBlockForm(sharedPromise(), &ZPMPromise::onQueueThen);
}
