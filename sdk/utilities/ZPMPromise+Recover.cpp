#include "sdk/utilities/ZPMPromise.hpp"

ZPMPromise::Ptr ZPMPromise::onQueueRecover(dispatch::QueuePtr queue, RecoverBlock recovery) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {bool(recovery), "recovery"}}))
        return invalid;
    return chainOnQueue(std::move(queue), nullptr, std::move(recovery));
}

ZPMPromise::Ptr ZPMPromise::recover(RecoverBlock recovery) {
    return onQueueRecover(defaultDispatchQueue(), std::move(recovery));
}

std::function<ZPMPromise::Ptr(ZPMPromise::RecoverBlock)> ZPMPromise::recover() {
    return [self = sharedPromise()](RecoverBlock recovery) { return self->recover(std::move(recovery)); };
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, ZPMPromise::RecoverBlock)> ZPMPromise::recoverOn() {
    return [self = sharedPromise()](dispatch::QueuePtr queue, RecoverBlock recovery) {
        return self->onQueueRecover(std::move(queue), std::move(recovery));
    };
}
