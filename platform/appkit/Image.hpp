#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace appkit {

// A decoded bitmap: width × height pixels, 8-bit RGBA, rows top to bottom. Immutable once
// made, so it may be shared between threads.
class Image {
public:
    Image(int width, int height, std::vector<std::uint8_t> rgba);

    // Decodes PNG or JPEG data; any other format, damaged data or an image larger than
    // maximumPixelCount gives null.
    static std::shared_ptr<Image> imageWithData(std::string_view bytes);
    // Reads and decodes a regular file; null when it cannot be read or decoded.
    static std::shared_ptr<Image> imageWithContentsOfFile(const std::filesystem::path& path);
    // The main bundle's image asset of that name ("ChromiumAvatars/avatar_3"), or null.
    static std::shared_ptr<Image> imageNamed(const std::string& name);
    // A uniformly coloured image (colour as 0xRRGGBBAA).
    static std::shared_ptr<Image> filled(int width, int height, std::uint32_t rgba);

    static constexpr std::int64_t maximumPixelCount = 8192LL * 8192LL;

    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<std::uint8_t>& rgba() const { return rgba_; }
    // The colour of one pixel as 0xRRGGBBAA.
    std::uint32_t pixel(int x, int y) const;

private:
    int width_;
    int height_;
    std::vector<std::uint8_t> rgba_;
};

}  // namespace appkit
