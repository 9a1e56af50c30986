#include "GlobalShortcuts/LocalEventMonitor.hpp"

#include "platform/foundation/ThreadChecker.hpp"

namespace GlobalShortcuts {

LocalEventMonitor::LocalEventMonitor(appkit::EventTypeMask events, Callback callback)
    : events_(events), callback_(std::move(callback)) {}

LocalEventMonitor::~LocalEventMonitor() {
    if (auto token = monitor_.lock()) appkit::Event::removeMonitor(token);
}

std::shared_ptr<LocalEventMonitor> LocalEventMonitor::start() {
    dispatch::checkMainThread();
    // Only the latest token is kept, so an earlier one would run on, out of reach, for good.
    if (auto token = monitor_.lock()) appkit::Event::removeMonitor(token);
    // The token outlives nothing of ours: the handler reaches the callback through a copy.
    auto callback = callback_;
    monitor_ = appkit::Event::addLocalMonitorForEvents(
        events_, [callback](const appkit::EventPtr& event) { return callback(event); });
    // A monitor that no shared pointer holds (a member, a local) has none to hand back.
    return weak_from_this().lock();
}

}  // namespace GlobalShortcuts
