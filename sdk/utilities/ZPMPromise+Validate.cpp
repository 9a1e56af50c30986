#include "sdk/utilities/ZPMPromise.hpp"
#include "sdk/utilities/ZPMPromiseBlockForm.hpp"

ZPMPromise::Ptr ZPMPromise::onQueueValidate(dispatch::QueuePtr queue, ValidatePredicateBlock predicate) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {bool(predicate), "predicate"}}))
        return invalid;
    return chainOnQueue(
        std::move(queue),
        [predicate = std::move(predicate)](objc::Id value) -> objc::Id {
            if (predicate(value)) return value;
            return ZPMPromiseMakeError(ZPMPromiseErrorCode::validationFailure);
        },
        nullptr);
}

ZPMPromise::Ptr ZPMPromise::validate(ValidatePredicateBlock predicate) {
    return onQueueValidate(defaultDispatchQueue(), std::move(predicate));
}

std::function<ZPMPromise::Ptr(ZPMPromise::ValidatePredicateBlock)> ZPMPromise::validate() {
    return ZPMPromiseBlockForm(sharedPromise(), &ZPMPromise::validate);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, ZPMPromise::ValidatePredicateBlock)> ZPMPromise::validateOn() {
    return ZPMPromiseBlockForm(sharedPromise(), &ZPMPromise::onQueueValidate);
}
