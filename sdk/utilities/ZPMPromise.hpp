#pragma once

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/objc/Object.hpp"
#include "sdk/utilities/ZPMPromiseError.hpp"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// An asynchronous result: pending, then fulfilled with a value (any object, nil included)
// or rejected with an error, exactly once. Any thread may resolve or observe a promise; its
// state is guarded by its own recursive lock, and every callback runs as a task on the queue
// its registration named, never on the caller's thread and never under the lock. A pending
// promise is counted in the process-wide dispatch group until it is resolved or destroyed,
// and every callback is submitted in that group. Observers keep the promises they resolve
// alive; a promise keeps nothing of its observers once resolved.
//
// Operators live in one unit per category (ZPMPromise+Then.cpp and so on). Each comes as a
// queue form (onQueueThen), a default form on defaultDispatchQueue() (then), and two
// block forms returning a callable for the default form (then()) and the queue form
// (thenOn()); a returned callable keeps its receiver alive. A nil queue or block and an
// empty race are programming errors reported through foundation::AssertionHandler; when
// the handler returns, the operator answers a promise rejected with an NSPOSIXErrorDomain
// EINVAL error carrying the same description.
class ZPMPromise : public objc::Object {
public:
    enum class State : std::int64_t { pending = 0, fulfilled = 1, rejected = 2 };

    using ErrorPtr = std::shared_ptr<foundation::Error>;
    using Ptr = std::shared_ptr<ZPMPromise>;
    using ArrayPtr = std::shared_ptr<foundation::Array>;

    // Called under the promise's lock with the state it reached and its value or error;
    // it only submits work to a queue.
    using ObserverBlock = std::function<void(State state, objc::Id resolution)>;
    using FulfillBlock = std::function<void(objc::Id value)>;
    using RejectBlock = std::function<void(ErrorPtr error)>;
    // Chained blocks answer a value, an error (rejects) or a promise (followed one level).
    using ChainedFulfillBlock = std::function<objc::Id(objc::Id value)>;
    using ChainedRejectBlock = std::function<objc::Id(ErrorPtr error)>;

    using AsyncWorkBlock = std::function<void(FulfillBlock fulfill, RejectBlock reject)>;
    using AlwaysWorkBlock = std::function<void()>;
    using CatchBlock = RejectBlock;
    using DoWorkBlock = std::function<objc::Id()>;
    using RecoverBlock = ChainedRejectBlock;
    using ReducerBlock = std::function<objc::Id(objc::Id partial, objc::Id item)>;
    using RetryWorkBlock = std::function<objc::Id()>;
    // Asked with the remaining count (before it is lowered) and the error of the attempt.
    using RetryPredicateBlock = std::function<bool(std::int64_t remaining, ErrorPtr error)>;
    using ThenWorkBlock = ChainedFulfillBlock;
    using ValidatePredicateBlock = std::function<bool(objc::Id value)>;

    using CompletionHandler = std::function<void()>;
    using ObjectCompletionHandler = std::function<void(objc::Id object)>;
    using ErrorCompletionHandler = std::function<void(ErrorPtr error)>;
    using ObjectOrErrorCompletionHandler = std::function<void(objc::Id object, ErrorPtr error)>;
    using ErrorOrObjectCompletionHandler = std::function<void(ErrorPtr error, objc::Id object)>;
    using TwoObjectsOrErrorCompletionHandler = std::function<void(objc::Id first, objc::Id second, ErrorPtr error)>;
    using BoolCompletionHandler = std::function<void(bool value)>;
    using BoolOrErrorCompletionHandler = std::function<void(bool value, ErrorPtr error)>;
    using IntegerCompletionHandler = std::function<void(std::int64_t value)>;
    using IntegerOrErrorCompletionHandler = std::function<void(std::int64_t value, ErrorPtr error)>;
    using DoubleCompletionHandler = std::function<void(double value)>;
    using DoubleOrErrorCompletionHandler = std::function<void(double value, ErrorPtr error)>;
    template <class Handler>
    using WrapWorkBlock = std::function<void(Handler handler)>;

    struct InitPending {};
    // initPending: pending, counted in the dispatch group.
    explicit ZPMPromise(InitPending, objc::Class* runtimeClass = nullptr);
    // initWithResolution: an error rejects, anything else (nil included) fulfils; the
    // dispatch group is not entered.
    explicit ZPMPromise(objc::Id resolution, objc::Class* runtimeClass = nullptr);
    // dealloc: a promise destroyed while pending leaves the dispatch group.
    ~ZPMPromise() override;

    // ---- core ----
    static dispatch::QueuePtr defaultDispatchQueue();
    static void setDefaultDispatchQueue(dispatch::QueuePtr queue);
    static Ptr pendingPromise();
    static Ptr resolvedWith(objc::Id resolution);
    static std::function<Ptr()> pending();
    static std::function<Ptr(objc::Id resolution)> resolved();
    static void noop();

    // An error value rejects (as reject would); anything else fulfils.
    void fulfill(objc::Id value);
    // Anything but an error object is a programming error ("Invalid error type."); when the
    // assertion handler returns, the object itself is thrown (as an objc::Id).
    void reject(objc::Id error);
    std::string description() const override;

    bool isPending() const;
    bool isFulfilled() const;
    bool isRejected() const;
    objc::Id value() const;
    ErrorPtr error() const;

    // Keeps the object alive until the promise is resolved.
    void addPendingObject(objc::Id object);
    void observeOnQueue(dispatch::QueuePtr queue, FulfillBlock onFulfill, RejectBlock onReject);
    // Either block may be empty: the value or the error then passes on unchanged.
    Ptr chainOnQueue(dispatch::QueuePtr queue, ChainedFulfillBlock chainedFulfill, ChainedRejectBlock chainedReject);

    // ---- +Testing ----
    static dispatch::GroupPtr dispatchGroup();

    // ---- +All ----
    static Ptr onQueueAll(dispatch::QueuePtr queue, ArrayPtr allPromises);
    static Ptr all(ArrayPtr allPromises);
    static std::function<Ptr(ArrayPtr)> all();
    static std::function<Ptr(dispatch::QueuePtr, ArrayPtr)> allOn();

    // ---- +Always ----
    Ptr onQueueAlways(dispatch::QueuePtr queue, AlwaysWorkBlock work);
    Ptr always(AlwaysWorkBlock work);
    std::function<Ptr(AlwaysWorkBlock)> always();
    std::function<Ptr(dispatch::QueuePtr, AlwaysWorkBlock)> alwaysOn();

    // ---- +Any ----
    static Ptr onQueueAny(dispatch::QueuePtr queue, ArrayPtr anyPromises);
    static Ptr any(ArrayPtr anyPromises);
    static std::function<Ptr(ArrayPtr)> any();
    static std::function<Ptr(dispatch::QueuePtr, ArrayPtr)> anyOn();

    // ---- +Async ----
    static Ptr onQueueAsync(dispatch::QueuePtr queue, AsyncWorkBlock work);
    static Ptr async(AsyncWorkBlock work);
    static std::function<Ptr(AsyncWorkBlock)> async();
    static std::function<Ptr(dispatch::QueuePtr, AsyncWorkBlock)> asyncOn();

    // ---- +Catch ----
    Ptr onQueueCatch(dispatch::QueuePtr queue, CatchBlock reject);
    Ptr catch_(CatchBlock reject);
    std::function<Ptr(CatchBlock)> catch_();
    std::function<Ptr(dispatch::QueuePtr, CatchBlock)> catchOn();

    // ---- +Delay ----
    Ptr onQueueDelay(dispatch::QueuePtr queue, double interval);
    Ptr delay(double interval);
    std::function<Ptr(double)> delay();
    std::function<Ptr(dispatch::QueuePtr, double)> delayOn();

    // ---- +Do ----
    static Ptr onQueueDo(dispatch::QueuePtr queue, DoWorkBlock work);
    static Ptr do_(DoWorkBlock work);
    static std::function<Ptr(dispatch::QueuePtr, DoWorkBlock)> doOn();

    // ---- +Race ----
    static Ptr onQueueRace(dispatch::QueuePtr queue, ArrayPtr racePromises);
    static Ptr race(ArrayPtr racePromises);
    static std::function<Ptr(ArrayPtr)> race();
    static std::function<Ptr(dispatch::QueuePtr, ArrayPtr)> raceOn();

    // ---- +Recover ----
    Ptr onQueueRecover(dispatch::QueuePtr queue, RecoverBlock recovery);
    Ptr recover(RecoverBlock recovery);
    std::function<Ptr(RecoverBlock)> recover();
    std::function<Ptr(dispatch::QueuePtr, RecoverBlock)> recoverOn();

    // ---- +Reduce ----
    Ptr onQueueReduce(dispatch::QueuePtr queue, ArrayPtr items, ReducerBlock reducer);
    Ptr reduce(ArrayPtr items, ReducerBlock reducer);
    std::function<Ptr(ArrayPtr, ReducerBlock)> reduce();
    std::function<Ptr(dispatch::QueuePtr, ArrayPtr, ReducerBlock)> reduceOn();

    // ---- +Retry ----
    // The first attempt runs on the calling thread, inside the call; later ones on the queue.
    static Ptr onQueueAttempts(dispatch::QueuePtr queue, std::int64_t count, double delay,
                               RetryPredicateBlock condition, RetryWorkBlock work);
    static Ptr attempts(std::int64_t count, double delay, RetryPredicateBlock condition, RetryWorkBlock work);
    static Ptr onQueueAttempts(dispatch::QueuePtr queue, std::int64_t count, RetryWorkBlock work);
    static Ptr attempts(std::int64_t count, RetryWorkBlock work);
    static Ptr onQueueRetry(dispatch::QueuePtr queue, RetryWorkBlock work);
    static Ptr retry(RetryWorkBlock work);
    static std::function<Ptr(RetryWorkBlock)> retry();
    static std::function<Ptr(dispatch::QueuePtr, RetryWorkBlock)> retryOn();
    static std::function<Ptr(std::int64_t, double, RetryPredicateBlock, RetryWorkBlock)> retryAgain();
    static std::function<Ptr(dispatch::QueuePtr, std::int64_t, double, RetryPredicateBlock, RetryWorkBlock)>
    retryAgainOn();

    // ---- +Then ----
    Ptr onQueueThen(dispatch::QueuePtr queue, ThenWorkBlock work);
    Ptr then(ThenWorkBlock work);
    std::function<Ptr(ThenWorkBlock)> then();
    std::function<Ptr(dispatch::QueuePtr, ThenWorkBlock)> thenOn();

    // ---- +Timeout ----
    Ptr onQueueTimeout(dispatch::QueuePtr queue, double interval);
    Ptr timeout(double interval);
    std::function<Ptr(double)> timeout();
    std::function<Ptr(dispatch::QueuePtr, double)> timeoutOn();

    // ---- +Validate ----
    Ptr onQueueValidate(dispatch::QueuePtr queue, ValidatePredicateBlock predicate);
    Ptr validate(ValidatePredicateBlock predicate);
    std::function<Ptr(ValidatePredicateBlock)> validate();
    std::function<Ptr(dispatch::QueuePtr, ValidatePredicateBlock)> validateOn();

    // ---- +Wrap ----
    static Ptr onQueueWrapCompletion(dispatch::QueuePtr queue, WrapWorkBlock<CompletionHandler> work);
    static Ptr wrapCompletion(WrapWorkBlock<CompletionHandler> work);
    static std::function<Ptr(WrapWorkBlock<CompletionHandler>)> wrapCompletion();
    static std::function<Ptr(dispatch::QueuePtr, WrapWorkBlock<CompletionHandler>)> wrapCompletionOn();
    static Ptr onQueueWrapObjectCompletion(dispatch::QueuePtr queue, WrapWorkBlock<ObjectCompletionHandler> work);
    static Ptr wrapObjectCompletion(WrapWorkBlock<ObjectCompletionHandler> work);
    static std::function<Ptr(WrapWorkBlock<ObjectCompletionHandler>)> wrapObjectCompletion();
    static std::function<Ptr(dispatch::QueuePtr, WrapWorkBlock<ObjectCompletionHandler>)> wrapObjectCompletionOn();
    static Ptr onQueueWrapErrorCompletion(dispatch::QueuePtr queue, WrapWorkBlock<ErrorCompletionHandler> work);
    static Ptr wrapErrorCompletion(WrapWorkBlock<ErrorCompletionHandler> work);
    static std::function<Ptr(WrapWorkBlock<ErrorCompletionHandler>)> wrapErrorCompletion();
    static std::function<Ptr(dispatch::QueuePtr, WrapWorkBlock<ErrorCompletionHandler>)> wrapErrorCompletionOn();
    static Ptr onQueueWrapObjectOrErrorCompletion(dispatch::QueuePtr queue,
                                                  WrapWorkBlock<ObjectOrErrorCompletionHandler> work);
    static Ptr wrapObjectOrErrorCompletion(WrapWorkBlock<ObjectOrErrorCompletionHandler> work);
    static std::function<Ptr(WrapWorkBlock<ObjectOrErrorCompletionHandler>)> wrapObjectOrErrorCompletion();
    static std::function<Ptr(dispatch::QueuePtr, WrapWorkBlock<ObjectOrErrorCompletionHandler>)>
    wrapObjectOrErrorCompletionOn();
    static Ptr onQueueWrapErrorOrObjectCompletion(dispatch::QueuePtr queue,
                                                  WrapWorkBlock<ErrorOrObjectCompletionHandler> work);
    static Ptr wrapErrorOrObjectCompletion(WrapWorkBlock<ErrorOrObjectCompletionHandler> work);
    static std::function<Ptr(WrapWorkBlock<ErrorOrObjectCompletionHandler>)> wrapErrorOrObjectCompletion();
    static std::function<Ptr(dispatch::QueuePtr, WrapWorkBlock<ErrorOrObjectCompletionHandler>)>
    wrapErrorOrObjectCompletionOn();
    static Ptr onQueueWrap2ObjectsOrErrorCompletion(dispatch::QueuePtr queue,
                                                    WrapWorkBlock<TwoObjectsOrErrorCompletionHandler> work);
    static Ptr wrap2ObjectsOrErrorCompletion(WrapWorkBlock<TwoObjectsOrErrorCompletionHandler> work);
    static std::function<Ptr(WrapWorkBlock<TwoObjectsOrErrorCompletionHandler>)> wrap2ObjectsOrErrorCompletion();
    static std::function<Ptr(dispatch::QueuePtr, WrapWorkBlock<TwoObjectsOrErrorCompletionHandler>)>
    wrap2ObjectsOrErrorCompletionOn();
    static Ptr onQueueWrapBoolCompletion(dispatch::QueuePtr queue, WrapWorkBlock<BoolCompletionHandler> work);
    static Ptr wrapBoolCompletion(WrapWorkBlock<BoolCompletionHandler> work);
    static std::function<Ptr(WrapWorkBlock<BoolCompletionHandler>)> wrapBoolCompletion();
    static std::function<Ptr(dispatch::QueuePtr, WrapWorkBlock<BoolCompletionHandler>)> wrapBoolCompletionOn();
    static Ptr onQueueWrapBoolOrErrorCompletion(dispatch::QueuePtr queue,
                                                WrapWorkBlock<BoolOrErrorCompletionHandler> work);
    static Ptr wrapBoolOrErrorCompletion(WrapWorkBlock<BoolOrErrorCompletionHandler> work);
    static std::function<Ptr(WrapWorkBlock<BoolOrErrorCompletionHandler>)> wrapBoolOrErrorCompletion();
    static std::function<Ptr(dispatch::QueuePtr, WrapWorkBlock<BoolOrErrorCompletionHandler>)>
    wrapBoolOrErrorCompletionOn();
    static Ptr onQueueWrapIntegerCompletion(dispatch::QueuePtr queue, WrapWorkBlock<IntegerCompletionHandler> work);
    static Ptr wrapIntegerCompletion(WrapWorkBlock<IntegerCompletionHandler> work);
    static std::function<Ptr(WrapWorkBlock<IntegerCompletionHandler>)> wrapIntegerCompletion();
    static std::function<Ptr(dispatch::QueuePtr, WrapWorkBlock<IntegerCompletionHandler>)> wrapIntegerCompletionOn();
    static Ptr onQueueWrapIntegerOrErrorCompletion(dispatch::QueuePtr queue,
                                                   WrapWorkBlock<IntegerOrErrorCompletionHandler> work);
    static Ptr wrapIntegerOrErrorCompletion(WrapWorkBlock<IntegerOrErrorCompletionHandler> work);
    static std::function<Ptr(WrapWorkBlock<IntegerOrErrorCompletionHandler>)> wrapIntegerOrErrorCompletion();
    static std::function<Ptr(dispatch::QueuePtr, WrapWorkBlock<IntegerOrErrorCompletionHandler>)>
    wrapIntegerOrErrorCompletionOn();
    static Ptr onQueueWrapDoubleCompletion(dispatch::QueuePtr queue, WrapWorkBlock<DoubleCompletionHandler> work);
    static Ptr wrapDoubleCompletion(WrapWorkBlock<DoubleCompletionHandler> work);
    static std::function<Ptr(WrapWorkBlock<DoubleCompletionHandler>)> wrapDoubleCompletion();
    static std::function<Ptr(dispatch::QueuePtr, WrapWorkBlock<DoubleCompletionHandler>)> wrapDoubleCompletionOn();
    static Ptr onQueueWrapDoubleOrErrorCompletion(dispatch::QueuePtr queue,
                                                  WrapWorkBlock<DoubleOrErrorCompletionHandler> work);
    static Ptr wrapDoubleOrErrorCompletion(WrapWorkBlock<DoubleOrErrorCompletionHandler> work);
    static std::function<Ptr(WrapWorkBlock<DoubleOrErrorCompletionHandler>)> wrapDoubleOrErrorCompletion();
    static std::function<Ptr(dispatch::QueuePtr, WrapWorkBlock<DoubleOrErrorCompletionHandler>)>
    wrapDoubleOrErrorCompletionOn();

protected:
    // A new pending promise of the receiver's class; subclasses answer their own type.
    virtual Ptr makePendingPromise() const;

    struct Parameter {
        bool present;
        const char* name;
    };
    // Reports the first missing parameter through the assertion handler; true when none is.
    static bool parametersSatisfied(std::initializer_list<Parameter> parameters);
    // Null when every parameter is present; otherwise the first missing one is reported and,
    // if the assertion handler returns, answered as a rejected promise.
    static Ptr invalidParametersPromise(std::initializer_list<Parameter> parameters);
    // The promise an operator answers when the assertion handler returned from a failure.
    static Ptr invalidParameterPromise(const std::string& description);
    // Resolves the promise with a chained block's result: a promise is observed on the queue
    // and its outcome taken over (one level), anything else goes to fulfill.
    // Observes the receiver on the queue and gives the target the same value or error.
    void forwardOutcome(const dispatch::QueuePtr& queue, const Ptr& target);
    static void resolveFollowing(const Ptr& promise, const dispatch::QueuePtr& queue, const objc::Id& result);
    Ptr sharedPromise();

private:
    void resolve(State state, objc::Id resolution);

    struct Resolution {
        State state = State::pending;
        std::vector<objc::Id> pendingObjects;
        objc::Id value;
        ErrorPtr error;
        std::vector<ObserverBlock> observers;
    };
    foundation::Guarded<Resolution, std::recursive_mutex> resolution_;
};

// The resolutions of several promises in input order as one array: each value (the null
// object for nil) or error.
std::shared_ptr<foundation::Array> ZPMPromiseCombineValuesAndErrors(const std::vector<objc::Id>& resolutions);

// The queue delay for an interval in seconds; negative or not-a-number intervals are zero.
dispatch::Duration ZPMPromiseDelayFromSeconds(double seconds);
