#pragma once

#include "platform/appkit/Color.hpp"
#include "platform/appkit/Font.hpp"
#include "platform/appkit/Geometry.hpp"

#include <optional>

namespace ui {

using appkit::Color;
using appkit::EdgeInsets;
using appkit::Font;
using appkit::Point;
using appkit::Rect;
using appkit::Size;

enum class HorizontalAlignment { leading, center, trailing };
// firstTextBaseline lines children up on the baseline of their first line of text (a
// child without text on its bottom edge).
enum class VerticalAlignment { top, center, bottom, firstTextBaseline };

// A two-axis alignment (the placement of a child inside a larger frame).
struct Alignment {
    HorizontalAlignment horizontal = HorizontalAlignment::center;
    VerticalAlignment vertical = VerticalAlignment::center;

    static constexpr Alignment center() { return {}; }
    static constexpr Alignment leading() { return {HorizontalAlignment::leading, VerticalAlignment::center}; }
    static constexpr Alignment trailing() { return {HorizontalAlignment::trailing, VerticalAlignment::center}; }
    static constexpr Alignment top() { return {HorizontalAlignment::center, VerticalAlignment::top}; }
    static constexpr Alignment bottom() { return {HorizontalAlignment::center, VerticalAlignment::bottom}; }
    static constexpr Alignment topLeading() { return {HorizontalAlignment::leading, VerticalAlignment::top}; }
    static constexpr Alignment bottomTrailing() { return {HorizontalAlignment::trailing, VerticalAlignment::bottom}; }
    friend bool operator==(const Alignment&, const Alignment&) = default;
};

enum class Axis { horizontal, vertical };
enum class ColorScheme { light, dark };
enum class ContentMode { fit, fill };
enum class TextAlignment { leading, center, trailing };
enum class ControlSize { mini, small, regular, large };
enum class ButtonStyle { automatic, plain, bordered, borderedProminent };

// What a parent offers a child: a length per axis, or nullopt for "your ideal size".
struct ProposedSize {
    std::optional<double> width;
    std::optional<double> height;
    friend bool operator==(const ProposedSize&, const ProposedSize&) = default;
};

// The environment a node is laid out and drawn in; modifiers change it for their subtree.
struct EnvironmentValues {
    ColorScheme colorScheme = ColorScheme::light;
    std::optional<Font> font;
    std::optional<Color> foregroundColor;
    std::optional<int> lineLimit;
    TextAlignment multilineTextAlignment = TextAlignment::leading;
    double tracking = 0;  // extra space between characters, in points
    ControlSize controlSize = ControlSize::regular;
    ButtonStyle buttonStyle = ButtonStyle::automatic;
    bool isEnabled = true;  // false below a disabled node: its controls are greyed and inert
    bool labelsHidden = false;
};

appkit::Appearance appearanceFor(ColorScheme scheme);
ColorScheme colorSchemeFor(appkit::Appearance appearance);

}  // namespace ui
