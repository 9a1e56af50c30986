#pragma once

#include "platform/appkit/EventType.hpp"
#include "platform/appkit/Point.hpp"
#include "platform/display/InputDelivery.hpp"
#include "platform/display/KeyCombination.hpp"
#include "platform/display/Server.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace display {

// The window server kept in memory, driven by tests as a person would use the machine:
// keys and clicks go through InputDelivery, with the characters of the current Carbon
// layout; the application's window list is what is on screen; the pasteboard stays in the
// process and every hot key can be had unless a test reserved it for another application.
// Main thread only.
class HeadlessDisplay final : public Server {
public:
    explicit HeadlessDisplay(std::vector<ScreenFrame> screens = {ScreenFrame{0, 0, 1440, 900}});

    std::vector<ScreenFrame> screens() const override { return screens_; }
    // The application's screens follow the display's.
    void setScreens(std::vector<ScreenFrame> screens);

    std::string frontmostApplication() const override { return frontmost_; }
    void setFrontmostApplication(std::string identifier) { frontmost_ = std::move(identifier); }

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

    // Key presses that reached other applications, as "<application>: <key code>".
    const std::vector<std::string>& keysDeliveredToOtherApplications() const { return otherApplicationKeys_; }

    carbon::OSStatus grabHotKey(carbon::UInt32, carbon::UInt32) override { return carbon::noErr; }
    void releaseHotKey(carbon::UInt32, carbon::UInt32) override {}
    void generalPasteboardDidChange(const appkit::Pasteboard&) override {}
    std::optional<std::string> stringFromOtherApplication(const std::string&) override { return std::nullopt; }

private:
    void key(KeyCombination combination, KeyDirection direction);
    bool ownApplicationReceivesInput() const;

    std::vector<ScreenFrame> screens_;
    std::string frontmost_ = ownApplication;
    InputDelivery input_;
    std::vector<std::string> otherApplicationKeys_;
    std::uint32_t deadKeyState_ = 0;
};

}  // namespace display
