#pragma once

#include "platform/display/InputDelivery.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/x11/X11Connection.hpp"

#include <functional>
#include <memory>
#include <vector>

namespace display {

class X11Focus;
class X11MenuGrab;

// Keys typed right after a hot key reach the window its handlers make key, in order, however
// long that window takes to get the server's focus. A hot key's grab stops the keyboard at
// the press (X11HotKeyGrabs); answering the press, the application grabs the keyboard for
// itself, which lets it run again and keeps every key coming to the application past the hot
// key's release. Keys read while the hot key is down, or while no window is key, are kept
// back and go to the key window once the hot key is up. The hold ends when the key window has
// the server's focus, when the hot key is up and no window is key (kept keys are dropped, as
// keys for no window are), and a second after the hot key came up at the latest, so the
// keyboard is never kept from the rest of the desktop. Main thread only; lets go when it goes.
class X11KeyboardHold {
public:
    struct KeptKey {
        KeyCombination key;
        KeyDirection direction;
        TypedText text;
        bool isRepeat;
    };
    using Delivery = std::function<void(const KeptKey&)>;

    X11KeyboardHold(X11Connection& connection, const X11Focus& focus, const X11MenuGrab& menuGrab, Delivery deliver);
    ~X11KeyboardHold();
    X11KeyboardHold(const X11KeyboardHold&) = delete;
    X11KeyboardHold& operator=(const X11KeyboardHold&) = delete;

    // Answers every key press read: a hot key's press begins a hold; any other press lets a
    // keyboard a hot key's grab stopped run again.
    enum class Press { hotKey, otherKey };
    void answerPress(xcb_keycode_t key, xcb_timestamp_t time, Press press);
    void noteRelease(xcb_keycode_t key);

    bool isHeld() const { return held_; }
    // Whether a key read now waits for the key window.
    bool keepsKeysBack() const;
    void keepBack(KeptKey key) { kept_.push_back(std::move(key)); }
    // After each batch of events, after a hot key's handlers and before the main run loop
    // waits: hands the kept keys to the key window and lets go once the hold has done its part.
    void settle();

private:
    void deliverKept();
    void letGo();

    X11Connection& connection_;
    const X11Focus& focus_;
    const X11MenuGrab& menuGrab_;
    Delivery deliver_;
    bool held_ = false;
    xcb_keycode_t hotKey_ = 0;
    bool hotKeyDown_ = false;
    std::vector<KeptKey> kept_;
    std::unique_ptr<foundation::RunLoopToken> deadline_;
};

}  // namespace display
