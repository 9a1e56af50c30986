#include "sdk/utilities/ZPMPromise.hpp"
#include "sdk/utilities/ZPMPromiseBlockForm.hpp"

ZPMPromise::Ptr ZPMPromise::onQueueRecover(dispatch::QueuePtr queue, RecoverBlock recovery) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {bool(recovery), "recovery"}}))
        return invalid;
    return chainOnQueue(std::move(queue), nullptr, std::move(recovery));
}

ZPMPromise::Ptr ZPMPromise::recover(RecoverBlock recovery) {
    return onQueueRecover(defaultDispatchQueue(), std::move(recovery));
}

std::function<ZPMPromise::Ptr(ZPMPromise::RecoverBlock)> ZPMPromise::recover() {
    return ZPMPromiseBlockForm(sharedPromise(), &ZPMPromise::recover);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, ZPMPromise::RecoverBlock)> ZPMPromise::recoverOn() {
    return ZPMPromiseBlockForm(sharedPromise(), &ZPMPromise::onQueueRecover);
}
