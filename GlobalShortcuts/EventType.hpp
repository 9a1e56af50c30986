#pragma once

namespace GlobalShortcuts {

// What a shortcut's stream reports: the key going down or coming up.
enum class EventType { keyDown, keyUp };

}  // namespace GlobalShortcuts
