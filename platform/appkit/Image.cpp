#include "platform/appkit/Image.hpp"

#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/FileManager.hpp"

#include <stb_image.h>


namespace appkit {

namespace {

bool isPNG(std::string_view bytes) { return bytes.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8); }
bool isJPEG(std::string_view bytes) { return bytes.substr(0, 3) == std::string_view("\xff\xd8\xff", 3); }

}  // namespace

Image::Image(int width, int height, std::vector<std::uint8_t> rgba)
    : width_(width), height_(height), rgba_(std::move(rgba)) {}

std::shared_ptr<Image> Image::imageWithData(std::string_view bytes) {
    // stb reads more formats than the platform's image loading accepts here; refuse the rest.
    if (!isPNG(bytes) && !isJPEG(bytes)) return nullptr;
    if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) return nullptr;
    auto data = reinterpret_cast<const stbi_uc*>(bytes.data());
    auto length = static_cast<int>(bytes.size());
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(data, length, &width, &height, &channels)) return nullptr;
    if (width <= 0 || height <= 0 || static_cast<std::int64_t>(width) * height > maximumPixelCount) return nullptr;
    stbi_uc* pixels = stbi_load_from_memory(data, length, &width, &height, &channels, 4);
    if (!pixels) return nullptr;
    std::vector<std::uint8_t> rgba(pixels, pixels + static_cast<std::size_t>(width) * height * 4);
    stbi_image_free(pixels);
    return std::make_shared<Image>(width, height, std::move(rgba));
}

std::shared_ptr<Image> Image::imageWithContentsOfFile(const std::filesystem::path& path) {
    // Pictures come from other programs' folders (profile pictures, application icons).
    auto bytes = foundation::FileManager::defaultManager().contentsOfRegularFile(path, foundation::foreignFileSizeLimit);
    return bytes ? imageWithData(*bytes) : nullptr;
}

std::shared_ptr<Image> Image::imageNamed(const std::string& name) {
    auto bundle = foundation::Bundle::mainBundle();
    if (!bundle) return nullptr;
    auto path = bundle->imagePathForAsset(name);
    return path ? imageWithContentsOfFile(*path) : nullptr;
}

std::shared_ptr<Image> Image::filled(int width, int height, std::uint32_t rgba) {
    std::vector<std::uint8_t> pixels;
    pixels.reserve(static_cast<std::size_t>(width) * height * 4);
    for (int index = 0; index < width * height; ++index)
        for (int shift : {24, 16, 8, 0}) pixels.push_back(static_cast<std::uint8_t>(rgba >> shift));
    return std::make_shared<Image>(width, height, std::move(pixels));
}

std::uint32_t Image::pixel(int x, int y) const {
    auto offset = (static_cast<std::size_t>(y) * width_ + x) * 4;
    return (std::uint32_t{rgba_[offset]} << 24) | (std::uint32_t{rgba_[offset + 1]} << 16) |
           (std::uint32_t{rgba_[offset + 2]} << 8) | std::uint32_t{rgba_[offset + 3]};
}

}  // namespace appkit
