#pragma once

#include "platform/appkit/View.hpp"

namespace appkit {

// The translucent backdrop of panels and popovers. Without a compositor to blur what lies
// behind, it draws the material's tint for the current appearance. Main thread only.
class VisualEffectView : public View {
public:
    enum class Material { titlebar, menu, popover, sidebar, headerView, sheet, windowBackground, hudWindow };
    enum class BlendingMode { behindWindow, withinWindow };
    enum class State { followsWindowActiveState, active, inactive };

    using View::View;

    Material material() const { return material_; }
    void setMaterial(Material material) { material_ = material; }
    BlendingMode blendingMode() const { return blendingMode_; }
    void setBlendingMode(BlendingMode mode) { blendingMode_ = mode; }
    State state() const { return state_; }
    void setState(State state) { state_ = state; }

private:
    Material material_ = Material::windowBackground;
    BlendingMode blendingMode_ = BlendingMode::behindWindow;
    State state_ = State::followsWindowActiveState;
};

}  // namespace appkit
