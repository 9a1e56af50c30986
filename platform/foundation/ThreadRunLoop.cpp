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

    // Timers; the date is read and written only under the loop's lock.
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

}  // namespace

ThreadRunLoop::Registrations ThreadRunLoop::validSnapshot(Registrations Registries::*list, std::string_view mode) const {
    auto registries = registries_.lock();
    Registrations snapshot;
    for (auto& registration : (*registries).*list)
        if (registration->valid.load() && registration->appliesTo(mode)) snapshot.push_back(registration);
    return snapshot;
}

ThreadRunLoop::Registrations& ThreadRunLoop::Registries::listFor(const Registration& registration) {
    switch (registration.kind) {
    case Registration::Kind::timer: return timers;
    case Registration::Kind::source: return sources;
    case Registration::Kind::observer: return observers;
    }
    return observers;
}

ThreadRunLoop::ThreadRunLoop() = default;

std::unique_ptr<RunLoopToken> ThreadRunLoop::addTimer(Clock::Duration interval, std::optional<Clock::Duration> repeat,
                                                      std::function<void()> fire, std::string_view mode) {
    auto timer = std::make_shared<Registration>(Registration::Kind::timer, mode);
    timer->fireDate = Clock::now() + std::max(interval, Clock::Duration::zero());
    if (repeat && *repeat > Clock::Duration::zero()) timer->repeat = repeat;
    timer->fire = std::move(fire);
    {
        auto registries = registries_.lock();
        timer->order = registries->nextOrder++;
        registries->timers.push_back(timer);
    }
    wakeUp();  // a waiting loop recomputes how long it may wait
    return std::make_unique<RegistrationToken>(std::static_pointer_cast<ThreadRunLoop>(shared_from_this()), timer);
}

std::pair<std::shared_ptr<RunLoop::Source>, std::unique_ptr<RunLoopToken>> ThreadRunLoop::addSource(
    std::function<void()> perform, std::string_view mode) {
    auto source = std::make_shared<Registration>(Registration::Kind::source, mode);
    source->perform = std::move(perform);
    registries_.lock()->sources.push_back(source);
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
    registries_.lock()->observers.push_back(observer);
    return std::make_unique<RegistrationToken>(std::static_pointer_cast<ThreadRunLoop>(shared_from_this()), observer);
}

void ThreadRunLoop::remove(const Registration& registration) {
    auto registries = registries_.lock();
    std::erase_if(registries->listFor(registration), [&](const auto& entry) { return entry.get() == &registration; });
}

void ThreadRunLoop::run(std::string_view mode, std::optional<Clock::TimePoint> until) {
    runFrame(std::string(mode), until, Exit::onStopOrDeadline);
}

bool ThreadRunLoop::runUntilIdle(std::string_view mode) {
    return runFrame(std::string(mode), std::nullopt, Exit::onIdle) == Ending::idle;
}

void ThreadRunLoop::stop() {
    auto registries = registries_.lock();
    if (registries->frames.empty()) return;
    registries->frames.back()->stopRequested.store(true);
    registries->wakePending = true;
    wake_.notify_all();
}

std::string ThreadRunLoop::currentMode() const {
    auto registries = registries_.lock();
    return registries->frames.empty() ? std::string() : registries->frames.back()->mode;
}

void ThreadRunLoop::wakeUp() {
    registries_.lock()->wakePending = true;
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
    registries_.lock()->frames.push_back(frame);
    // Also when the run ends by an exception: a frame left behind would take the stop() and
    // currentMode() meant for the runs that follow.
    struct PopFrame {
        ThreadRunLoop& loop;
        const std::shared_ptr<Frame>& frame;
        ~PopFrame() { std::erase(loop.registries_.lock()->frames, frame); }
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
    for (auto& observer : validSnapshot(&Registries::observers, mode)) {
        if (!(observer->activities & activity)) continue;
        if (observer->repeats ? !observer->valid.load() : !observer->valid.exchange(false)) continue;
        if (!observer->repeats) remove(*observer);  // a one-shot observer is gone before it is called
        invokeReportingUncaught("a run-loop observer", [&] { observer->observe(activity); });
    }
}

bool ThreadRunLoop::performSignalledSources(const std::string& mode) {
    bool handled = false;
    for (auto& source : validSnapshot(&Registries::sources, mode)) {
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
        auto registries = registries_.lock();
        for (auto& timer : registries->timers)
            if (timer->valid.load() && timer->appliesTo(mode) && timer->fireDate <= now) due.push_back(timer);
        std::sort(due.begin(), due.end(), [](const auto& left, const auto& right) {
            return std::tie(left->fireDate, left->order) < std::tie(right->fireDate, right->order);
        });
    }
    for (auto& timer : due) {
        if (!timer->valid.load()) continue;  // removed by an earlier timer of this pass
        if (timer->repeat) {
            // A repeating timer that missed several dates fires once and keeps its cadence.
            auto registries = registries_.lock();
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
    auto registries = registries_.lock();
    return std::any_of(registries->timers.begin(), registries->timers.end(), [&](const auto& timer) {
        return timer->valid.load() && timer->appliesTo(mode) && timer->fireDate <= now;
    });
}

std::optional<Clock::TimePoint> ThreadRunLoop::Registries::nextTimerDate(std::string_view mode) const {
    std::optional<Clock::TimePoint> next;
    for (auto& timer : timers)
        if (timer->valid.load() && timer->appliesTo(mode) && (!next || timer->fireDate < *next)) next = timer->fireDate;
    return next;
}

bool ThreadRunLoop::hasSignalledSource(std::string_view mode) const {
    auto registries = registries_.lock();
    return std::any_of(registries->sources.begin(), registries->sources.end(), [&](const auto& source) {
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
    auto registries = registries_.lock();
    for (;;) {
        if (std::exchange(registries->wakePending, false) || frame.stopRequested.load()) return Ending::keepRunning;
        const auto now = Clock::now();
        auto nextTimer = registries->nextTimerDate(mode);
        if (nextTimer && *nextTimer <= now) return Ending::keepRunning;
        if (until && now >= *until) return Ending::deadlinePassed;
        if (Clock::isManual()) {
            // Only other threads can bring work now; the pool tells us when it drains.
            if (dispatch::ThreadPool::shared().isIdle()) return Ending::nothingCanHappen;
            if (registries.waitUntil(wake_, *realTimeLimit) == std::cv_status::timeout && !registries->wakePending)
                return Ending::safetyLimit;
            continue;
        }
        auto wakeAt = until;
        if (nextTimer && (!wakeAt || *nextTimer < *wakeAt)) wakeAt = nextTimer;
        if (realTimeLimit && std::chrono::steady_clock::now() >= *realTimeLimit) return Ending::safetyLimit;
        if (realTimeLimit && (!wakeAt || *realTimeLimit < *wakeAt))
            registries.waitUntil(wake_, *realTimeLimit);
        else if (wakeAt)
            registries.waitUntil(wake_, *wakeAt);
        else
            registries.wait(wake_);
    }
}

}  // namespace foundation
