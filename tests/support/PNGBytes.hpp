#pragma once

#include <stb_image_write.h>

#include <cstdint>
#include <string>

namespace testsupport {

// A width × height PNG of one colour (0xRRGGBBAA), encoded with stb. For suites that link
// the image library.
inline std::string pngBytes(int width, int height, std::uint32_t rgba) {
    std::string pixels;
    for (int index = 0; index < width * height; ++index)
        for (int shift : {24, 16, 8, 0}) pixels.push_back(static_cast<char>((rgba >> shift) & 0xFF));
    std::string out;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            static_cast<std::string*>(context)->append(static_cast<char*>(data), static_cast<std::size_t>(size));
        },
        &out, width, height, 4, pixels.data(), width * 4);
    return out;
}

}  // namespace testsupport
