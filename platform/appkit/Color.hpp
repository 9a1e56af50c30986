#pragma once

#include "platform/appkit/Appearance.hpp"

#include <cstdint>
#include <string>

namespace appkit {

// Components in 0…1, not premultiplied.
struct RGBA {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 0;
    friend bool operator==(const RGBA&, const RGBA&) = default;
};

// A colour, either fixed or named by its role (label, secondary label, separator…) and
// resolved for an appearance only when drawn, so one value serves light and dark. A plain
// value; any thread.
class Color {
public:
    enum class Role {
        fixed,
        label,
        secondaryLabel,
        tertiaryLabel,
        separator,
        systemGray,
        windowBackground,
        controlAccent,
        textBackground,
        selectedText,
        selectedTextBackground,
        unemphasizedSelectedTextBackground,
        selectedMenuItem,
        selectedMenuItemText,
    };

    static Color rgba(double red, double green, double blue, double alpha = 1);
    static Color white(double white, double alpha = 1) { return rgba(white, white, white, alpha); }
    static Color clearColor() { return rgba(0, 0, 0, 0); }
    static Color whiteColor() { return rgba(1, 1, 1); }
    static Color blackColor() { return rgba(0, 0, 0); }
    static Color systemOrangeColor() { return rgba(1.0, 0.584, 0.0); }
    static Color labelColor() { return Color(Role::label); }
    static Color secondaryLabelColor() { return Color(Role::secondaryLabel); }
    static Color tertiaryLabelColor() { return Color(Role::tertiaryLabel); }
    static Color separatorColor() { return Color(Role::separator); }
    static Color systemGrayColor() { return Color(Role::systemGray); }
    static Color windowBackgroundColor() { return Color(Role::windowBackground); }
    static Color controlAccentColor() { return Color(Role::controlAccent); }
    // Behind editable text: white in the light appearance, near black in the dark one.
    static Color textBackgroundColor() { return Color(Role::textBackground); }
    // Selected text in an editable field: the glyphs and, behind them, the background (in a
    // key window) or the paler unemphasized background (in any other window).
    static Color selectedTextColor() { return Color(Role::selectedText); }
    static Color selectedTextBackgroundColor() { return Color(Role::selectedTextBackground); }
    static Color unemphasizedSelectedTextBackgroundColor() { return Color(Role::unemphasizedSelectedTextBackground); }
    // The highlighted item of an open menu: its background, and its title and key equivalent.
    static Color selectedMenuItemColor() { return Color(Role::selectedMenuItem); }
    static Color selectedMenuItemTextColor() { return Color(Role::selectedMenuItemText); }

    // The same colour with its opacity multiplied by the factor (what "opacity" does in the
    // declarative views, and what the platform's alpha component does to an opaque colour).
    Color withAlphaComponent(double alpha) const;
    Color opacity(double factor) const { return withAlphaComponent(factor); }

    Role role() const { return role_; }
    RGBA resolved(Appearance appearance) const;
    bool isClear() const { return role_ == Role::fixed && (fixed_.alpha * opacity_) == 0; }
    std::string description() const;

    friend bool operator==(const Color&, const Color&) = default;

private:
    explicit Color(Role role) : role_(role) {}
    Color(RGBA fixed) : role_(Role::fixed), fixed_(fixed) {}

    Role role_ = Role::fixed;
    RGBA fixed_;
    double opacity_ = 1;
};

}  // namespace appkit
