#pragma once

#include "platform/appkit/Point.hpp"

#include <algorithm>
#include <limits>

namespace appkit {

// Sizes, rectangles and insets in points. Plain values.
struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(double x, double y, double width, double height) : origin{x, y}, size{width, height} {}
    constexpr Rect(Point origin, Size size) : origin(origin), size(size) {}

    double minX() const { return origin.x; }
    double minY() const { return origin.y; }
    double maxX() const { return origin.x + size.width; }
    double maxY() const { return origin.y + size.height; }
    double midX() const { return origin.x + size.width / 2; }
    double midY() const { return origin.y + size.height / 2; }
    double width() const { return size.width; }
    double height() const { return size.height; }
    bool isEmpty() const { return size.width <= 0 || size.height <= 0; }

    // Half-open on the far edges, as the platform's mouse test.
    bool contains(Point point) const {
        return point.x >= minX() && point.x < maxX() && point.y >= minY() && point.y < maxY();
    }
    Rect insetBy(double dx, double dy) const {
        return Rect(origin.x + dx, origin.y + dy, size.width - 2 * dx, size.height - 2 * dy);
    }
    Rect offsetBy(double dx, double dy) const { return Rect(origin.x + dx, origin.y + dy, size.width, size.height); }
    Rect intersection(const Rect& other) const {
        double x0 = std::max(minX(), other.minX()), y0 = std::max(minY(), other.minY());
        double x1 = std::min(maxX(), other.maxX()), y1 = std::min(maxY(), other.maxY());
        if (x1 <= x0 || y1 <= y0) return Rect();
        return Rect(x0, y0, x1 - x0, y1 - y0);
    }
    // The smallest rectangle holding both; an empty one adds nothing, as on the platform.
    Rect unionWith(const Rect& other) const {
        if (other.isEmpty()) return *this;
        if (isEmpty()) return other;
        double x0 = std::min(minX(), other.minX()), y0 = std::min(minY(), other.minY());
        return Rect(x0, y0, std::max(maxX(), other.maxX()) - x0, std::max(maxY(), other.maxY()) - y0);
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct EdgeInsets {
    double top = 0;
    double leading = 0;
    double bottom = 0;
    double trailing = 0;
    friend bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

inline constexpr double infinity = std::numeric_limits<double>::infinity();

}  // namespace appkit
