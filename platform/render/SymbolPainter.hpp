#pragma once

#include "platform/appkit/Geometry.hpp"

#include <string>

using cairo_t = struct _cairo;

namespace render {

// The system symbols the application shows, drawn as glyphs of our own in the current
// source colour: "globe" (an outlined sphere with meridian and parallels) and "lock.fill"
// (a filled padlock). An unknown name draws an outlined square, so a missing symbol shows.
bool drawSymbol(cairo_t* context, const std::string& name, const appkit::Rect& square);

}  // namespace render
