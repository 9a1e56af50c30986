#include "sdk/utilities/ZPMPromise.hpp"
#include "sdk/utilities/ZPMPromiseBlockForm.hpp"

ZPMPromise::Ptr ZPMPromise::onQueueAlways(dispatch::QueuePtr queue, AlwaysWorkBlock work) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {bool(work), "work"}})) return invalid;
    return chainOnQueue(
        std::move(queue),
        [work](objc::Id value) {
            work();
            return value;
        },
        [work](ErrorPtr error) -> objc::Id {
            work();
            return error;
        });
}

ZPMPromise::Ptr ZPMPromise::always(AlwaysWorkBlock work) {
    return onQueueAlways(defaultDispatchQueue(), std::move(work));
}

std::function<ZPMPromise::Ptr(ZPMPromise::AlwaysWorkBlock)> ZPMPromise::always() {
    return ZPMPromiseBlockForm(sharedPromise(), &ZPMPromise::always);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, ZPMPromise::AlwaysWorkBlock)> ZPMPromise::alwaysOn() {
    return ZPMPromiseBlockForm(sharedPromise(), &ZPMPromise::onQueueAlways);
}
