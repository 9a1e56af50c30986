#pragma once

#include "platform/appkit/Geometry.hpp"

#include <memory>
#include <vector>

namespace appkit {

// One display of the window server. Frames are in global coordinates with the origin at
// the bottom-left of the first screen, y growing up. The visible frame leaves out the
// menu bar at the top (24 points). Main thread only; the list is set by the display.
class Screen {
public:
    explicit Screen(Rect frame) : frame_(frame) {}

    const Rect& frame() const { return frame_; }
    Rect visibleFrame() const { return Rect(frame_.minX(), frame_.minY(), frame_.width(), frame_.height() - menuBarHeight); }

    static constexpr double menuBarHeight = 24;

    static std::vector<std::shared_ptr<Screen>> screens();
    // The screen of the key window, else the first.
    static std::shared_ptr<Screen> mainScreen();
    // The display's screens, first one first; by default one screen of 1440 × 900.
    static void setScreenFrames(const std::vector<Rect>& frames);

private:
    Rect frame_;
};

}  // namespace appkit
