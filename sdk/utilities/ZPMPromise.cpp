#include "sdk/utilities/ZPMPromise.hpp"

#include "platform/foundation/Exception.hpp"
#include "platform/foundation/Format.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/Null.hpp"
#include "platform/foundation/ProcessWide.hpp"
#include "platform/objc/Class.hpp"

#include <cerrno>
#include <chrono>
#include <cmath>

namespace {

objc::Class* promiseClass() {
    static objc::Class* const runtimeClass = objc::defineClass("ZPMPromise");
    return runtimeClass;
}

// The default queue, under the class's lock. The main queue is chosen on first use, which
// is when the class would first be initialised on the platform; a choice made by a test
// is undone afterwards.
foundation::Guarded<dispatch::QueuePtr>& defaultQueue() {
    static foundation::Guarded<dispatch::QueuePtr> queue;
    return queue;
}

void armDefaultQueueReset() {
    static foundation::ProcessWideReset reset([] { *defaultQueue().lock() = nullptr; });
    reset.arm();
}

// Destroying an observer can drop the last hold on the promise it would resolve, whose own
// observers then go too: a long unresolved chain would unwind recursively and overflow the
// stack. Observers released while a release is already under way on this thread are handed
// to it and destroyed one at a time.
void releaseObservers(std::vector<ZPMPromise::ObserverBlock> observers) {
    thread_local std::vector<ZPMPromise::ObserverBlock>* releasing = nullptr;
    if (releasing) {
        for (auto& observer : observers) releasing->push_back(std::move(observer));
        return;
    }
    releasing = &observers;
    while (!observers.empty()) {
        auto observer = std::move(observers.back());
        observers.pop_back();
        observer = nullptr;
    }
    releasing = nullptr;
}

}  // namespace

ZPMPromise::ZPMPromise(InitPending, objc::Class* runtimeClass)
    : objc::Object(runtimeClass ? runtimeClass : promiseClass()) {
    dispatchGroup()->enter();
}

ZPMPromise::ZPMPromise(objc::Id resolution, objc::Class* runtimeClass)
    : objc::Object(runtimeClass ? runtimeClass : promiseClass()) {
    auto resolved = resolution_.lock();
    if (auto error = foundation::errorValue(resolution)) {
        resolved->state = State::rejected;
        resolved->error = std::move(error);
    } else {
        resolved->state = State::fulfilled;
        resolved->value = std::move(resolution);
    }
}

ZPMPromise::~ZPMPromise() {
    std::vector<ObserverBlock> observers;
    {
        auto resolved = resolution_.lock();
        if (resolved->state == State::pending) dispatchGroup()->leave();
        observers.swap(resolved->observers);
    }
    releaseObservers(std::move(observers));
}

dispatch::QueuePtr ZPMPromise::defaultDispatchQueue() {
    auto queue = defaultQueue().lock();
    if (!*queue) *queue = dispatch::mainQueue();
    return *queue;
}

void ZPMPromise::setDefaultDispatchQueue(dispatch::QueuePtr queue) {
    if (!parametersSatisfied({{queue != nullptr, "queue"}})) return;
    *defaultQueue().lock() = std::move(queue);
    armDefaultQueueReset();
}

ZPMPromise::Ptr ZPMPromise::pendingPromise() { return std::make_shared<ZPMPromise>(InitPending{}); }

ZPMPromise::Ptr ZPMPromise::resolvedWith(objc::Id resolution) {
    return std::make_shared<ZPMPromise>(std::move(resolution));
}

std::function<ZPMPromise::Ptr()> ZPMPromise::pending() {
    return [] { return pendingPromise(); };
}

std::function<ZPMPromise::Ptr(objc::Id)> ZPMPromise::resolved() {
    return [](objc::Id resolution) { return resolvedWith(std::move(resolution)); };
}

void ZPMPromise::noop() {}

void ZPMPromise::fulfill(objc::Id value) {
    if (foundation::errorValue(value)) {
        reject(std::move(value));
        return;
    }
    resolve(State::fulfilled, std::move(value));
}

void ZPMPromise::reject(objc::Id error) {
    if (!foundation::errorValue(error)) {
        foundation::AssertionHandler::handleFailure("Invalid error type.");
        throw error;
    }
    resolve(State::rejected, std::move(error));
}

void ZPMPromise::resolve(State state, objc::Id resolution) {
    std::vector<objc::Id> releasedObjects;
    std::vector<ObserverBlock> observers;
    {
        auto resolved = resolution_.lock();
        if (resolved->state != State::pending) return;
        resolved->state = state;
        if (state == State::fulfilled)
            resolved->value = resolution;
        else
            resolved->error = foundation::errorValue(resolution);
        releasedObjects.swap(resolved->pendingObjects);
        observers.swap(resolved->observers);
        // Observers only submit work to their queues, so no caller code runs under the lock.
        for (const auto& observer : observers) observer(state, resolution);
    }
    // What the promise lets go of may run arbitrary destructors: not under the lock.
    releasedObjects.clear();
    releaseObservers(std::move(observers));
    dispatchGroup()->leave();
}

std::string ZPMPromise::description() const {
    auto resolved = resolution_.lock();
    const void* address = this;
    switch (resolved->state) {
        case State::fulfilled:
            return foundation::format("<%@ %p> Fulfilled: %@", isa()->name(), address, resolved->value);
        case State::rejected:
            return foundation::format("<%@ %p> Rejected: %@", isa()->name(), address, resolved->error);
        case State::pending:
            break;
    }
    return foundation::format("<%@ %p> Pending", isa()->name(), address);
}

bool ZPMPromise::isPending() const { return resolution_.lock()->state == State::pending; }

bool ZPMPromise::isFulfilled() const { return resolution_.lock()->state == State::fulfilled; }

bool ZPMPromise::isRejected() const { return resolution_.lock()->state == State::rejected; }

objc::Id ZPMPromise::value() const { return resolution_.lock()->value; }

ZPMPromise::ErrorPtr ZPMPromise::error() const { return resolution_.lock()->error; }

void ZPMPromise::addPendingObject(objc::Id object) {
    if (!parametersSatisfied({{object != nullptr, "object"}})) return;
    auto resolved = resolution_.lock();
    if (resolved->state == State::pending) resolved->pendingObjects.push_back(std::move(object));
}

void ZPMPromise::observeOnQueue(dispatch::QueuePtr queue, FulfillBlock onFulfill, RejectBlock onReject) {
    if (!parametersSatisfied(
            {{queue != nullptr, "queue"}, {bool(onFulfill), "onFulfill"}, {bool(onReject), "onReject"}}))
        return;
    auto resolved = resolution_.lock();
    switch (resolved->state) {
        case State::rejected:
            dispatchGroup()->async(queue, [onReject = std::move(onReject), error = resolved->error] { onReject(error); });
            return;
        case State::fulfilled:
            dispatchGroup()->async(queue, [onFulfill = std::move(onFulfill), value = resolved->value] { onFulfill(value); });
            return;
        case State::pending:
            break;
    }
    resolved->observers.push_back([queue = std::move(queue), onFulfill = std::move(onFulfill), onReject = std::move(onReject)](
                             State state, objc::Id resolution) {
        dispatchGroup()->async(queue, [state, onFulfill, onReject, resolution = std::move(resolution)] {
            if (state == State::fulfilled)
                onFulfill(resolution);
            else
                onReject(foundation::errorValue(resolution));
        });
    });
}

ZPMPromise::Ptr ZPMPromise::chainOnQueue(dispatch::QueuePtr queue, ChainedFulfillBlock chainedFulfill,
                                         ChainedRejectBlock chainedReject) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}})) return invalid;
    auto promise = makePendingPromise();
    observeOnQueue(
        queue,
        [promise, queue, chainedFulfill = std::move(chainedFulfill)](objc::Id value) {
            resolveFollowing(promise, queue, chainedFulfill ? chainedFulfill(std::move(value)) : std::move(value));
        },
        [promise, queue, chainedReject = std::move(chainedReject)](ErrorPtr error) {
            resolveFollowing(promise, queue,
                             chainedReject ? chainedReject(std::move(error)) : objc::Id(std::move(error)));
        });
    return promise;
}

ZPMPromise::Ptr ZPMPromise::makePendingPromise() const { return pendingPromise(); }

bool ZPMPromise::parametersSatisfied(std::initializer_list<Parameter> parameters) {
    for (const auto& parameter : parameters) {
        if (parameter.present) continue;
        foundation::AssertionHandler::handleFailure(
            foundation::format("Invalid parameter not satisfying: %@", parameter.name));
        return false;
    }
    return true;
}

ZPMPromise::Ptr ZPMPromise::invalidParametersPromise(std::initializer_list<Parameter> parameters) {
    for (const auto& parameter : parameters) {
        if (parameter.present) continue;
        auto description = foundation::format("Invalid parameter not satisfying: %@", parameter.name);
        foundation::AssertionHandler::handleFailure(description);
        return invalidParameterPromise(description);
    }
    return nullptr;
}

ZPMPromise::Ptr ZPMPromise::invalidParameterPromise(const std::string& description) {
    return resolvedWith(foundation::Error::withDescription(foundation::NSPOSIXErrorDomain, EINVAL, description));
}

void ZPMPromise::resolveFollowing(const Ptr& promise, const dispatch::QueuePtr& queue, const objc::Id& result) {
    auto followed = std::dynamic_pointer_cast<ZPMPromise>(result);
    if (!followed) {
        promise->fulfill(result);
        return;
    }
    followed->forwardOutcome(queue, promise);
}

void ZPMPromise::forwardOutcome(const dispatch::QueuePtr& queue, const Ptr& target) {
    observeOnQueue(
        queue, [target](objc::Id value) { target->fulfill(std::move(value)); },
        [target](ErrorPtr error) { target->reject(std::move(error)); });
}

ZPMPromise::Ptr ZPMPromise::sharedPromise() { return std::static_pointer_cast<ZPMPromise>(shared_from_this()); }

std::shared_ptr<foundation::Array> ZPMPromiseCombineValuesAndErrors(const std::vector<objc::Id>& resolutions) {
    std::vector<objc::Id> items;
    items.reserve(resolutions.size());
    for (const auto& resolution : resolutions) items.push_back(resolution ? resolution : foundation::Null::null());
    return foundation::Array::make(std::move(items));
}

dispatch::Duration ZPMPromiseDelayFromSeconds(double seconds) {
    if (!(seconds > 0)) return dispatch::Duration::zero();
    // Beyond some centuries the nanosecond count would overflow; such a delay never comes.
    constexpr double longest = 1e18;
    double nanoseconds = std::min(seconds * 1e9, longest);
    return dispatch::Duration(static_cast<dispatch::Duration::rep>(std::llround(nanoseconds)));
}
