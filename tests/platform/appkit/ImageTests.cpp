#include "platform/appkit/Image.hpp"

#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <string>

namespace {

std::string encoded(bool asJPEG) {
    std::string pixels;
    for (int index = 0; index < 8 * 8; ++index) pixels += {char(0xC0), char(0x40), char(0x20)};
    std::string out;
    auto append = [](void* context, void* data, int size) {
        static_cast<std::string*>(context)->append(static_cast<char*>(data), size);
    };
    if (asJPEG)
        stbi_write_jpg_to_func(append, &out, 8, 8, 3, pixels.data(), 95);
    else
        stbi_write_png_to_func(append, &out, 8, 8, 3, pixels.data(), 8 * 3);
    return out;
}

TEST(ImageLoading, DecodesPNGAndJPEGOnly) {
    auto png = appkit::Image::imageWithData(encoded(false));
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(png->width(), 8);
    EXPECT_EQ(png->pixel(7, 7), 0xC04020FFu);
    auto jpeg = appkit::Image::imageWithData(encoded(true));
    ASSERT_NE(jpeg, nullptr);
    EXPECT_EQ(jpeg->height(), 8);
    EXPECT_NEAR(double(jpeg->pixel(3, 3) >> 24), 0xC0, 6);

    const std::string refused[] = {"",
                                   "GIF89a\x01\x00\x01\x00",
                                   "BM....",
                                   std::string("\x89PNG\r\n\x1a\n", 8),
                                   encoded(false).substr(0, 30),
                                   std::string("\xff\xd8\xff\xe0garbage", 11)};
    for (auto& data : refused) EXPECT_EQ(appkit::Image::imageWithData(data), nullptr) << data.size();
}

TEST(ImageLoading, FilesMustBeRegularAndDecodable) {
    EXPECT_EQ(appkit::Image::imageWithContentsOfFile("/nonexistent/picture.png"), nullptr);
    EXPECT_EQ(appkit::Image::imageWithContentsOfFile(std::filesystem::temp_directory_path()), nullptr);
}

}  // namespace
