#pragma once

#include "platform/appkit/EventType.hpp"
#include "platform/appkit/Geometry.hpp"
#include "platform/appkit/Point.hpp"
#include "platform/display/InputDelivery.hpp"
#include "platform/display/KeyCombination.hpp"
#include "platform/display/Server.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace appkit {
class Window;
}

namespace display {

// The window server kept in memory, driven by tests as a person would use the machine:
// keys and clicks go through InputDelivery, with the characters of the current Carbon
// layout; the application's window list is what is on screen; the pasteboard stays in the
// process and every hot key can be had unless a test reserved it for another application.
// Which application is in front is the session's (appkit::RunningApplication); a new
// display starts with this application in front. Main thread only.
class HeadlessDisplay final : public Server {
public:
    explicit HeadlessDisplay(std::vector<ScreenFrame> screens = {ScreenFrame{0, 0, 1440, 900}});

    std::vector<ScreenFrame> screens() const override { return screens_; }
    // The application's screens follow the display's.
    void setScreens(std::vector<ScreenFrame> screens);

    std::string frontmostApplication() const override;
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
    // coordinates, making it key first when it can be; false when none of its windows is
    // there (the click is another's).
    // A click outside this application's windows ends the tracking of its open menu.
    enum class MouseButton { left, right };
    bool clickOnScreen(appkit::Point screenPoint, MouseButton button = MouseButton::left);
    // A turn of the scroll wheel over the frontmost window of this application under the
    // point (positive: towards the content's top); false when none is there.
    bool scrollOnScreen(appkit::Point screenPoint, double deltaY);
    // The pointer moves to a point of the screens (y up): the frontmost window of this
    // application under it that takes mouse events hears where, and the window it was over
    // before, when another, hears that it left.
    void movePointer(appkit::Point screenPoint);

    // The status items stand in the menu bar of the first screen, from its right edge
    // leftwards, 28 points each; a click on one runs its button with its bottom-left corner
    // as the place of the menu. False when there is no such item.
    static constexpr double statusItemWidth = 28;
    appkit::Rect statusItemFrame(std::size_t index) const;
    bool clickStatusItem(std::size_t index = 0);

    // Key presses that reached other applications, as "<application>: <key code>".
    const std::vector<std::string>& keysDeliveredToOtherApplications() const { return otherApplicationKeys_; }

    carbon::OSStatus grabHotKey(carbon::UInt32, carbon::UInt32) override { return carbon::noErr; }
    void releaseHotKey(carbon::UInt32, carbon::UInt32) override {}
    void generalPasteboardDidChange(const appkit::Pasteboard&) override {}
    std::optional<std::string> stringFromOtherApplication(const std::string&) override { return std::nullopt; }
    void statusBarDidChange(const appkit::StatusBar&) override {}
    // The session alone says who is in front here.
    void otherApplicationDidActivate(const appkit::RunningApplication&) override {}

private:
    void key(KeyCombination combination, KeyDirection direction);
    static std::shared_ptr<appkit::Window> windowAt(appkit::Point screenPoint);
    bool ownApplicationReceivesInput() const;

    std::vector<ScreenFrame> screens_;
    InputDelivery input_;
    std::vector<std::string> otherApplicationKeys_;
    std::uint32_t deadKeyState_ = 0;
    int pointerWindowNumber_ = 0;  // none
};

}  // namespace display
