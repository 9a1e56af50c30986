#include "sdk/utilities/ZPMPromise.hpp"
#include "sdk/utilities/ZPMPromiseBlockForm.hpp"

ZPMPromise::Ptr ZPMPromise::onQueueAsync(dispatch::QueuePtr queue, AsyncWorkBlock work) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {bool(work), "work"}})) return invalid;
    auto promise = pendingPromise();
    dispatchGroup()->async(queue, [promise, queue, work = std::move(work)] {
        work([promise, queue](objc::Id value) { resolveFollowing(promise, queue, value); },
             [promise](ErrorPtr error) { promise->reject(std::move(error)); });
    });
    return promise;
}

ZPMPromise::Ptr ZPMPromise::async(AsyncWorkBlock work) { return onQueueAsync(defaultDispatchQueue(), std::move(work)); }

std::function<ZPMPromise::Ptr(ZPMPromise::AsyncWorkBlock)> ZPMPromise::async() {
    return ZPMPromiseBlockForm(&ZPMPromise::async);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, ZPMPromise::AsyncWorkBlock)> ZPMPromise::asyncOn() {
    return ZPMPromiseBlockForm(&ZPMPromise::onQueueAsync);
}
