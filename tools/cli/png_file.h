// Writing a rendered frame as an 8-bit RGB PNG file. Linux builds write through libpng; the
// Windows build, which has no libpng, writes uncompressed (stored) deflate blocks: larger
// files that every PNG reader accepts.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace cli {

// Writes the PNG to an open file. pixels: height rows of width pixels, 0x00RRGGBB, packed.
// On failure returns false and says why in *problem.
bool WritePng(FILE* file, const uint32_t* pixels, int width, int height, std::string* problem);

}  // namespace cli
