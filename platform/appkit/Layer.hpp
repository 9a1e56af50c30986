#pragma once

#include "platform/appkit/Color.hpp"
#include "platform/appkit/Point.hpp"

#include <optional>

namespace appkit {

// A 2-D affine transform (x' = a·x + c·y + tx, y' = b·x + d·y + ty).
struct AffineTransform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static AffineTransform translation(double x, double y) { return {1, 0, 0, 1, x, y}; }
    static AffineTransform scale(double x, double y) { return {x, 0, 0, y, 0, 0}; }
    Point apply(Point point) const { return {a * point.x + c * point.y + tx, b * point.x + d * point.y + ty}; }
    // The inverse, or nullopt when the transform is singular.
    std::optional<AffineTransform> inverted() const;
    bool isIdentity() const { return *this == AffineTransform{}; }
    friend bool operator==(const AffineTransform&, const AffineTransform&) = default;
};

// The backing layer of a layer-backed view: what the drawing applies on top of the view's
// own content. A plain value owned by its view.
struct Layer {
    AffineTransform transform;  // about the view's frame origin
    double opacity = 1;
    double cornerRadius = 0;
    bool masksToBounds = false;
    std::optional<Color> backgroundColor;
};

}  // namespace appkit
