#pragma once

#include "platform/appkit/ActivationServer.hpp"
#include "platform/appkit/PasteboardServer.hpp"
#include "platform/appkit/StatusBar.hpp"
#include "platform/carbon/HotKeyServer.hpp"

#include <string>
#include <vector>

namespace display {

// One screen as the window server reports it, in the application's global coordinates
// (origin at the bottom-left of the first screen, y growing up).
struct ScreenFrame {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    friend bool operator==(const ScreenFrame&, const ScreenFrame&) = default;
};

// The window server behind appkit and carbon: it reports the screens (and hands them to
// the application), knows which application is in front and focuses another one's window
// when the application activates it, shows the application's windows,
// carries the general pasteboard to other applications, shows the status items and reports
// clicks on them, holds the process's hot keys
// against other applications, and delivers key and mouse input to the process (see
// InputDelivery). HeadlessDisplay keeps all of it in memory for tests; X11Display puts it on
// an X server. One server at a time: constructing one installs it behind the general
// pasteboard, the status bar, the session's activations and the hot-key registry,
// destroying it removes it. Main thread only.
class Server : public carbon::HotKeyServer,
               public appkit::PasteboardServer,
               public appkit::StatusBarServer,
               public appkit::ActivationServer {
public:
    // The identifier under which this process's application is frontmost.
    static constexpr const char* ownApplication = "self";

    Server();
    ~Server() override;
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    virtual std::vector<ScreenFrame> screens() const = 0;
    // ownApplication, another application's identifier, or "" when none is in front.
    virtual std::string frontmostApplication() const = 0;
};

}  // namespace display
