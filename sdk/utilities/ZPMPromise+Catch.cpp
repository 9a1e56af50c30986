#include "sdk/utilities/ZPMPromise.hpp"
#include "sdk/utilities/ZPMPromiseBlockForm.hpp"

ZPMPromise::Ptr ZPMPromise::onQueueCatch(dispatch::QueuePtr queue, CatchBlock reject) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {bool(reject), "reject"}}))
        return invalid;
    return chainOnQueue(std::move(queue), nullptr, [reject = std::move(reject)](ErrorPtr error) -> objc::Id {
        reject(error);
        return error;
    });
}

ZPMPromise::Ptr ZPMPromise::catch_(CatchBlock reject) {
    return onQueueCatch(defaultDispatchQueue(), std::move(reject));
}

std::function<ZPMPromise::Ptr(ZPMPromise::CatchBlock)> ZPMPromise::catch_() {
    return ZPMPromiseBlockForm(sharedPromise(), &ZPMPromise::catch_);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, ZPMPromise::CatchBlock)> ZPMPromise::catchOn() {
    return ZPMPromiseBlockForm(sharedPromise(), &ZPMPromise::onQueueCatch);
}
