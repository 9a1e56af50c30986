#include "GlobalShortcuts/RunLoopLocalEventMonitor.hpp"

#include "platform/appkit/Application.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <vector>

namespace GlobalShortcuts {

RunLoopLocalEventMonitor::RunLoopLocalEventMonitor(appkit::EventTypeMask events, std::string runLoopMode,
                                                   Callback callback)
    : runLoopMode_(std::move(runLoopMode)),
      handler_([events, callback = std::move(callback)](foundation::RunLoopActivity) { drain(events, callback); }) {}

RunLoopLocalEventMonitor::~RunLoopLocalEventMonitor() { stop(); }

void RunLoopLocalEventMonitor::start() {
    dispatch::checkMainThread();
    if (observer_) return;
    observer_ = foundation::RunLoop::current()->addObserver(foundation::kCFRunLoopBeforeSources, true, handler_,
                                                            runLoopMode_);
}

void RunLoopLocalEventMonitor::stop() {
    dispatch::checkMainThread();
    observer_.reset();
}

void RunLoopLocalEventMonitor::drain(appkit::EventTypeMask events, const Callback& callback) {
    auto application = appkit::Application::shared();
    std::vector<appkit::EventPtr> collected;
    while (auto event = application->nextEvent(appkit::NSEventMaskAny, std::nullopt, foundation::NSDefaultRunLoopMode,
                                               true))
        collected.push_back(std::move(event));
    for (const auto& event : collected) {
        if (!appkit::maskContains(events, event->type())) {
            application->postEvent(event, false);
            continue;
        }
        if (auto result = callback(event)) application->postEvent(std::move(result), false);
    }
}

}  // namespace GlobalShortcuts
