// The desktop icons the build draws (build/icons/hicolor/...): every theme size at its size,
// transparent around the disc, and the same art as the program's own icon: the 32-pixel PNG
// matches the embedded 256-colour 32x32 image pixel for pixel in shape and within rounding in
// grey, every other size covers the same share of its square with the same shades, and the
// SVG, drawn by the desktop's own SVG loader, is the same picture as the largest PNG.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/desktop/core/templates.h"
#include "platform/resources/resource_table.h"

namespace {

using desktop::core::IconPixels;
using resources::ResourceKey;

struct Rgba {
    int size = 0;
    std::vector<uint8_t> bytes;  // r, g, b, a per pixel, top row first
    int Alpha(int x, int y) const { return bytes[(y * size + x) * 4 + 3]; }
    int Grey(int x, int y) const { return bytes[(y * size + x) * 4]; }
};

std::string IconPath(int size) {
    const std::string folder = std::to_string(size) + "x" + std::to_string(size);
    return std::string(ZANTOBEL_ICONS_DIR) + "/hicolor/" + folder + "/apps/" + ZANTOBEL_APP_ID +
           ".png";
}

bool ReadPng(const std::string& path, Rgba& out) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGBA;
    if (image.width != image.height) {
        png_image_free(&image);
        return false;
    }
    out.size = static_cast<int>(image.width);
    out.bytes.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, out.bytes.data(), 0, nullptr) != 0;
}

// The program's main icon, 32x32 in 256 colours, as the window shows it.
IconPixels ProgramIcon32() {
    auto groupBytes = resources::LoadResourceBytes(ResourceKey::Name("ico"),
                                                   ResourceKey::Id(resources::RT_GROUP_ICON));
    std::vector<desktop::core::IconGroupEntry> entries;
    std::string error;
    IconPixels pixels;
    if (!desktop::core::ReadIconGroup({groupBytes.begin(), groupBytes.end()}, entries, error))
        return pixels;
    for (const auto& entry : entries) {
        if (entry.width != 32 || entry.bitCount != 8) continue;
        auto bits = resources::LoadResourceBytes(ResourceKey::Id(entry.id),
                                                 ResourceKey::Id(resources::RT_ICON));
        desktop::core::DecodeIconImage({bits.begin(), bits.end()}, pixels, error);
    }
    return pixels;
}

struct Coverage {
    double opaqueShare;  // of the whole square
    double meanGrey;     // over the opaque pixels
};

Coverage Measure(const Rgba& icon) {
    int opaque = 0;
    double grey = 0;
    for (int y = 0; y < icon.size; ++y)
        for (int x = 0; x < icon.size; ++x)
            if (icon.Alpha(x, y) >= 128) {
                ++opaque;
                grey += icon.Grey(x, y);
            }
    return {static_cast<double>(opaque) / (icon.size * icon.size), opaque ? grey / opaque : 0};
}

TEST(DesktopIcons, EveryThemeSizeIsThereAtItsSizeWithTheDiscOnAClearGround) {
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        Rgba icon;
        ASSERT_TRUE(ReadPng(IconPath(size), icon)) << IconPath(size);
        EXPECT_EQ(icon.size, size);
        const int last = size - 1;
        for (auto [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}})
            EXPECT_EQ(icon.Alpha(x, y), 0) << x << "," << y;
        EXPECT_EQ(icon.Alpha(size / 2, size / 2), 255);
        // Grey art: the three channels agree everywhere.
        for (size_t i = 0; i < icon.bytes.size(); i += 4)
            ASSERT_TRUE(icon.bytes[i] == icon.bytes[i + 1] && icon.bytes[i] == icon.bytes[i + 2]);
    }
}

TEST(DesktopIcons, The32PixelIconIsTheProgramIconsArt) {
    const IconPixels program = ProgramIcon32();
    ASSERT_EQ(program.width, 32);
    Rgba icon;
    ASSERT_TRUE(ReadPng(IconPath(32), icon));
    int shapeDifferences = 0, greyDifferences = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const uint32_t argb = program.argb[y * 32 + x];
            const bool programOpaque = (argb >> 24) != 0;
            if (programOpaque != (icon.Alpha(x, y) >= 128)) ++shapeDifferences;
            // The 256-colour image keeps 240 greys, so a step of the ramp is about 1.07.
            if (programOpaque && std::abs(static_cast<int>(argb & 0xFF) - icon.Grey(x, y)) > 1)
                ++greyDifferences;
        }
    EXPECT_EQ(shapeDifferences, 0);
    EXPECT_EQ(greyDifferences, 0);
}

TEST(DesktopIcons, EverySizeDrawsTheSameDisc) {
    Rgba reference;
    ASSERT_TRUE(ReadPng(IconPath(256), reference));
    const Coverage expected = Measure(reference);
    // The slanted disc covers well under the whole square and is dark.
    EXPECT_GT(expected.opaqueShare, 0.45);
    EXPECT_LT(expected.opaqueShare, 0.60);
    EXPECT_LT(expected.meanGrey, 100);
    for (int size : {16, 24, 32, 48, 64, 128}) {
        SCOPED_TRACE(size);
        Rgba icon;
        ASSERT_TRUE(ReadPng(IconPath(size), icon));
        const Coverage c = Measure(icon);
        EXPECT_NEAR(c.opaqueShare, expected.opaqueShare, size < 32 ? 0.05 : 0.02);
        EXPECT_NEAR(c.meanGrey, expected.meanGrey, 6);
    }
}

TEST(DesktopIcons, TheScalableIconIsTheSamePictureAsTheLargest) {
    Rgba png;
    ASSERT_TRUE(ReadPng(IconPath(256), png));
    const std::string svgPath =
        std::string(ZANTOBEL_ICONS_DIR) + "/hicolor/scalable/apps/" + ZANTOBEL_APP_ID + ".svg";
    GError* error = nullptr;
    GdkPixbuf* svg = gdk_pixbuf_new_from_file_at_size(svgPath.c_str(), 256, 256, &error);
    if (!svg) {
        const std::string message = error ? error->message : "no picture";
        g_clear_error(&error);
        FAIL() << svgPath << ": " << message;
    }
    ASSERT_EQ(gdk_pixbuf_get_width(svg), 256);
    ASSERT_EQ(gdk_pixbuf_get_n_channels(svg), 4);
    const guchar* pixels = gdk_pixbuf_get_pixels(svg);
    const int stride = gdk_pixbuf_get_rowstride(svg);
    int shapeDifferences = 0, compared = 0;
    double greyDifference = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const guchar* p = pixels + y * stride + x * 4;
            const bool svgOpaque = p[3] >= 128, pngOpaque = png.Alpha(x, y) >= 128;
            if (svgOpaque != pngOpaque) ++shapeDifferences;
            if (svgOpaque && pngOpaque && p[3] == 255 && png.Alpha(x, y) == 255) {
                greyDifference += std::abs(p[0] - png.Grey(x, y));
                ++compared;
            }
        }
    g_object_unref(svg);
    // Edges are anti-aliased differently; the gradients only approximate the shading.
    EXPECT_LT(shapeDifferences, 256 * 256 / 100);
    ASSERT_GT(compared, 256 * 256 / 3);
    EXPECT_LT(greyDifference / compared, 6.0);
}

}  // namespace
