// Screenshots: pens through the palette into an RGB PNG that reads back the same.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gfx_private.h"

namespace {

TEST(WritePNG, WritesEveryPixelInItsPaletteColour) {
    const int w = 37, h = 11;
    std::vector<uint8_t> pens(size_t(w) * h);
    for (size_t i = 0; i < pens.size(); ++i) pens[i] = uint8_t(i * 7);
    uint8_t palette[256][3];
    for (int p = 0; p < 256; ++p) palette[p][0] = uint8_t(p), palette[p][1] = uint8_t(255 - p), palette[p][2] = uint8_t(p * 3);
    const std::string path = testing::TempDir() + "shot.png";
    ASSERT_TRUE(platform::WritePNG(path, pens.data(), w, h, palette));

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_NE(png_image_begin_read_from_file(&image, path.c_str()), 0);
    EXPECT_EQ(int(image.width), w);
    EXPECT_EQ(int(image.height), h);
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_NE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr), 0);
    for (size_t i = 0; i < pens.size(); ++i)
        for (int c = 0; c < 3; ++c) ASSERT_EQ(rgb[i * 3 + c], palette[pens[i]][c]) << i;
    std::remove(path.c_str());
}

}  // namespace
