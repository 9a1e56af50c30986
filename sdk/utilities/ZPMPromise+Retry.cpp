#include "sdk/utilities/ZPMPromise.hpp"
#include "sdk/utilities/ZPMPromiseBlockForm.hpp"

namespace {

constexpr std::int64_t defaultRetryCount = 1;
constexpr double defaultRetryDelaySeconds = 1.0;

// One retry operation: the result promise and what every attempt needs. Attempts and the
// timers between them hold it; the result stays pending until an attempt settles it.
struct Retry {
    ZPMPromise::Ptr result;
    dispatch::QueuePtr queue;
    dispatch::Duration delay;
    ZPMPromise::RetryPredicateBlock condition;
    ZPMPromise::RetryWorkBlock work;
};

void attempt(const std::shared_ptr<Retry>& retry, std::int64_t count);

void settle(const std::shared_ptr<Retry>& retry, std::int64_t count, const objc::Id& outcome) {
    auto error = foundation::errorValue(outcome);
    if (!error) {
        retry->result->fulfill(outcome);
        return;
    }
    if (count >= 1 && (!retry->condition || retry->condition(count, error))) {
        retry->queue->after(retry->delay, [retry, count] { attempt(retry, count - 1); });
        return;
    }
    retry->result->reject(error);
}

void attempt(const std::shared_ptr<Retry>& retry, std::int64_t count) {
    auto outcome = retry->work();
    auto promise = std::dynamic_pointer_cast<ZPMPromise>(outcome);
    if (!promise) {
        settle(retry, count, outcome);
        return;
    }
    promise->observeOnQueue(
        retry->queue, [retry, count](objc::Id value) { settle(retry, count, value); },
        [retry, count](ZPMPromise::ErrorPtr error) { settle(retry, count, error); });
}

}  // namespace

ZPMPromise::Ptr ZPMPromise::onQueueAttempts(dispatch::QueuePtr queue, std::int64_t count, double delay,
                                            RetryPredicateBlock condition, RetryWorkBlock work) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {bool(work), "work"}})) return invalid;
    auto retry = std::make_shared<Retry>(Retry{pendingPromise(), std::move(queue), ZPMPromiseDelayFromSeconds(delay),
                                               std::move(condition), std::move(work)});
    attempt(retry, count);
    return retry->result;
}

ZPMPromise::Ptr ZPMPromise::attempts(std::int64_t count, double delay, RetryPredicateBlock condition,
                                     RetryWorkBlock work) {
    return onQueueAttempts(defaultDispatchQueue(), count, delay, std::move(condition), std::move(work));
}

ZPMPromise::Ptr ZPMPromise::onQueueAttempts(dispatch::QueuePtr queue, std::int64_t count, RetryWorkBlock work) {
    return onQueueAttempts(std::move(queue), count, defaultRetryDelaySeconds, nullptr, std::move(work));
}

ZPMPromise::Ptr ZPMPromise::attempts(std::int64_t count, RetryWorkBlock work) {
    return onQueueAttempts(defaultDispatchQueue(), count, std::move(work));
}

ZPMPromise::Ptr ZPMPromise::onQueueRetry(dispatch::QueuePtr queue, RetryWorkBlock work) {
    return onQueueAttempts(std::move(queue), defaultRetryCount, std::move(work));
}

ZPMPromise::Ptr ZPMPromise::retry(RetryWorkBlock work) { return onQueueRetry(defaultDispatchQueue(), std::move(work)); }

std::function<ZPMPromise::Ptr(ZPMPromise::RetryWorkBlock)> ZPMPromise::retry() {
    return ZPMPromiseBlockForm(&ZPMPromise::retry);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, ZPMPromise::RetryWorkBlock)> ZPMPromise::retryOn() {
    return ZPMPromiseBlockForm(&ZPMPromise::onQueueRetry);
}

std::function<ZPMPromise::Ptr(std::int64_t, double, ZPMPromise::RetryPredicateBlock, ZPMPromise::RetryWorkBlock)>
ZPMPromise::retryAgain() {
    return ZPMPromiseBlockForm<std::int64_t, double, RetryPredicateBlock, RetryWorkBlock>(&ZPMPromise::attempts);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, std::int64_t, double, ZPMPromise::RetryPredicateBlock,
                              ZPMPromise::RetryWorkBlock)>
ZPMPromise::retryAgainOn() {
    return ZPMPromiseBlockForm<dispatch::QueuePtr, std::int64_t, double, RetryPredicateBlock, RetryWorkBlock>(
        &ZPMPromise::onQueueAttempts);
}
