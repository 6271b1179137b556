// Writing a rendered frame as an 8-bit RGB PNG file. Linux builds write through libpng; the
// Windows build, which has no libpng, writes uncompressed (stored) deflate blocks: larger
// files that every PNG reader accepts.
#pragma once

#include <cstdint>
#include <string>

namespace cli {

// pixels: height rows of width pixels, 0x00RRGGBB, packed. On failure returns false and says
// why in *problem.
bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height,
              std::string* problem);

}  // namespace cli
