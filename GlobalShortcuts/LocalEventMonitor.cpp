#include "GlobalShortcuts/LocalEventMonitor.hpp"

namespace GlobalShortcuts {

LocalEventMonitor::LocalEventMonitor(appkit::EventTypeMask events, Callback callback)
    : events_(events), callback_(std::move(callback)) {}

LocalEventMonitor::~LocalEventMonitor() {
    if (auto token = monitor_.lock()) appkit::Event::removeMonitor(token);
}

std::shared_ptr<LocalEventMonitor> LocalEventMonitor::start() {
    // The token outlives nothing of ours: the handler reaches the callback through a copy.
    auto callback = callback_;
    monitor_ = appkit::Event::addLocalMonitorForEvents(
        events_, [callback](const appkit::EventPtr& event) { return callback(event); });
    return shared_from_this();
}

}  // namespace GlobalShortcuts
