#include "platform/appkit/Application.hpp"

#include "platform/appkit/RunningApplication.hpp"
#include "platform/appkit/WindowList.hpp"
#include "platform/foundation/NotificationCenter.hpp"
#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <algorithm>

namespace appkit {

struct Application::LocalMonitor final : objc::Object {
    EventTypeMask mask = 0;
    std::function<EventPtr(const EventPtr&)> handler;
};

namespace {

// kVK_ key codes.
constexpr std::uint16_t escapeKeyCode = 53;
constexpr std::uint16_t returnKeyCode = 36;
constexpr std::uint16_t keypadEnterKeyCode = 76;
constexpr std::uint16_t downArrowKeyCode = 125;
constexpr std::uint16_t upArrowKeyCode = 126;

foundation::ProcessWide<Application>& sharedApplication() {
    static foundation::ProcessWide<Application> application;
    return application;
}

}  // namespace

std::shared_ptr<Application> Application::shared() { return sharedApplication().get(); }

void Application::resetForTesting() {
    sharedApplication().reset();
    // The window list routes the application's events to its windows: it goes too, so the
    // next one routes the next application's instead of the dropped one's.
    WindowList::resetForTesting();
    // Which application is in front goes with it.
    RunningApplication::resetForTesting();
}

Application::Application() : objc::Object(runtimeClass()) {}

Application::~Application() = default;

void Application::ensureEventSource() {
    if (eventSource_) return;
    std::weak_ptr<Application> weakSelf = std::static_pointer_cast<Application>(shared_from_this());
    auto [source, token] = foundation::RunLoop::main()->addSource(
        [weakSelf] {
            if (auto self = weakSelf.lock()) self->handleQueuedEvents();
        },
        foundation::NSRunLoopCommonModes);
    eventSource_ = std::move(source);
    eventSourceToken_ = std::move(token);
}

EventPtr Application::nextEvent(EventTypeMask mask, std::optional<foundation::Clock::TimePoint> until,
                                std::string_view mode, bool dequeue) {
    dispatch::checkMainThread();
    for (;;) {
        for (auto event = queue_.begin(); event != queue_.end(); ++event) {
            if (!maskContains(mask, (*event)->type())) continue;
            auto found = *event;
            if (dequeue) queue_.erase(event);
            return found;
        }
        if (!until || foundation::Clock::now() >= *until) return nullptr;
        ++waitingForEvent_;
        foundation::RunLoop::current()->run(mode, until);
        --waitingForEvent_;
        // The source stood aside during the wait: hand it what arrived meanwhile, or an
        // event the wait does not take would sit in the queue until the next post.
        if (!waitingForEvent_ && !queue_.empty()) signalEventSource();
        until.reset();  // one wait; what arrived meanwhile is looked at once more
    }
}

void Application::postEvent(EventPtr event, bool atStart) {
    if (!event) return;
    if (atStart)
        queue_.push_front(std::move(event));
    else
        queue_.push_back(std::move(event));
    if (waitingForEvent_) {
        foundation::RunLoop::current()->stop();
        return;
    }
    signalEventSource();
}

void Application::signalEventSource() {
    ensureEventSource();
    eventSource_->signal();
}

void Application::handleQueuedEvents() {
    while (!queue_.empty() && !waitingForEvent_) {
        auto event = queue_.front();
        queue_.pop_front();
        if (trackingMenu_ && event->isKeyEvent()) {
            handleTrackingKey(*event);
            continue;
        }
        sendEvent(event);
    }
}

void Application::handleTrackingKey(const Event& event) {
    if (event.type() != EventType::keyDown) return;
    if (event.keyCode() == escapeKeyCode) return endMenuTracking();
    auto menu = trackingMenu_;
    auto item = menu->itemWithKeyEquivalent(event);
    if (!item) {
        switch (event.keyCode()) {
        case upArrowKeyCode: return menu->moveHighlight(MenuHighlightStep::previous);
        case downArrowKeyCode: return menu->moveHighlight(MenuHighlightStep::next);
        case returnKeyCode:
        case keypadEnterKeyCode:
            item = menu->highlightedItem();
            if (!item) return endMenuTracking();  // nothing chosen: the menu just closes
            break;
        default: return;
        }
    }
    // The menu closes before the item runs, as when the item is clicked.
    endMenuTracking();
    item->performAction();
}

void Application::sendEvent(const EventPtr& incoming) {
    dispatch::checkMainThread();
    auto event = incoming;
    auto monitors = monitors_;  // a handler may add or remove monitors
    for (const auto& monitor : monitors) {
        if (!event) return;
        if (!maskContains(monitor->mask, event->type())) continue;
        if (std::find(monitors_.begin(), monitors_.end(), monitor) == monitors_.end()) continue;
        event = monitor->handler(event);
    }
    if (!event) return;
    if (event->type() == EventType::keyDown && mainMenu_) {
        auto menu = mainMenu_;
        if (menu->performKeyEquivalent(*event)) return;
    }
    if (windowHandler_) {
        auto handler = windowHandler_;
        handler(event);
    }
}

objc::Id Application::addLocalMonitor(EventTypeMask mask, std::function<EventPtr(const EventPtr&)> handler) {
    dispatch::checkMainThread();
    auto monitor = std::make_shared<LocalMonitor>();
    monitor->mask = mask;
    monitor->handler = std::move(handler);
    monitors_.push_back(monitor);
    return monitor;
}

void Application::removeLocalMonitor(const objc::Id& monitor) {
    dispatch::checkMainThread();
    std::erase_if(monitors_, [&](const std::shared_ptr<LocalMonitor>& entry) { return entry == monitor; });
}

ModalResponse Application::runModal() {
    dispatch::checkMainThread();
    modalStops_.emplace_back();
    auto runLoop = foundation::RunLoop::main();
    while (!modalStops_.back()) {
        runLoop->run(foundation::NSModalPanelRunLoopMode);
        if (!modalStops_.back() && foundation::Clock::isManual()) modalStops_.back() = NSModalResponseAbort;
    }
    auto response = *modalStops_.back();
    modalStops_.pop_back();
    return response;
}

void Application::stopModal(ModalResponse code) {
    dispatch::checkMainThread();
    if (modalStops_.empty()) return;
    modalStops_.back() = code;
    foundation::RunLoop::main()->stop();
}

void Application::beginMenuTracking(std::shared_ptr<Menu> menu) {
    dispatch::checkMainThread();
    trackingMenu_ = std::move(menu);
    foundation::NotificationCenter::defaultCenter()->post(NSMenuDidBeginTrackingNotification, trackingMenu_);
}

void Application::endMenuTracking() {
    dispatch::checkMainThread();
    if (!trackingMenu_) return;  // nothing tracks (an item already ended it)
    auto menu = std::move(trackingMenu_);
    trackingMenu_.reset();
    foundation::NotificationCenter::defaultCenter()->post(NSMenuDidEndTrackingNotification, menu);
    menu->highlightItem(nullptr);  // it opens again with nothing highlighted
}

}  // namespace appkit
