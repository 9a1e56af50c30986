#pragma once

#include "platform/appkit/EventType.hpp"
#include "platform/appkit/Point.hpp"
#include "platform/carbon/CarbonTypes.hpp"
#include "platform/display/KeyCombination.hpp"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace display {

struct ScreenFrame {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

// The window server kept in memory, driven by tests as a person would use the machine. A
// key press goes to a live hot key of the process when one matches (pressed on key down,
// released on key up while still registered); otherwise, when this application is frontmost or one of its menus
// tracks, to the Carbon handlers that asked for raw key events and, unless one handled
// it, into the application's event queue; otherwise to the frontmost other application.
// Which application is in front is the session's (appkit::RunningApplication); a new
// display starts with this application in front. Main thread only.
class HeadlessDisplay {
public:
    // The identifier under which this process's application is frontmost.
    static constexpr const char* ownApplication = "self";

    explicit HeadlessDisplay(std::vector<ScreenFrame> screens = {ScreenFrame{0, 0, 1440, 900}});

    const std::vector<ScreenFrame>& screens() const { return screens_; }
    // The application's screens follow the display's.
    void setScreens(std::vector<ScreenFrame> screens);

    // ownApplication, another application's identifier, or "" when none is in front.
    std::string frontmostApplication() const;
    // The user brings the application to the front (ownApplication for this one).
    void setFrontmostApplication(const std::string& identifier);

    // A combination another application holds as its hot key.
    void reserveHotKeyForOtherApplication(std::string_view combination);

    // Key down then key up. Throws std::invalid_argument for text that names no key.
    void pressKeys(std::string_view combination);
    void keyDown(std::string_view combination);
    void keyUp(std::string_view combination);
    void keyDown(KeyCombination combination);
    void keyUp(KeyCombination combination);
    // Mouse down and up of the left button at a location of the key window; like keys, a
    // click reaches this application only while it is frontmost or one of its menus tracks.
    void click(appkit::Point location);
    void postMouseEvent(appkit::EventType type, appkit::Point location);
    // A click at a point of the screens (y up): it goes to the frontmost visible window of
    // this application under the point that takes mouse events, in that window's
    // coordinates; false when none of its windows is there (the click is another's).
    enum class MouseButton { left, right };
    bool clickOnScreen(appkit::Point screenPoint, MouseButton button = MouseButton::left);

    // Key presses that reached other applications, as "<application>: <key code>".
    const std::vector<std::string>& keysDeliveredToOtherApplications() const { return otherApplicationKeys_; }

private:
    enum class Direction { down, up };
    void key(KeyCombination combination, Direction direction);
    bool ownApplicationReceivesInput() const;

    std::vector<ScreenFrame> screens_;
    std::map<std::uint16_t, carbon::EventHotKeyID> pressedHotKeys_;  // by key code
    std::vector<std::string> otherApplicationKeys_;
    std::uint32_t deadKeyState_ = 0;
};

}  // namespace display
