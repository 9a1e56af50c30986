#include "sdk/utilities/ZPMPromise.hpp"
#include "sdk/utilities/ZPMPromiseBlockForm.hpp"

ZPMPromise::Ptr ZPMPromise::onQueueDo(dispatch::QueuePtr queue, DoWorkBlock work) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {bool(work), "work"}})) return invalid;
    auto promise = pendingPromise();
    dispatchGroup()->async(queue,
                           [promise, queue, work = std::move(work)] { resolveFollowing(promise, queue, work()); });
    return promise;
}

ZPMPromise::Ptr ZPMPromise::do_(DoWorkBlock work) { return onQueueDo(defaultDispatchQueue(), std::move(work)); }

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, ZPMPromise::DoWorkBlock)> ZPMPromise::doOn() {
    return ZPMPromiseBlockForm(&ZPMPromise::onQueueDo);
}
