#include "platform/render/Canvas.hpp"

#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace render {

namespace {

// Cairo keeps premultiplied native-endian ARGB words; images keep straight RGBA bytes.
cairo_surface_t* surfaceFromImage(const appkit::Image& image) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width(), image.height());
    cairo_surface_flush(surface);
    unsigned char* pixels = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    const auto& rgba = image.rgba();
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(pixels + y * stride);
        for (int x = 0; x < image.width(); ++x) {
            const std::uint8_t* source = &rgba[(static_cast<std::size_t>(y) * image.width() + x) * 4];
            std::uint32_t alpha = source[3];
            auto premultiply = [alpha](std::uint32_t component) { return (component * alpha + 127) / 255; };
            row[x] = (alpha << 24) | (premultiply(source[0]) << 16) | (premultiply(source[1]) << 8) | premultiply(source[2]);
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

// The surfaces of the images drawn last, most recent first. An image is immutable, and an
// entry counts only while its image lives: another image made later at the same address
// finds the entry expired.
class ImageSurfaces {
public:
    static constexpr std::size_t capacity = 32;

    ~ImageSurfaces() {
        for (auto& entry : entries_) cairo_surface_destroy(entry.surface);
    }

    cairo_surface_t* surfaceFor(const std::shared_ptr<const appkit::Image>& image) {
        auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) {
            return entry.address == image.get() && !entry.image.expired();
        });
        if (found != entries_.end()) {
            std::rotate(entries_.begin(), found, found + 1);
            return entries_.front().surface;
        }
        std::erase_if(entries_, [](const Entry& entry) {
            if (!entry.image.expired()) return false;
            cairo_surface_destroy(entry.surface);
            return true;
        });
        if (entries_.size() >= capacity) {
            cairo_surface_destroy(entries_.back().surface);
            entries_.pop_back();
        }
        entries_.insert(entries_.begin(), Entry{image.get(), image, surfaceFromImage(*image)});
        return entries_.front().surface;
    }

private:
    struct Entry {
        const appkit::Image* address;
        std::weak_ptr<const appkit::Image> image;
        cairo_surface_t* surface;
    };
    std::vector<Entry> entries_;
};

}  // namespace

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      context_(cairo_create(surface_)) {}

Canvas::~Canvas() {
    cairo_destroy(context_);
    cairo_surface_destroy(surface_);
}

void Canvas::clear() {
    cairo_destroy(context_);
    cairo_surface_flush(surface_);
    std::memset(cairo_image_surface_get_data(surface_), 0,
                static_cast<std::size_t>(cairo_image_surface_get_stride(surface_)) * height_);
    cairo_surface_mark_dirty(surface_);
    context_ = cairo_create(surface_);
}

std::shared_ptr<appkit::Image> Canvas::image() const {
    cairo_surface_flush(surface_);
    const unsigned char* pixels = cairo_image_surface_get_data(surface_);
    int stride = cairo_image_surface_get_stride(surface_);
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width_) * height_ * 4);
    for (int y = 0; y < height_; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(pixels + y * stride);
        for (int x = 0; x < width_; ++x) {
            std::uint32_t word = row[x];
            std::uint32_t alpha = word >> 24;
            auto unpremultiply = [alpha](std::uint32_t component) {
                return alpha == 0 ? 0u : std::min(255u, (component * 255 + alpha / 2) / alpha);
            };
            std::uint8_t* target = &rgba[(static_cast<std::size_t>(y) * width_ + x) * 4];
            target[0] = static_cast<std::uint8_t>(unpremultiply((word >> 16) & 0xFF));
            target[1] = static_cast<std::uint8_t>(unpremultiply((word >> 8) & 0xFF));
            target[2] = static_cast<std::uint8_t>(unpremultiply(word & 0xFF));
            target[3] = static_cast<std::uint8_t>(alpha);
        }
    }
    return std::make_shared<appkit::Image>(width_, height_, std::move(rgba));
}

void Canvas::setColor(const appkit::Color& color, appkit::Appearance appearance) {
    auto rgba = color.resolved(appearance);
    cairo_set_source_rgba(context_, rgba.red, rgba.green, rgba.blue, rgba.alpha);
}

void Canvas::fillRect(const appkit::Rect& rect, const appkit::Color& color, appkit::Appearance appearance) {
    setColor(color, appearance);
    cairo_rectangle(context_, rect.minX(), rect.minY(), rect.width(), rect.height());
    cairo_fill(context_);
}

void Canvas::drawImage(const std::shared_ptr<const appkit::Image>& image, const appkit::Rect& rect) {
    if (!image || image->width() <= 0 || image->height() <= 0 || rect.isEmpty()) return;
    static ImageSurfaces surfaces;
    cairo_surface_t* surface = surfaces.surfaceFor(image);
    cairo_save(context_);
    cairo_rectangle(context_, rect.minX(), rect.minY(), rect.width(), rect.height());
    cairo_clip(context_);
    cairo_translate(context_, rect.minX(), rect.minY());
    cairo_scale(context_, rect.width() / image->width(), rect.height() / image->height());
    cairo_set_source_surface(context_, surface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(context_), CAIRO_FILTER_GOOD);
    cairo_paint(context_);
    cairo_restore(context_);
}

bool writePNG(const appkit::Image& image, const std::filesystem::path& path) {
    cairo_surface_t* surface = surfaceFromImage(image);
    bool written = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return written;
}

}  // namespace render
