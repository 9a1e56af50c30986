#pragma once

#include "platform/appkit/Color.hpp"
#include "platform/appkit/Geometry.hpp"
#include "platform/appkit/Image.hpp"

#include <filesystem>
#include <memory>

using cairo_t = struct _cairo;
using cairo_surface_t = struct _cairo_surface;

namespace render {

// A bitmap to draw on with cairo, one pixel per point, starting fully transparent. Owns its
// surface and context; main thread only.
class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* context() const { return context_; }
    // The image surface drawn on, to paint onto another surface (a window on a display).
    cairo_surface_t* surface() const { return surface_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // Every pixel transparent again, with a fresh drawing state: a canvas drawn on anew
    // keeps its pages rather than asking the system for new ones.
    void clear();

    // The pixels so far, not premultiplied, rows top to bottom.
    std::shared_ptr<appkit::Image> image() const;

    void setColor(const appkit::Color& color, appkit::Appearance appearance);
    void fillRect(const appkit::Rect& rect, const appkit::Color& color, appkit::Appearance appearance);
    // Paints the image scaled into the rectangle. The image's pixels in cairo's format are
    // kept while it lives (the 32 drawn last), since images are drawn again every frame.
    void drawImage(const std::shared_ptr<const appkit::Image>& image, const appkit::Rect& rect);

private:
    int width_;
    int height_;
    cairo_surface_t* surface_;
    cairo_t* context_;
};

// Writes the image as a PNG file; false when it cannot be written.
bool writePNG(const appkit::Image& image, const std::filesystem::path& path);

}  // namespace render
