#pragma once

#include "platform/appkit/StatusItem.hpp"

#include <memory>
#include <vector>

namespace appkit {

class StatusBar;

// The window server's side of the status bar: it shows the items (in the menu bar, a
// system tray) and reports clicks on them. Installed by the display (not owned; it removes
// itself before it goes). Main thread only.
class StatusBarServer {
public:
    virtual ~StatusBarServer() = default;

    // Items were added or removed, or one changed its icon or title.
    virtual void statusBarDidChange(const StatusBar& statusBar) = 0;
};

// The system status bar: the application's status items, oldest first. Main thread only;
// one per process (resetForTesting() forgets its items).
class StatusBar {
public:
    static StatusBar& systemStatusBar();
    static void resetForTesting();
    static void setServer(StatusBarServer* server);
    static StatusBarServer* server();

    std::shared_ptr<StatusItem> statusItem();
    void removeStatusItem(const std::shared_ptr<StatusItem>& item);
    const std::vector<std::shared_ptr<StatusItem>>& items() const { return items_; }

    // Used by StatusItem.
    void itemDidChange() const;

private:
    std::vector<std::shared_ptr<StatusItem>> items_;
};

}  // namespace appkit
