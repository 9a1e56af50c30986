#include "platform/render/SymbolPainter.hpp"

#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace render {

namespace {

void drawGlobe(cairo_t* context, const appkit::Rect& square) {
    double side = std::min(square.width(), square.height());
    double radius = side * 0.42;
    double cx = square.midX(), cy = square.midY();
    cairo_set_line_width(context, std::max(1.0, side / 14));
    cairo_new_path(context);
    cairo_arc(context, cx, cy, radius, 0, 2 * M_PI);
    cairo_stroke(context);
    // The central meridian as a narrow ellipse.
    cairo_save(context);
    cairo_translate(context, cx, cy);
    cairo_scale(context, 0.45, 1.0);
    cairo_new_path(context);
    cairo_arc(context, 0, 0, radius, 0, 2 * M_PI);
    cairo_restore(context);
    cairo_stroke(context);
    // Equator and two parallels.
    cairo_move_to(context, cx - radius, cy);
    cairo_line_to(context, cx + radius, cy);
    double offset = radius * 0.5, halfChord = std::sqrt(radius * radius - offset * offset);
    cairo_move_to(context, cx - halfChord, cy - offset);
    cairo_line_to(context, cx + halfChord, cy - offset);
    cairo_move_to(context, cx - halfChord, cy + offset);
    cairo_line_to(context, cx + halfChord, cy + offset);
    cairo_stroke(context);
}

void drawLock(cairo_t* context, const appkit::Rect& square) {
    double side = std::min(square.width(), square.height());
    double left = square.midX() - side * 0.34, width = side * 0.68;
    double bodyTop = square.minY() + side * 0.45, bodyHeight = side * 0.47;
    double radius = side * 0.08;
    // The shackle.
    cairo_set_line_width(context, std::max(1.0, side / 9));
    cairo_new_path(context);
    double shackleRadius = width * 0.3;
    cairo_arc(context, square.midX(), bodyTop - side * 0.06, shackleRadius, M_PI, 2 * M_PI);
    cairo_line_to(context, square.midX() + shackleRadius, bodyTop);
    cairo_move_to(context, square.midX() - shackleRadius, bodyTop - side * 0.06);
    cairo_line_to(context, square.midX() - shackleRadius, bodyTop);
    cairo_stroke(context);
    // The body.
    cairo_new_path(context);
    cairo_arc(context, left + width - radius, bodyTop + radius, radius, -M_PI / 2, 0);
    cairo_arc(context, left + width - radius, bodyTop + bodyHeight - radius, radius, 0, M_PI / 2);
    cairo_arc(context, left + radius, bodyTop + bodyHeight - radius, radius, M_PI / 2, M_PI);
    cairo_arc(context, left + radius, bodyTop + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(context);
    cairo_fill(context);
}

}  // namespace

bool drawSymbol(cairo_t* context, const std::string& name, const appkit::Rect& square) {
    cairo_save(context);
    bool known = true;
    if (name == "globe") {
        drawGlobe(context, square);
    } else if (name == "lock.fill") {
        drawLock(context, square);
    } else {
        known = false;
        cairo_set_line_width(context, 1);
        cairo_rectangle(context, square.minX() + 1.5, square.minY() + 1.5, square.width() - 3, square.height() - 3);
        cairo_stroke(context);
    }
    cairo_restore(context);
    return known;
}

}  // namespace render
