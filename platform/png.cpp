// Screenshots: a screen of pens written through its palette as an RGB PNG.
#include <png.h>

#include <cstring>
#include <vector>

#include "gfx_private.h"

namespace platform {

bool WritePNG(const std::string& path, const uint8_t* pens, int width, int height, const uint8_t palette[256][3]) {
    if (pens == nullptr || palette == nullptr || width <= 0 || height <= 0) return false;
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i)
        std::memcpy(&rgb[i * 3], palette[pens[i]], 3);

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    const bool ok = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

}  // namespace platform
