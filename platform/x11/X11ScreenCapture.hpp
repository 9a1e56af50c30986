#pragma once

#include "platform/appkit/Image.hpp"
#include "platform/x11/X11Connection.hpp"

#include <memory>

namespace display {

// The connection's whole screen as the server shows it now, in RGBA; null when the server
// gives no picture of it (another depth than 24 bits in 32-bit pixels). Any client may take
// one; the caller sees to it that what it wants in it was drawn.
std::shared_ptr<appkit::Image> captureScreen(X11Connection& connection);

}  // namespace display
