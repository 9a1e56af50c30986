#include "platform/appkit/StatusBar.hpp"

#include <algorithm>

namespace appkit {

namespace {

StatusBar& instance() {
    static StatusBar statusBar;
    return statusBar;
}

StatusBarServer*& installedServer() {
    static StatusBarServer* server = nullptr;
    return server;
}

}  // namespace

StatusBar& StatusBar::systemStatusBar() { return instance(); }

void StatusBar::resetForTesting() { instance().items_.clear(); }

void StatusBar::setServer(StatusBarServer* server) { installedServer() = server; }

StatusBarServer* StatusBar::server() { return installedServer(); }

std::shared_ptr<StatusItem> StatusBar::statusItem() {
    auto item = std::make_shared<StatusItem>();
    items_.push_back(item);
    itemDidChange();
    return item;
}

void StatusBar::removeStatusItem(const std::shared_ptr<StatusItem>& item) {
    if (std::erase(items_, item)) itemDidChange();
}

void StatusBar::itemDidChange() const {
    if (auto* server = installedServer()) server->statusBarDidChange(*this);
}

}  // namespace appkit
