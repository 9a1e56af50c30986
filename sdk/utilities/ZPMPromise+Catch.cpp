#include "sdk/utilities/ZPMPromise.hpp"

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
    return [self = sharedPromise()](CatchBlock reject) { return self->catch_(std::move(reject)); };
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, ZPMPromise::CatchBlock)> ZPMPromise::catchOn() {
    return [self = sharedPromise()](dispatch::QueuePtr queue, CatchBlock reject) {
        return self->onQueueCatch(std::move(queue), std::move(reject));
    };
}
