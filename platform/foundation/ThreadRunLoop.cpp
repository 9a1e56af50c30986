#include "platform/foundation/ThreadRunLoop.hpp"

#include "platform/foundation/MainQueue.hpp"
#include "platform/foundation/UncaughtException.hpp"

#include <algorithm>
#include <tuple>
#include <utility>

namespace foundation {

namespace {

bool isCommonMode(std::string_view mode) {
    return mode == NSDefaultRunLoopMode || mode == NSEventTrackingRunLoopMode || mode == NSModalPanelRunLoopMode;
}

// A wait on the manual clock can only be for other threads' work; this bounds it in real
// time so that a hang becomes a return.
constexpr auto safetyInterval = std::chrono::seconds(10);

}  // namespace

struct ThreadRunLoop::Registration {
    enum class Kind { timer, source, observer };
    Registration(Kind kind, std::string_view mode) : kind(kind), mode(mode) {}

    bool appliesTo(std::string_view runMode) const {
        return mode == runMode || (mode == NSRunLoopCommonModes && isCommonMode(runMode));
    }

    const Kind kind;
    const std::string mode;
    std::atomic<bool> valid{true};

    // Timers; the date is guarded by the loop's lock.
    Clock::TimePoint fireDate{};
    std::uint64_t order = 0;
    std::optional<Clock::Duration> repeat;
    std::function<void()> fire;

    // Sources.
    std::atomic<bool> signalled{false};
    std::function<void()> perform;

    // Observers.
    std::uint32_t activities = 0;
    bool repeats = false;
    std::function<void(RunLoopActivity)> observe;
};

struct ThreadRunLoop::Frame {
    explicit Frame(std::string mode) : mode(std::move(mode)) {}
    const std::string mode;
    std::atomic<bool> stopRequested{false};
};

namespace {

class RegistrationToken final : public RunLoopToken {
public:
    RegistrationToken(std::weak_ptr<ThreadRunLoop> loop, std::shared_ptr<ThreadRunLoop::Registration> registration)
        : loop_(std::move(loop)), registration_(std::move(registration)) {}
    ~RegistrationToken() override { invalidate(); }

    void invalidate() override {
        if (!registration_->valid.exchange(false)) return;
        if (auto loop = loop_.lock()) loop->remove(*registration_);
    }
    bool isValid() const override { return registration_->valid.load(); }

private:
    std::weak_ptr<ThreadRunLoop> loop_;
    std::shared_ptr<ThreadRunLoop::Registration> registration_;
};

class SignalledSource final : public RunLoop::Source {
public:
    SignalledSource(std::weak_ptr<ThreadRunLoop> loop, std::shared_ptr<ThreadRunLoop::Registration> registration)
        : loop_(std::move(loop)), registration_(std::move(registration)) {}

    void signal() override {
        if (!registration_->valid.load()) return;
        registration_->signalled.store(true);
        if (auto loop = loop_.lock()) loop->wakeUp();
    }

private:
    std::weak_ptr<ThreadRunLoop> loop_;
    std::shared_ptr<ThreadRunLoop::Registration> registration_;
};

template <class Registrations>
Registrations validSnapshot(std::mutex& mutex, const Registrations& registrations, std::string_view mode) {
    std::lock_guard lock(mutex);
    Registrations snapshot;
    for (auto& registration : registrations)
        if (registration->valid.load() && registration->appliesTo(mode)) snapshot.push_back(registration);
    return snapshot;
}

}  // namespace

ThreadRunLoop::ThreadRunLoop() = default;

std::unique_ptr<RunLoopToken> ThreadRunLoop::addTimer(Clock::Duration interval, std::optional<Clock::Duration> repeat,
                                                      std::function<void()> fire, std::string_view mode) {
    auto timer = std::make_shared<Registration>(Registration::Kind::timer, mode);
    timer->fireDate = Clock::now() + std::max(interval, Clock::Duration::zero());
    if (repeat && *repeat > Clock::Duration::zero()) timer->repeat = repeat;
    timer->fire = std::move(fire);
    {
        std::lock_guard lock(mutex_);
        timer->order = nextOrder_++;
        timers_.push_back(timer);
    }
    wakeUp();  // a waiting loop recomputes how long it may wait
    return std::make_unique<RegistrationToken>(std::static_pointer_cast<ThreadRunLoop>(shared_from_this()), timer);
}

std::pair<std::shared_ptr<RunLoop::Source>, std::unique_ptr<RunLoopToken>> ThreadRunLoop::addSource(
    std::function<void()> perform, std::string_view mode) {
    auto source = std::make_shared<Registration>(Registration::Kind::source, mode);
    source->perform = std::move(perform);
    {
        std::lock_guard lock(mutex_);
        sources_.push_back(source);
    }
    auto self = std::static_pointer_cast<ThreadRunLoop>(shared_from_this());
    return {std::make_shared<SignalledSource>(self, source), std::make_unique<RegistrationToken>(self, source)};
}

std::unique_ptr<RunLoopToken> ThreadRunLoop::addObserver(std::uint32_t activities, bool repeats,
                                                         std::function<void(RunLoopActivity)> callback,
                                                         std::string_view mode) {
    auto observer = std::make_shared<Registration>(Registration::Kind::observer, mode);
    observer->activities = activities;
    observer->repeats = repeats;
    observer->observe = std::move(callback);
    {
        std::lock_guard lock(mutex_);
        observers_.push_back(observer);
    }
    return std::make_unique<RegistrationToken>(std::static_pointer_cast<ThreadRunLoop>(shared_from_this()), observer);
}

void ThreadRunLoop::remove(const Registration& registration) {
    std::lock_guard lock(mutex_);
    auto& list = registration.kind == Registration::Kind::timer    ? timers_
                 : registration.kind == Registration::Kind::source ? sources_
                                                                   : observers_;
    std::erase_if(list, [&](const auto& entry) { return entry.get() == &registration; });
}

void ThreadRunLoop::run(std::string_view mode, std::optional<Clock::TimePoint> until) {
    runFrame(std::string(mode), until, Exit::onStopOrDeadline);
}

bool ThreadRunLoop::runUntilIdle(std::string_view mode) {
    return runFrame(std::string(mode), std::nullopt, Exit::onIdle) == Ending::idle;
}

void ThreadRunLoop::stop() {
    std::lock_guard lock(mutex_);
    if (frames_.empty()) return;
    frames_.back()->stopRequested.store(true);
    wakePending_ = true;
    wake_.notify_all();
}

std::string ThreadRunLoop::currentMode() const {
    std::lock_guard lock(mutex_);
    return frames_.empty() ? std::string() : frames_.back()->mode;
}

void ThreadRunLoop::wakeUp() {
    std::lock_guard lock(mutex_);
    wakePending_ = true;
    wake_.notify_all();
}

ThreadRunLoop::Ending ThreadRunLoop::runFrame(std::string mode, std::optional<Clock::TimePoint> until, Exit exit) {
    if (!poolIdleListener_) {
        // Work finishing on the pool may be what a waiting loop waits for.
        std::weak_ptr<RunLoop> weakSelf = weak_from_this();
        poolIdleListener_ = dispatch::ThreadPool::shared().addIdleListener([weakSelf] {
            if (auto self = weakSelf.lock()) self->wakeUp();
        });
    }
    auto frame = std::make_shared<Frame>(mode);
    {
        std::lock_guard lock(mutex_);
        frames_.push_back(frame);
    }
    // Also when the run ends by an exception: a frame left behind would take the stop() and
    // currentMode() meant for the runs that follow.
    struct PopFrame {
        ThreadRunLoop& loop;
        const std::shared_ptr<Frame>& frame;
        ~PopFrame() {
            std::lock_guard lock(loop.mutex_);
            std::erase(loop.frames_, frame);
        }
    } popFrame{*this, frame};
    const auto safetyLimit = std::chrono::steady_clock::now() + safetyInterval;
    notifyObservers(mode, kCFRunLoopEntry);
    Ending ending = Ending::keepRunning;
    while (ending == Ending::keepRunning) {
        notifyObservers(mode, kCFRunLoopBeforeTimers);
        notifyObservers(mode, kCFRunLoopBeforeSources);
        bool handledSource = performSignalledSources(mode);
        if (frame->stopRequested.load()) {
            ending = Ending::stopped;
            break;
        }
        if (exit == Exit::onIdle && isIdle(mode)) {
            ending = Ending::idle;
            break;
        }
        Ending waitEnding = Ending::keepRunning;
        if (!handledSource) {
            notifyObservers(mode, kCFRunLoopBeforeWaiting);
            std::optional<std::chrono::steady_clock::time_point> realTimeLimit;
            if (exit == Exit::onIdle || Clock::isManual()) realTimeLimit = safetyLimit;
            waitEnding = waitForWork(mode, *frame, until, realTimeLimit);
            notifyObservers(mode, kCFRunLoopAfterWaiting);
        }
        fireDueTimers(mode);
        if (frame->stopRequested.load())
            ending = Ending::stopped;
        else if (exit == Exit::onIdle && isIdle(mode))
            ending = Ending::idle;
        else if (until && Clock::now() >= *until)
            ending = Ending::deadlinePassed;
        else if (waitEnding == Ending::nothingCanHappen || waitEnding == Ending::safetyLimit)
            ending = waitEnding;
        else if (exit == Exit::onIdle && std::chrono::steady_clock::now() >= safetyLimit)
            ending = Ending::safetyLimit;
    }
    notifyObservers(mode, kCFRunLoopExit);
    return ending;
}

void ThreadRunLoop::notifyObservers(const std::string& mode, RunLoopActivity activity) {
    for (auto& observer : validSnapshot(mutex_, observers_, mode)) {
        if (!(observer->activities & activity)) continue;
        if (observer->repeats ? !observer->valid.load() : !observer->valid.exchange(false)) continue;
        if (!observer->repeats) remove(*observer);  // a one-shot observer is gone before it is called
        invokeReportingUncaught("a run-loop observer", [&] { observer->observe(activity); });
    }
}

bool ThreadRunLoop::performSignalledSources(const std::string& mode) {
    bool handled = false;
    for (auto& source : validSnapshot(mutex_, sources_, mode)) {
        if (!source->valid.load() || !source->signalled.exchange(false)) continue;
        invokeReportingUncaught("a run-loop source", source->perform);
        handled = true;
    }
    return handled;
}

void ThreadRunLoop::fireDueTimers(const std::string& mode) {
    const auto now = Clock::now();
    std::vector<std::shared_ptr<Registration>> due;
    {
        std::lock_guard lock(mutex_);
        for (auto& timer : timers_)
            if (timer->valid.load() && timer->appliesTo(mode) && timer->fireDate <= now) due.push_back(timer);
        std::sort(due.begin(), due.end(), [](const auto& left, const auto& right) {
            return std::tie(left->fireDate, left->order) < std::tie(right->fireDate, right->order);
        });
    }
    for (auto& timer : due) {
        if (!timer->valid.load()) continue;  // removed by an earlier timer of this pass
        if (timer->repeat) {
            // A repeating timer that missed several dates fires once and keeps its cadence.
            std::lock_guard lock(mutex_);
            auto missed = (now - timer->fireDate) / *timer->repeat;
            timer->fireDate += *timer->repeat * (missed + 1);
        } else if (timer->valid.exchange(false)) {
            remove(*timer);
        }
        invokeReportingUncaught("a run-loop timer", timer->fire);
    }
}

bool ThreadRunLoop::hasDueTimer(std::string_view mode) const {
    const auto now = Clock::now();
    std::lock_guard lock(mutex_);
    return std::any_of(timers_.begin(), timers_.end(), [&](const auto& timer) {
        return timer->valid.load() && timer->appliesTo(mode) && timer->fireDate <= now;
    });
}

std::optional<Clock::TimePoint> ThreadRunLoop::nextTimerDate(const std::string& mode) const {
    std::optional<Clock::TimePoint> next;
    for (auto& timer : timers_)
        if (timer->valid.load() && timer->appliesTo(mode) && (!next || timer->fireDate < *next)) next = timer->fireDate;
    return next;
}

bool ThreadRunLoop::hasSignalledSource(std::string_view mode) const {
    std::lock_guard lock(mutex_);
    return std::any_of(sources_.begin(), sources_.end(), [&](const auto& source) {
        return source->valid.load() && source->appliesTo(mode) && source->signalled.load();
    });
}

bool ThreadRunLoop::isIdle(std::string_view mode) const {
    // The pool first: a task hands its result to the main queue, or signals a source, before
    // it counts as finished, so an idle pool followed by an empty main queue and no signalled
    // source cannot miss a hand-off.
    return dispatch::ThreadPool::shared().isIdle() && dispatch::mainQueueIsEmpty() && !hasSignalledSource(mode) &&
           !hasDueTimer(mode);
}

ThreadRunLoop::Ending ThreadRunLoop::waitForWork(const std::string& mode, const Frame& frame,
                                                 std::optional<Clock::TimePoint> until,
                                                 std::optional<std::chrono::steady_clock::time_point> realTimeLimit) {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (std::exchange(wakePending_, false) || frame.stopRequested.load()) return Ending::keepRunning;
        const auto now = Clock::now();
        auto nextTimer = nextTimerDate(mode);
        if (nextTimer && *nextTimer <= now) return Ending::keepRunning;
        if (until && now >= *until) return Ending::deadlinePassed;
        if (Clock::isManual()) {
            // Only other threads can bring work now; the pool tells us when it drains.
            if (dispatch::ThreadPool::shared().isIdle()) return Ending::nothingCanHappen;
            if (wake_.wait_until(lock, *realTimeLimit) == std::cv_status::timeout && !wakePending_)
                return Ending::safetyLimit;
            continue;
        }
        auto wakeAt = until;
        if (nextTimer && (!wakeAt || *nextTimer < *wakeAt)) wakeAt = nextTimer;
        if (realTimeLimit && std::chrono::steady_clock::now() >= *realTimeLimit) return Ending::safetyLimit;
        if (realTimeLimit && (!wakeAt || *realTimeLimit < *wakeAt))
            wake_.wait_until(lock, *realTimeLimit);
        else if (wakeAt)
            wake_.wait_until(lock, *wakeAt);
        else
            wake_.wait(lock);
    }
}

}  // namespace foundation
