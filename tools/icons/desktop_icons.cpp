// The desktop icons: each pixel's 16 samples of the slanted disc give its coverage (alpha) and
// grey, exactly as the program's own 32-pixel icon samples them; the SVG draws the same
// ellipses with gradients that follow the art's shading.
#include "tools/icons/desktop_icons.h"

#include <png.h>

#include <cstdint>
#include <cstdio>

#include "tools/icons/icon_art.h"

namespace desktop_icons {

namespace {

uint8_t Byte(double value) {
    return static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : static_cast<int>(value + 0.5));
}

// RGBA rows, top row first.
std::vector<uint8_t> Rgba(int size) {
    std::vector<uint8_t> pixels;
    pixels.reserve(static_cast<size_t>(size) * size * 4);
    for (int row = 0; row < size; ++row)
        for (int col = 0; col < size; ++col) {
            const icon_art::Pixel p = icon_art::SamplePixel(icon_art::SlantedDisc, size, col, row);
            const uint8_t grey = Byte(p.grey);
            pixels.insert(pixels.end(),
                          {grey, grey, grey, Byte(p.inside * 255.0 / icon_art::kSamplesPerPixel)});
        }
    return pixels;
}

// A PNG without time or text chunks, so the bytes depend on the pixels alone.
std::vector<uint8_t> Png(int size, const std::vector<uint8_t>& rgba) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(size);
    image.height = static_cast<png_uint_32>(size);
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t bytes = 0;
    if (!png_image_write_to_memory(&image, nullptr, &bytes, 0, rgba.data(), 0, nullptr)) return {};
    std::vector<uint8_t> out(bytes);
    if (!png_image_write_to_memory(&image, out.data(), &bytes, 0, rgba.data(), 0, nullptr))
        return {};
    out.resize(bytes);
    return out;
}

std::string Grey(double level) {
    char text[16];
    const int v = Byte(level);
    std::snprintf(text, sizeof text, "#%02x%02x%02x", v, v, v);
    return text;
}

// Gradient stops of grey = dark + (light - dark) * (1 - t^2) for t = 0, 0.25 .. 1: the art's
// highlight and side-wall falloff.
std::string FalloffStops(double dark, double light) {
    std::string stops;
    for (int i = 0; i <= 4; ++i) {
        const double t = i / 4.0;
        char offset[16];
        std::snprintf(offset, sizeof offset, "%g", t);
        stops += "      <stop offset=\"";
        stops += offset;
        stops += "\" stop-color=\"";
        stops += Grey(dark + (light - dark) * (1 - t * t));
        stops += "\"/>\n";
    }
    return stops;
}

// The slanted disc in the same 32-unit frame: the side wall (the lower ellipse below the top
// face's centre line), the top face with its highlight, and the bevel catching the light
// along the front edge.
std::string Svg() {
    std::string svg =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
        "viewBox=\"0 0 32 32\">\n"
        "  <defs>\n"
        "    <linearGradient id=\"side\" x1=\"16\" y1=\"0\" x2=\"30.5\" y2=\"0\" "
        "gradientUnits=\"userSpaceOnUse\" spreadMethod=\"reflect\">\n";
    svg += FalloffStops(6, 32);
    svg +=
        "    </linearGradient>\n"
        "    <radialGradient id=\"top\" cx=\"0\" cy=\"0\" r=\"1\" gradientUnits=\"userSpaceOnUse\" "
        "gradientTransform=\"translate(11 10) scale(11 6.5)\">\n";
    svg += FalloffStops(30, 140);
    svg +=
        "    </radialGradient>\n"
        "    <clipPath id=\"belowCentre\"><rect x=\"0\" y=\"13\" width=\"32\" height=\"19\"/>"
        "</clipPath>\n"
        "    <clipPath id=\"front\"><rect x=\"0\" y=\"14.5\" width=\"32\" height=\"17.5\"/>"
        "</clipPath>\n"
        "  </defs>\n"
        "  <ellipse cx=\"16\" cy=\"17.5\" rx=\"14.5\" ry=\"8.5\" fill=\"url(#side)\" "
        "clip-path=\"url(#belowCentre)\"/>\n"
        "  <ellipse cx=\"16\" cy=\"13\" rx=\"14.5\" ry=\"8.5\" fill=\"url(#top)\"/>\n"
        // The bevel: the top face's outer band (beyond 0.8 of its squared radius, so 0.894 of
        // the radius) on its front half.
        "  <path clip-path=\"url(#front)\" fill=\"";
    svg += Grey(150);
    svg +=
        "\" fill-rule=\"evenodd\" d=\"M1.5 13a14.5 8.5 0 1 0 29 0a14.5 8.5 0 1 0 -29 0z"
        "M3.03 13a12.97 7.6 0 1 0 25.94 0a12.97 7.6 0 1 0 -25.94 0z\"/>\n"
        "</svg>\n";
    return svg;
}

}  // namespace

std::vector<generated_files::File> DrawDesktopIcons(const std::string& id) {
    std::vector<generated_files::File> files;
    for (int size : kSizes) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        std::vector<uint8_t> png = Png(size, Rgba(size));
        if (png.empty()) return {};
        files.push_back({"hicolor/" + folder + "/apps/" + id + ".png", std::move(png)});
    }
    const std::string svg = Svg();
    files.push_back({"hicolor/scalable/apps/" + id + ".svg", {svg.begin(), svg.end()}});
    return files;
}

}  // namespace desktop_icons
