#pragma once

#include "platform/appkit/Application.hpp"
#include "platform/appkit/Event.hpp"

#include <cstdint>
#include <string>

namespace testsupport {

// A key-down event as the window server makes it, sent through the application.
inline appkit::EventPtr keyDownEvent(std::uint16_t keyCode, std::string characters, std::uint64_t flags = 0,
                                     std::string ignoringModifiers = {}) {
    appkit::Event::KeyDetails details;
    details.characters = characters;
    details.charactersIgnoringModifiers = ignoringModifiers.empty() ? characters : ignoringModifiers;
    details.keyCode = keyCode;
    return appkit::Event::keyEvent(appkit::EventType::keyDown, appkit::Point{}, appkit::ModifierFlags(flags), 0, 0, details);
}

inline void sendKey(std::uint16_t keyCode, std::string characters, std::uint64_t flags = 0,
                    std::string ignoringModifiers = {}) {
    appkit::Application::shared()->sendEvent(keyDownEvent(keyCode, std::move(characters), flags, std::move(ignoringModifiers)));
}

// Types plain text, one key-down per character (key codes do not matter to text fields).
inline void typeText(const std::string& text) {
    for (char character : text) sendKey(0, std::string(1, character));
}

}  // namespace testsupport
