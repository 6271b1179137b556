// The render command end to end: the PNG it writes for a position, and the one-line errors
// (exit 2) for every kind of bad input.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/retained/d3drm.h"
#include "tools/cli/cli.h"

namespace {

int RunRender(std::vector<std::string> words) {
    for (const cli::Command& command : cli::Commands()) {
        if (std::string(command.name) == "render") {
            cli::Arguments arguments(command, std::move(words));
            return command.run(arguments);
        }
    }
    ADD_FAILURE() << "no render command";
    return -1;
}

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    uint32_t At(int x, int y) const {
        const size_t i = (static_cast<size_t>(y) * width + x) * 3;
        return static_cast<uint32_t>(rgb[i] << 16 | rgb[i + 1] << 8 | rgb[i + 2]);
    }
};

bool ReadPng(const std::string& path, Picture* picture) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    picture->width = static_cast<int>(image.width);
    picture->height = static_cast<int>(image.height);
    picture->rgb.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, picture->rgb.data(), 0, nullptr) != 0;
}

std::string TempPath(const char* name) {
    return ::testing::TempDir() + name;
}

TEST(RenderCommand, WritesTheFrameOfThePositionAsPng) {
    const std::string path = TempPath("render_start.png");
    std::remove(path.c_str());
    const long live = retained::LiveObjectCount();
    ASSERT_EQ(
        RunRender({"--out", path, "--width", "320", "--height", "200", "--quality", "gouraud"}), 0);
    EXPECT_EQ(retained::LiveObjectCount(), live);
    Picture start;
    ASSERT_TRUE(ReadPng(path, &start));
    EXPECT_EQ(start.width, 320);
    EXPECT_EQ(start.height, 200);
    EXPECT_EQ(start.At(1, 1), 0x663F00u);
    // The four start discs sit at the middle: white and shaded grey pixels there.
    int discPixels = 0;
    for (int y = 80; y < 120; ++y) {
        for (int x = 140; x < 180; ++x) {
            const uint32_t c = start.At(x, y);
            if ((c >> 16) == (c & 0xFF) && c != 0) ++discPixels;
        }
    }
    EXPECT_GT(discPixels, 800);

    // A turned camera and another position give another picture of the same size.
    const std::string turned = TempPath("render_turned.png");
    ASSERT_EQ(RunRender({"--out", turned, "--width", "320", "--height", "200", "--camera", "5,-3",
                         "--quality", "wireframe",
                         "XXXXXXXXOOOOOOOOXXXXXXXXOOOOOOOOXXXXXXXXOOOOOOOOXXXXXXXXOOOOOOOO X"}),
              0);
    Picture other;
    ASSERT_TRUE(ReadPng(turned, &other));
    EXPECT_EQ(other.width, 320);
    EXPECT_NE(other.rgb, start.rgb);
    std::remove(path.c_str());
    std::remove(turned.c_str());
}

TEST(RenderCommand, BadInputIsOneErrorWithExitTwo) {
    const std::string path = TempPath("render_bad.png");
    std::remove(path.c_str());  // what an earlier run left must not pass for a new file
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--out"},
        {"--out", path, "--width", "0"},
        {"--out", path, "--height", "-5"},
        {"--out", path, "--width", "16385"},
        {"--out", path, "--width", "8000", "--height", "6000"},  // more pixels than the device
        {"--out", path, "--width", "wide"},
        {"--out", path, "--quality", "phong"},
        {"--out", path, "--camera", "3"},
        {"--out", path, "--camera", "a,b"},
        {"--out", path, "--camera", "1,99999"},
        {"--out", path, "start", "extra"},
        {"--out", path, "--zoom", "2"},
        {"--out", path, "not a position"},
        {"--out", "/nonexistent-folder/x.png"},
    };
    for (const auto& words : cases) {
        std::string joined;
        for (const auto& w : words)
            joined += w + " ";
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(RunRender(words), cli::kExitBadInput) << joined;
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.find("zantobel-cli render: "), 0u) << joined << ": " << err;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line for " << joined << ": " << err;
    }
    Picture none;
    EXPECT_FALSE(ReadPng(path, &none)) << "no file is written on bad input";
}

}  // namespace
