#include "platform/appkit/StatusBar.hpp"

#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <algorithm>

namespace appkit {

namespace {

foundation::ProcessWide<StatusBar>& instance() {
    static foundation::ProcessWide<StatusBar> statusBar;
    return statusBar;
}

StatusBarServer*& installedServer() {
    static StatusBarServer* server = nullptr;
    return server;
}

}  // namespace

StatusBar& StatusBar::systemStatusBar() { return *instance().get(); }

void StatusBar::resetForTesting() { instance().reset(); }

void StatusBar::setServer(StatusBarServer* server) { installedServer() = server; }

StatusBarServer* StatusBar::server() { return installedServer(); }

std::shared_ptr<StatusItem> StatusBar::statusItem() {
    dispatch::checkMainThread();
    auto item = std::make_shared<StatusItem>();
    items_.push_back(item);
    itemDidChange();
    return item;
}

void StatusBar::removeStatusItem(const std::shared_ptr<StatusItem>& item) {
    dispatch::checkMainThread();
    if (std::erase(items_, item)) itemDidChange();
}

void StatusBar::itemDidChange() const {
    if (auto* server = installedServer()) server->statusBarDidChange(*this);
}

}  // namespace appkit
