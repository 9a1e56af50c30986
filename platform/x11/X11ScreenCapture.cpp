#include "platform/x11/X11ScreenCapture.hpp"

#include <vector>

namespace display {

std::shared_ptr<appkit::Image> captureScreen(X11Connection& connection) {
    const xcb_screen_t* screen = connection.screen();
    const int width = screen->width_in_pixels, height = screen->height_in_pixels;
    XReply<xcb_get_image_reply_t> reply(
        xcb_get_image_reply(connection.get(),
                            xcb_get_image(connection.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, connection.root(), 0, 0,
                                          std::uint16_t(width), std::uint16_t(height), ~0u),
                            nullptr));
    if (!reply || xcb_get_image_data_length(reply.get()) < width * height * 4) return nullptr;
    // 24-bit depth in 32-bit pixels, blue first (the servers this runs on are little-endian).
    const std::uint8_t* pixels = xcb_get_image_data(reply.get());
    std::vector<std::uint8_t> rgba(std::size_t(width) * height * 4);
    for (std::size_t index = 0; index < std::size_t(width) * height; ++index) {
        rgba[index * 4 + 0] = pixels[index * 4 + 2];
        rgba[index * 4 + 1] = pixels[index * 4 + 1];
        rgba[index * 4 + 2] = pixels[index * 4 + 0];
        rgba[index * 4 + 3] = 0xFF;
    }
    return std::make_shared<appkit::Image>(width, height, std::move(rgba));
}

}  // namespace display
