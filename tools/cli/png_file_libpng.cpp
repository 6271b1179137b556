// A frame as a PNG file through libpng's simplified interface.
#include <png.h>

#include <vector>

#include "tools/cli/png_file.h"

namespace cli {

bool WritePng(FILE* file, const uint32_t* pixels, int width, int height, std::string* problem) {
    const size_t count = static_cast<size_t>(width) * height;
    std::vector<png_byte> rgb(count * 3);
    for (size_t i = 0; i < count; ++i) {
        rgb[3 * i] = static_cast<png_byte>(pixels[i] >> 16);
        rgb[3 * i + 1] = static_cast<png_byte>(pixels[i] >> 8);
        rgb[3 * i + 2] = static_cast<png_byte>(pixels[i]);
    }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(width);
    png.height = static_cast<png_uint_32>(height);
    png.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_stdio(&png, file, 0, rgb.data(), 0, nullptr)) {
        *problem = png.message;
        png_image_free(&png);
        return false;
    }
    return true;
}

}  // namespace cli
