// The PNG writer the Windows build uses (no libpng there), checked here by reading its files
// back with libpng: every pixel, across stored-block boundaries, and a clear failure.
#include <png.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/cli/png_file.h"

namespace {

std::vector<uint32_t> Pattern(int width, int height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint32_t>((i * 2654435761u) & 0xFFFFFF);
    return pixels;
}

// The file's pixels as 0x00RRGGBB, or empty when libpng refuses it.
std::vector<uint32_t> ReadBack(const std::string& path, int& width, int& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    std::vector<uint32_t> pixels(rgb.size() / 3);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = (uint32_t{rgb[3 * i]} << 16) | (uint32_t{rgb[3 * i + 1]} << 8) | rgb[3 * i + 2];
    return pixels;
}

TEST(StoredPng, LibpngReadsBackEveryPixel) {
    // 1x1; a few rows; one scan-line set just over one stored block (65535 bytes); several.
    const struct { int width, height; } sizes[] = {{1, 1}, {3, 2}, {128, 171}, {640, 480}};
    const std::string path =
        (std::filesystem::temp_directory_path() / "zantobel_stored.png").string();
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
        const std::vector<uint32_t> pixels = Pattern(size.width, size.height);
        std::string problem;
        FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        const bool written = cli::WritePng(file, pixels.data(), size.width, size.height, &problem);
        std::fclose(file);
        ASSERT_TRUE(written) << problem;
        int width = 0, height = 0;
        EXPECT_EQ(ReadBack(path, width, height), pixels);
        EXPECT_EQ(width, size.width);
        EXPECT_EQ(height, size.height);
    }
    std::filesystem::remove(path);
}

TEST(StoredPng, AFailedWriteIsRefusedWithAReason) {
    // /dev/full takes the open but refuses every byte written.
    FILE* full = std::fopen("/dev/full", "wb");
    if (!full) GTEST_SKIP() << "no /dev/full here";
    std::setvbuf(full, nullptr, _IONBF, 0);  // unbuffered: the write itself reports the error
    const uint32_t pixel = 0x123456;
    std::string problem;
    EXPECT_FALSE(cli::WritePng(full, &pixel, 1, 1, &problem));
    EXPECT_FALSE(problem.empty());
    std::fclose(full);
}

}  // namespace
