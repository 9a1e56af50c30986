#pragma once

#include <memory>

namespace appkit {

class View;
class Window;

enum class KeyViewDirection { forward, backward };

// The key-view loop: the views of a window's content that Tab moves the focus along, in
// tree order (visible views that can become key views; field editors are never in it).
// The view Tab moves to from `from` in the direction; the loop wraps, so a view alone in
// it follows itself. `from` counts as a member wherever it stands, even when it cannot
// become a key view (yet); without it, or when it is not in the window, the loop starts at
// its first (or last) view. Null when the loop is empty. Main thread only.
std::shared_ptr<View> keyViewFollowing(const Window& window, const std::shared_ptr<View>& from,
                                       KeyViewDirection direction);

}  // namespace appkit
