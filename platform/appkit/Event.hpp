#pragma once

#include "platform/appkit/EventType.hpp"
#include "platform/appkit/ModifierFlags.hpp"
#include "platform/appkit/Point.hpp"
#include "platform/appkit/SpecialKey.hpp"
#include "platform/carbon/CarbonEvent.hpp"
#include "platform/objc/Object.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace appkit {

class Event;
using EventPtr = std::shared_ptr<Event>;

// An input event as the application sees it. Immutable after creation, so it may be posted
// back to the queue or handed to several monitors; created and used on the main thread.
class Event final : public objc::Object {
public:
    struct KeyDetails {
        std::string characters;                   // UTF-8
        std::string charactersIgnoringModifiers;  // UTF-8
        bool isARepeat = false;
        std::uint16_t keyCode = 0;
    };

    static EventPtr keyEvent(EventType type, Point location, ModifierFlags flags, double timestamp, int windowNumber,
                             KeyDetails key, carbon::EventRef eventRef = nullptr);
    static EventPtr mouseEvent(EventType type, Point location, ModifierFlags flags, double timestamp,
                               int windowNumber, int clickCount);
    // A turn of the scroll wheel: a positive delta moves the content down (towards its top).
    static EventPtr scrollWheelEvent(Point location, double deltaY, double timestamp, int windowNumber);
    static EventPtr otherEvent(EventType type, Point location, ModifierFlags flags, double timestamp,
                               int windowNumber, std::int16_t subtype, std::int64_t data1, std::int64_t data2);

    EventType type() const { return type_; }
    ModifierFlags modifierFlags() const { return flags_; }
    Point locationInWindow() const { return location_; }
    double timestamp() const { return timestamp_; }
    int windowNumber() const { return windowNumber_; }
    bool isKeyEvent() const { return type_ == EventType::keyDown || type_ == EventType::keyUp; }
    // Key events only; asking any other event raises NSInternalInconsistencyException.
    std::uint16_t keyCode() const;
    std::optional<std::string> characters() const;
    std::optional<std::string> charactersIgnoringModifiers() const;
    bool isARepeat() const;
    // The special key named by the event's first character, for key events.
    std::optional<SpecialKey> specialKey() const;
    int clickCount() const { return clickCount_; }
    double scrollingDeltaY() const { return scrollingDeltaY_; }
    std::int16_t subtype() const { return subtype_; }
    std::int64_t data1() const { return data1_; }
    std::int64_t data2() const { return data2_; }
    // The Carbon event behind a key event; null for events without one.
    const carbon::EventRef& eventRef() const { return eventRef_; }

    std::string description() const override;

    // Local monitors see the application's own events before it handles them (see
    // Application). The token is held by the application until removeMonitor.
    static objc::Id addLocalMonitorForEvents(EventTypeMask mask, std::function<EventPtr(const EventPtr&)> handler);
    static void removeMonitor(const objc::Id& monitor);

    // The longest time in seconds between two clicks of a double click: the platform
    // setting "com.apple.mouse.doubleClickThreshold" when it is positive, else 0.5.
    static double doubleClickInterval();

    Event(EventType type, Point location, ModifierFlags flags, double timestamp, int windowNumber);

private:
    EventType type_;
    Point location_;
    ModifierFlags flags_;
    double timestamp_;
    int windowNumber_;
    KeyDetails key_;
    int clickCount_ = 0;
    double scrollingDeltaY_ = 0;
    std::int16_t subtype_ = 0;
    std::int64_t data1_ = 0;
    std::int64_t data2_ = 0;
    carbon::EventRef eventRef_;
};

}  // namespace appkit
