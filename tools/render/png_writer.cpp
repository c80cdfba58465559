#include "tools/render/png_writer.h"

#include <png.h>

#include <cstdio>
#include <cstring>

bool writePng(const std::string &path, int width, int height,
              const std::vector<std::uint8_t> &rgba) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0, j = 0; j < rgb.size(); i += 4, j += 3) {
        std::memcpy(&rgb[j], &rgba[i], 3);
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        std::remove(path.c_str());
        return false;
    }
    return true;
}
