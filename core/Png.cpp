#include "core/Png.h"

#include <png.h>

#include <cstdio>

bool WritePng(const std::string &path, int width, int height, const std::vector<std::uint8_t> &rgba)
{
    if (width <= 0 || height <= 0 || rgba.size() != std::size_t(width) * std::size_t(height) * 4)
        return false;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    const bool ok = png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}
