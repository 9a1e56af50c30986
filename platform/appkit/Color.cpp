#include "platform/appkit/Color.hpp"

#include <fmt/format.h>

namespace appkit {

Color Color::rgba(double red, double green, double blue, double alpha) { return Color(RGBA{red, green, blue, alpha}); }

Color Color::withAlphaComponent(double alpha) const {
    Color copy = *this;
    copy.opacity_ *= alpha;
    return copy;
}

namespace {

// The platform's role colours, close enough to be recognised in screenshots.
RGBA roleColor(Color::Role role, Appearance appearance) {
    bool dark = appearance == Appearance::dark;
    switch (role) {
    case Color::Role::label:
        return dark ? RGBA{1, 1, 1, 0.85} : RGBA{0, 0, 0, 0.85};
    case Color::Role::secondaryLabel:
        return dark ? RGBA{1, 1, 1, 0.55} : RGBA{0, 0, 0, 0.5};
    case Color::Role::tertiaryLabel:
        return dark ? RGBA{1, 1, 1, 0.25} : RGBA{0, 0, 0, 0.26};
    case Color::Role::separator:
        return dark ? RGBA{1, 1, 1, 0.1} : RGBA{0, 0, 0, 0.1};
    case Color::Role::systemGray:
        return dark ? RGBA{0.596, 0.596, 0.616, 1} : RGBA{0.557, 0.557, 0.576, 1};
    case Color::Role::windowBackground:
        return dark ? RGBA{0.196, 0.196, 0.196, 1} : RGBA{0.925, 0.925, 0.925, 1};
    case Color::Role::controlAccent:
        return dark ? RGBA{0.039, 0.518, 1, 1} : RGBA{0, 0.478, 1, 1};
    case Color::Role::textBackground:
        return dark ? RGBA{0.118, 0.118, 0.118, 1} : RGBA{1, 1, 1, 1};
    case Color::Role::selectedText:
        return dark ? RGBA{1, 1, 1, 1} : RGBA{0, 0, 0, 1};
    case Color::Role::selectedTextBackground:
        return dark ? RGBA{0.247, 0.388, 0.545, 1} : RGBA{0.702, 0.843, 1, 1};
    case Color::Role::unemphasizedSelectedTextBackground:
        return dark ? RGBA{0.275, 0.275, 0.275, 1} : RGBA{0.863, 0.863, 0.863, 1};
    case Color::Role::selectedMenuItem:
        return dark ? RGBA{0, 0.345, 0.816, 1} : RGBA{0, 0.388, 0.882, 1};
    case Color::Role::selectedMenuItemText:
        return RGBA{1, 1, 1, 1};
    case Color::Role::fixed:
        break;
    }
    return RGBA{};
}

}  // namespace

RGBA Color::resolved(Appearance appearance) const {
    RGBA base = role_ == Role::fixed ? fixed_ : roleColor(role_, appearance);
    base.alpha *= opacity_;
    return base;
}

std::string Color::description() const {
    RGBA light = resolved(Appearance::light);
    return fmt::format("Color(role {}, {:.3f} {:.3f} {:.3f} {:.3f})", static_cast<int>(role_), light.red, light.green,
                       light.blue, light.alpha);
}

}  // namespace appkit
