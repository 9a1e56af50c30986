#include "platform/appkit/Event.hpp"

#include "platform/appkit/Application.hpp"
#include "platform/foundation/Exception.hpp"
#include "platform/foundation/UserDefaults.hpp"

#include <fmt/format.h>
#include <unicode/unistr.h>

namespace appkit {

Event::Event(EventType type, Point location, ModifierFlags flags, double timestamp, int windowNumber)
    : type_(type), location_(location), flags_(flags), timestamp_(timestamp), windowNumber_(windowNumber) {}

EventPtr Event::keyEvent(EventType type, Point location, ModifierFlags flags, double timestamp, int windowNumber,
                         KeyDetails key, carbon::EventRef eventRef) {
    auto event = std::make_shared<Event>(type, location, flags, timestamp, windowNumber);
    event->key_ = std::move(key);
    event->eventRef_ = std::move(eventRef);
    return event;
}

EventPtr Event::mouseEvent(EventType type, Point location, ModifierFlags flags, double timestamp, int windowNumber,
                           int clickCount) {
    auto event = std::make_shared<Event>(type, location, flags, timestamp, windowNumber);
    event->clickCount_ = clickCount;
    return event;
}

EventPtr Event::scrollWheelEvent(Point location, double deltaY, double timestamp, int windowNumber) {
    auto event = std::make_shared<Event>(EventType::scrollWheel, location, ModifierFlags(), timestamp, windowNumber);
    event->scrollingDeltaY_ = deltaY;
    return event;
}

EventPtr Event::otherEvent(EventType type, Point location, ModifierFlags flags, double timestamp, int windowNumber,
                           std::int16_t subtype, std::int64_t data1, std::int64_t data2) {
    auto event = std::make_shared<Event>(type, location, flags, timestamp, windowNumber);
    event->subtype_ = subtype;
    event->data1_ = data1;
    event->data2_ = data2;
    return event;
}

std::uint16_t Event::keyCode() const {
    if (!isKeyEvent())
        foundation::Exception::raise(foundation::NSInternalInconsistencyException,
                                     "keyCode is only valid for key events");
    return key_.keyCode;
}

std::optional<std::string> Event::characters() const {
    if (!isKeyEvent()) return std::nullopt;
    return key_.characters;
}

std::optional<std::string> Event::charactersIgnoringModifiers() const {
    if (!isKeyEvent()) return std::nullopt;
    return key_.charactersIgnoringModifiers;
}

bool Event::isARepeat() const { return isKeyEvent() && key_.isARepeat; }

std::optional<SpecialKey> Event::specialKey() const {
    if (!isKeyEvent() || key_.characters.empty()) return std::nullopt;
    auto text = icu::UnicodeString::fromUTF8(key_.characters);
    return specialKeyForCharacter(static_cast<char32_t>(text.char32At(0)));
}

std::string Event::description() const {
    if (isKeyEvent())
        return fmt::format("Event type={} flags={:#x} keyCode={} chars=\"{}\"", static_cast<unsigned>(type_),
                           flags_.rawValue, key_.keyCode, key_.characters);
    return fmt::format("Event type={} loc=({}, {}) flags={:#x}", static_cast<unsigned>(type_), location_.x,
                       location_.y, flags_.rawValue);
}

objc::Id Event::addLocalMonitorForEvents(EventTypeMask mask, std::function<EventPtr(const EventPtr&)> handler) {
    return Application::shared()->addLocalMonitor(mask, std::move(handler));
}

void Event::removeMonitor(const objc::Id& monitor) { Application::shared()->removeLocalMonitor(monitor); }

double Event::doubleClickInterval() {
    double interval = foundation::UserDefaults::standardUserDefaults()->doubleForKey("com.apple.mouse.doubleClickThreshold");
    return interval > 0 ? interval : 0.5;
}

}  // namespace appkit
