#include "sdk/utilities/ZPMPromise.hpp"
#include "sdk/utilities/ZPMPromiseBlockForm.hpp"

#include "platform/foundation/Number.hpp"

namespace {

// Runs the caller's work on the queue with a completion handler that settles the promise;
// makeHandler turns the promise's fulfil and reject blocks into that handler.
template <class Handler, class MakeHandler>
ZPMPromise::Ptr wrapWork(dispatch::QueuePtr queue, ZPMPromise::WrapWorkBlock<Handler> work, MakeHandler makeHandler) {
    return ZPMPromise::onQueueAsync(
        std::move(queue),
        [work = std::move(work), makeHandler](ZPMPromise::FulfillBlock fulfill, ZPMPromise::RejectBlock reject) {
            work(Handler(makeHandler(std::move(fulfill), std::move(reject))));
        });
}

}  // namespace

ZPMPromise::Ptr ZPMPromise::onQueueWrapCompletion(dispatch::QueuePtr queue, WrapWorkBlock<CompletionHandler> work) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {bool(work), "work"}})) return invalid;
    return wrapWork<CompletionHandler>(std::move(queue), std::move(work), [](FulfillBlock fulfill, RejectBlock) {
        return [fulfill]() { fulfill(nullptr); };
    });
}

ZPMPromise::Ptr ZPMPromise::wrapCompletion(WrapWorkBlock<CompletionHandler> work) {
    return onQueueWrapCompletion(defaultDispatchQueue(), std::move(work));
}

std::function<ZPMPromise::Ptr(ZPMPromise::WrapWorkBlock<ZPMPromise::CompletionHandler>)> ZPMPromise::wrapCompletion() {
    return ZPMPromiseBlockForm(&ZPMPromise::wrapCompletion);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, ZPMPromise::WrapWorkBlock<ZPMPromise::CompletionHandler>)>
ZPMPromise::wrapCompletionOn() {
    return ZPMPromiseBlockForm(&ZPMPromise::onQueueWrapCompletion);
}

ZPMPromise::Ptr ZPMPromise::onQueueWrapObjectCompletion(dispatch::QueuePtr queue,
                                                        WrapWorkBlock<ObjectCompletionHandler> work) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {bool(work), "work"}})) return invalid;
    return wrapWork<ObjectCompletionHandler>(std::move(queue), std::move(work), [](FulfillBlock fulfill, RejectBlock) {
        return [fulfill](objc::Id object) { fulfill(std::move(object)); };
    });
}

ZPMPromise::Ptr ZPMPromise::wrapObjectCompletion(WrapWorkBlock<ObjectCompletionHandler> work) {
    return onQueueWrapObjectCompletion(defaultDispatchQueue(), std::move(work));
}

std::function<ZPMPromise::Ptr(ZPMPromise::WrapWorkBlock<ZPMPromise::ObjectCompletionHandler>)>
ZPMPromise::wrapObjectCompletion() {
    return ZPMPromiseBlockForm(&ZPMPromise::wrapObjectCompletion);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, ZPMPromise::WrapWorkBlock<ZPMPromise::ObjectCompletionHandler>)>
ZPMPromise::wrapObjectCompletionOn() {
    return ZPMPromiseBlockForm(&ZPMPromise::onQueueWrapObjectCompletion);
}

ZPMPromise::Ptr ZPMPromise::onQueueWrapErrorCompletion(dispatch::QueuePtr queue,
                                                       WrapWorkBlock<ErrorCompletionHandler> work) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {bool(work), "work"}})) return invalid;
    return wrapWork<ErrorCompletionHandler>(
        std::move(queue), std::move(work), [](FulfillBlock fulfill, RejectBlock reject) {
            return [fulfill, reject](ErrorPtr error) { error ? reject(std::move(error)) : fulfill(nullptr); };
        });
}

ZPMPromise::Ptr ZPMPromise::wrapErrorCompletion(WrapWorkBlock<ErrorCompletionHandler> work) {
    return onQueueWrapErrorCompletion(defaultDispatchQueue(), std::move(work));
}

std::function<ZPMPromise::Ptr(ZPMPromise::WrapWorkBlock<ZPMPromise::ErrorCompletionHandler>)>
ZPMPromise::wrapErrorCompletion() {
    return ZPMPromiseBlockForm(&ZPMPromise::wrapErrorCompletion);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, ZPMPromise::WrapWorkBlock<ZPMPromise::ErrorCompletionHandler>)>
ZPMPromise::wrapErrorCompletionOn() {
    return ZPMPromiseBlockForm(&ZPMPromise::onQueueWrapErrorCompletion);
}

ZPMPromise::Ptr ZPMPromise::onQueueWrapObjectOrErrorCompletion(dispatch::QueuePtr queue,
                                                               WrapWorkBlock<ObjectOrErrorCompletionHandler> work) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {bool(work), "work"}})) return invalid;
    return wrapWork<ObjectOrErrorCompletionHandler>(
        std::move(queue), std::move(work), [](FulfillBlock fulfill, RejectBlock reject) {
            return [fulfill, reject](objc::Id object, ErrorPtr error) {
                error ? reject(std::move(error)) : fulfill(std::move(object));
            };
        });
}

ZPMPromise::Ptr ZPMPromise::wrapObjectOrErrorCompletion(WrapWorkBlock<ObjectOrErrorCompletionHandler> work) {
    return onQueueWrapObjectOrErrorCompletion(defaultDispatchQueue(), std::move(work));
}

std::function<ZPMPromise::Ptr(ZPMPromise::WrapWorkBlock<ZPMPromise::ObjectOrErrorCompletionHandler>)>
ZPMPromise::wrapObjectOrErrorCompletion() {
    return ZPMPromiseBlockForm(&ZPMPromise::wrapObjectOrErrorCompletion);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr,
                              ZPMPromise::WrapWorkBlock<ZPMPromise::ObjectOrErrorCompletionHandler>)>
ZPMPromise::wrapObjectOrErrorCompletionOn() {
    return ZPMPromiseBlockForm(&ZPMPromise::onQueueWrapObjectOrErrorCompletion);
}

ZPMPromise::Ptr ZPMPromise::onQueueWrapErrorOrObjectCompletion(dispatch::QueuePtr queue,
                                                               WrapWorkBlock<ErrorOrObjectCompletionHandler> work) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {bool(work), "work"}})) return invalid;
    return wrapWork<ErrorOrObjectCompletionHandler>(
        std::move(queue), std::move(work), [](FulfillBlock fulfill, RejectBlock reject) {
            return [fulfill, reject](ErrorPtr error, objc::Id object) {
                error ? reject(std::move(error)) : fulfill(std::move(object));
            };
        });
}

ZPMPromise::Ptr ZPMPromise::wrapErrorOrObjectCompletion(WrapWorkBlock<ErrorOrObjectCompletionHandler> work) {
    return onQueueWrapErrorOrObjectCompletion(defaultDispatchQueue(), std::move(work));
}

std::function<ZPMPromise::Ptr(ZPMPromise::WrapWorkBlock<ZPMPromise::ErrorOrObjectCompletionHandler>)>
ZPMPromise::wrapErrorOrObjectCompletion() {
    return ZPMPromiseBlockForm(&ZPMPromise::wrapErrorOrObjectCompletion);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr,
                              ZPMPromise::WrapWorkBlock<ZPMPromise::ErrorOrObjectCompletionHandler>)>
ZPMPromise::wrapErrorOrObjectCompletionOn() {
    return ZPMPromiseBlockForm(&ZPMPromise::onQueueWrapErrorOrObjectCompletion);
}

ZPMPromise::Ptr ZPMPromise::onQueueWrap2ObjectsOrErrorCompletion(
    dispatch::QueuePtr queue, WrapWorkBlock<TwoObjectsOrErrorCompletionHandler> work) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {bool(work), "work"}})) return invalid;
    return wrapWork<TwoObjectsOrErrorCompletionHandler>(
        std::move(queue), std::move(work), [](FulfillBlock fulfill, RejectBlock reject) {
            return [fulfill, reject](objc::Id first, objc::Id second, ErrorPtr error) {
                error ? reject(std::move(error)) : fulfill(ZPMPromiseCombineValuesAndErrors({first, second}));
            };
        });
}

ZPMPromise::Ptr ZPMPromise::wrap2ObjectsOrErrorCompletion(WrapWorkBlock<TwoObjectsOrErrorCompletionHandler> work) {
    return onQueueWrap2ObjectsOrErrorCompletion(defaultDispatchQueue(), std::move(work));
}

std::function<ZPMPromise::Ptr(ZPMPromise::WrapWorkBlock<ZPMPromise::TwoObjectsOrErrorCompletionHandler>)>
ZPMPromise::wrap2ObjectsOrErrorCompletion() {
    return ZPMPromiseBlockForm(&ZPMPromise::wrap2ObjectsOrErrorCompletion);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr,
                              ZPMPromise::WrapWorkBlock<ZPMPromise::TwoObjectsOrErrorCompletionHandler>)>
ZPMPromise::wrap2ObjectsOrErrorCompletionOn() {
    return ZPMPromiseBlockForm(&ZPMPromise::onQueueWrap2ObjectsOrErrorCompletion);
}

ZPMPromise::Ptr ZPMPromise::onQueueWrapBoolCompletion(dispatch::QueuePtr queue,
                                                      WrapWorkBlock<BoolCompletionHandler> work) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {bool(work), "work"}})) return invalid;
    return wrapWork<BoolCompletionHandler>(std::move(queue), std::move(work), [](FulfillBlock fulfill, RejectBlock) {
        return [fulfill](bool value) { fulfill(foundation::Number::withBool(value)); };
    });
}

ZPMPromise::Ptr ZPMPromise::wrapBoolCompletion(WrapWorkBlock<BoolCompletionHandler> work) {
    return onQueueWrapBoolCompletion(defaultDispatchQueue(), std::move(work));
}

std::function<ZPMPromise::Ptr(ZPMPromise::WrapWorkBlock<ZPMPromise::BoolCompletionHandler>)>
ZPMPromise::wrapBoolCompletion() {
    return ZPMPromiseBlockForm(&ZPMPromise::wrapBoolCompletion);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, ZPMPromise::WrapWorkBlock<ZPMPromise::BoolCompletionHandler>)>
ZPMPromise::wrapBoolCompletionOn() {
    return ZPMPromiseBlockForm(&ZPMPromise::onQueueWrapBoolCompletion);
}

ZPMPromise::Ptr ZPMPromise::onQueueWrapBoolOrErrorCompletion(dispatch::QueuePtr queue,
                                                             WrapWorkBlock<BoolOrErrorCompletionHandler> work) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {bool(work), "work"}})) return invalid;
    return wrapWork<BoolOrErrorCompletionHandler>(
        std::move(queue), std::move(work), [](FulfillBlock fulfill, RejectBlock reject) {
            return [fulfill, reject](bool value, ErrorPtr error) {
                error ? reject(std::move(error)) : fulfill(foundation::Number::withBool(value));
            };
        });
}

ZPMPromise::Ptr ZPMPromise::wrapBoolOrErrorCompletion(WrapWorkBlock<BoolOrErrorCompletionHandler> work) {
    return onQueueWrapBoolOrErrorCompletion(defaultDispatchQueue(), std::move(work));
}

std::function<ZPMPromise::Ptr(ZPMPromise::WrapWorkBlock<ZPMPromise::BoolOrErrorCompletionHandler>)>
ZPMPromise::wrapBoolOrErrorCompletion() {
    return ZPMPromiseBlockForm(&ZPMPromise::wrapBoolOrErrorCompletion);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, ZPMPromise::WrapWorkBlock<ZPMPromise::BoolOrErrorCompletionHandler>)>
ZPMPromise::wrapBoolOrErrorCompletionOn() {
    return ZPMPromiseBlockForm(&ZPMPromise::onQueueWrapBoolOrErrorCompletion);
}

ZPMPromise::Ptr ZPMPromise::onQueueWrapIntegerCompletion(dispatch::QueuePtr queue,
                                                         WrapWorkBlock<IntegerCompletionHandler> work) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {bool(work), "work"}})) return invalid;
    return wrapWork<IntegerCompletionHandler>(std::move(queue), std::move(work), [](FulfillBlock fulfill, RejectBlock) {
        return [fulfill](std::int64_t value) { fulfill(foundation::Number::withInteger(value)); };
    });
}

ZPMPromise::Ptr ZPMPromise::wrapIntegerCompletion(WrapWorkBlock<IntegerCompletionHandler> work) {
    return onQueueWrapIntegerCompletion(defaultDispatchQueue(), std::move(work));
}

std::function<ZPMPromise::Ptr(ZPMPromise::WrapWorkBlock<ZPMPromise::IntegerCompletionHandler>)>
ZPMPromise::wrapIntegerCompletion() {
    return ZPMPromiseBlockForm(&ZPMPromise::wrapIntegerCompletion);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, ZPMPromise::WrapWorkBlock<ZPMPromise::IntegerCompletionHandler>)>
ZPMPromise::wrapIntegerCompletionOn() {
    return ZPMPromiseBlockForm(&ZPMPromise::onQueueWrapIntegerCompletion);
}

ZPMPromise::Ptr ZPMPromise::onQueueWrapIntegerOrErrorCompletion(dispatch::QueuePtr queue,
                                                                WrapWorkBlock<IntegerOrErrorCompletionHandler> work) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {bool(work), "work"}})) return invalid;
    return wrapWork<IntegerOrErrorCompletionHandler>(
        std::move(queue), std::move(work), [](FulfillBlock fulfill, RejectBlock reject) {
            return [fulfill, reject](std::int64_t value, ErrorPtr error) {
                error ? reject(std::move(error)) : fulfill(foundation::Number::withInteger(value));
            };
        });
}

ZPMPromise::Ptr ZPMPromise::wrapIntegerOrErrorCompletion(WrapWorkBlock<IntegerOrErrorCompletionHandler> work) {
    return onQueueWrapIntegerOrErrorCompletion(defaultDispatchQueue(), std::move(work));
}

std::function<ZPMPromise::Ptr(ZPMPromise::WrapWorkBlock<ZPMPromise::IntegerOrErrorCompletionHandler>)>
ZPMPromise::wrapIntegerOrErrorCompletion() {
    return ZPMPromiseBlockForm(&ZPMPromise::wrapIntegerOrErrorCompletion);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr,
                              ZPMPromise::WrapWorkBlock<ZPMPromise::IntegerOrErrorCompletionHandler>)>
ZPMPromise::wrapIntegerOrErrorCompletionOn() {
    return ZPMPromiseBlockForm(&ZPMPromise::onQueueWrapIntegerOrErrorCompletion);
}

ZPMPromise::Ptr ZPMPromise::onQueueWrapDoubleCompletion(dispatch::QueuePtr queue,
                                                        WrapWorkBlock<DoubleCompletionHandler> work) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {bool(work), "work"}})) return invalid;
    return wrapWork<DoubleCompletionHandler>(std::move(queue), std::move(work), [](FulfillBlock fulfill, RejectBlock) {
        return [fulfill](double value) { fulfill(foundation::Number::withDouble(value)); };
    });
}

ZPMPromise::Ptr ZPMPromise::wrapDoubleCompletion(WrapWorkBlock<DoubleCompletionHandler> work) {
    return onQueueWrapDoubleCompletion(defaultDispatchQueue(), std::move(work));
}

std::function<ZPMPromise::Ptr(ZPMPromise::WrapWorkBlock<ZPMPromise::DoubleCompletionHandler>)>
ZPMPromise::wrapDoubleCompletion() {
    return ZPMPromiseBlockForm(&ZPMPromise::wrapDoubleCompletion);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, ZPMPromise::WrapWorkBlock<ZPMPromise::DoubleCompletionHandler>)>
ZPMPromise::wrapDoubleCompletionOn() {
    return ZPMPromiseBlockForm(&ZPMPromise::onQueueWrapDoubleCompletion);
}

ZPMPromise::Ptr ZPMPromise::onQueueWrapDoubleOrErrorCompletion(dispatch::QueuePtr queue,
                                                               WrapWorkBlock<DoubleOrErrorCompletionHandler> work) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}, {bool(work), "work"}})) return invalid;
    return wrapWork<DoubleOrErrorCompletionHandler>(
        std::move(queue), std::move(work), [](FulfillBlock fulfill, RejectBlock reject) {
            return [fulfill, reject](double value, ErrorPtr error) {
                error ? reject(std::move(error)) : fulfill(foundation::Number::withDouble(value));
            };
        });
}

ZPMPromise::Ptr ZPMPromise::wrapDoubleOrErrorCompletion(WrapWorkBlock<DoubleOrErrorCompletionHandler> work) {
    return onQueueWrapDoubleOrErrorCompletion(defaultDispatchQueue(), std::move(work));
}

std::function<ZPMPromise::Ptr(ZPMPromise::WrapWorkBlock<ZPMPromise::DoubleOrErrorCompletionHandler>)>
ZPMPromise::wrapDoubleOrErrorCompletion() {
    return ZPMPromiseBlockForm(&ZPMPromise::wrapDoubleOrErrorCompletion);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr,
                              ZPMPromise::WrapWorkBlock<ZPMPromise::DoubleOrErrorCompletionHandler>)>
ZPMPromise::wrapDoubleOrErrorCompletionOn() {
    return ZPMPromiseBlockForm(&ZPMPromise::onQueueWrapDoubleOrErrorCompletion);
}
