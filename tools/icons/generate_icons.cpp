// zantobel-icons: draws the game's icons and writes them as .ico files with the images the
// program carries: "ico.ico" (a dark disc seen at a slant: 32x32 in 16 colours, 32x32 in 256
// colours, 16x16 in 16 colours), "ico_black.ico" (a dark disc: 32x32/16, 16x16/16,
// 32x32/256) and "ico_white.ico" (a white disc: 32x32/16, 32x32/256). Shapes are sampled
// 4x4 per pixel with basic arithmetic only, so every run writes the same bytes.
// Usage: zantobel-icons OUTDIR      writes the three files
//        zantobel-icons --check DIR compares DIR's files with a fresh drawing
//        zantobel-icons --desktop ID [--check] DIR   the same for the desktop icons
//                                                    (desktop_icons.h) named ID
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/generated_files/generated_files.h"
#include "tools/icons/desktop_icons.h"
#include "tools/icons/icon_art.h"

namespace {

using icon_art::BlackDisc;
using icon_art::Shape;
using icon_art::SlantedDisc;
using icon_art::WhiteDisc;

struct Rgb {
    int r, g, b;
};

// The platform's 16-colour palette; the 256-colour palette starts with it and continues with
// a ramp of 240 greys.
const Rgb kVga[16] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                      {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                      {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                      {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

struct Image {
    int size;
    int bits;  // 4 or 8
    std::vector<uint8_t> index;
    std::vector<bool> transparent;
};

// The 16-colour greys in order, with their palette indices.
const int kGreyLevels[4] = {0, 128, 192, 255};
const int kGreyIndex[4] = {0, 8, 7, 15};

Image Draw(Shape shape, int size, int bits) {
    Image image{size, bits, {}, {}};
    for (int row = 0; row < size; ++row) {
        for (int col = 0; col < size; ++col) {
            const icon_art::Pixel pixel = icon_art::SamplePixel(shape, size, col, row);
            const bool clear = pixel.inside < icon_art::kSamplesPerPixel / 2;
            const double level = pixel.grey;
            uint8_t index = 0;
            if (!clear && bits == 8) {
                index = static_cast<uint8_t>(16 + static_cast<int>(level * 239 / 255 + 0.5));
            } else if (!clear) {
                // The nearest of the four greys of the 16 colours: flat areas stay clean at
                // this size, where dithering only adds noise.
                int k = 0;
                while (k < 3 && level - kGreyLevels[k] > kGreyLevels[k + 1] - level)
                    ++k;
                index = static_cast<uint8_t>(kGreyIndex[k]);
            }
            image.index.push_back(index);
            image.transparent.push_back(clear);
        }
    }
    return image;
}

void Word(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
void Dword(std::vector<uint8_t>& out, uint32_t v) {
    Word(out, v & 0xFFFF);
    Word(out, v >> 16);
}

// The image as the platform stores it: a bottom-up DIB of double height, its palette, the
// colour bits and the transparency mask.
std::vector<uint8_t> Dib(const Image& image) {
    std::vector<uint8_t> out;
    int n = image.size;
    int colours = 1 << image.bits;
    uint32_t xorStride = ((n * image.bits + 31) / 32) * 4;
    uint32_t andStride = ((n + 31) / 32) * 4;
    Dword(out, 40);
    Dword(out, n);
    Dword(out, 2 * n);
    Word(out, 1);
    Word(out, image.bits);
    Dword(out, 0);
    Dword(out, (xorStride + andStride) * n);
    Dword(out, 0);
    Dword(out, 0);
    Dword(out, 0);
    Dword(out, 0);
    for (int i = 0; i < colours; ++i) {
        Rgb c = i < 16 ? kVga[i]
                       : Rgb{(i - 16) * 255 / 239, (i - 16) * 255 / 239, (i - 16) * 255 / 239};
        out.push_back(static_cast<uint8_t>(c.b));
        out.push_back(static_cast<uint8_t>(c.g));
        out.push_back(static_cast<uint8_t>(c.r));
        out.push_back(0);
    }
    for (int row = n - 1; row >= 0; --row) {
        std::vector<uint8_t> line(xorStride, 0);
        for (int col = 0; col < n; ++col) {
            uint8_t v = image.index[row * n + col];
            if (image.bits == 8)
                line[col] = v;
            else
                line[col / 2] |= static_cast<uint8_t>(col % 2 ? v : v << 4);
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    for (int row = n - 1; row >= 0; --row) {
        std::vector<uint8_t> line(andStride, 0);
        for (int col = 0; col < n; ++col)
            if (image.transparent[row * n + col])
                line[col / 8] |= static_cast<uint8_t>(0x80 >> (col % 8));
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

std::vector<uint8_t> IconFile(const std::vector<Image>& images) {
    std::vector<uint8_t> out;
    Word(out, 0);
    Word(out, 1);
    Word(out, static_cast<uint32_t>(images.size()));
    std::vector<std::vector<uint8_t>> dibs;
    for (const Image& image : images)
        dibs.push_back(Dib(image));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<uint8_t>(images[i].size));
        out.push_back(static_cast<uint8_t>(images[i].size));
        out.push_back(images[i].bits == 4 ? 16 : 0);
        out.push_back(0);
        Word(out, 1);
        Word(out, images[i].bits);
        Dword(out, static_cast<uint32_t>(dibs[i].size()));
        Dword(out, offset);
        offset += static_cast<uint32_t>(dibs[i].size());
    }
    for (const auto& dib : dibs)
        out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

std::vector<generated_files::File> DrawAll() {
    return {
        {"ico.ico",
         IconFile({Draw(SlantedDisc, 32, 4), Draw(SlantedDisc, 32, 8), Draw(SlantedDisc, 16, 4)})},
        {"ico_black.ico",
         IconFile({Draw(BlackDisc, 32, 4), Draw(BlackDisc, 16, 4), Draw(BlackDisc, 32, 8)})},
        {"ico_white.ico", IconFile({Draw(WhiteDisc, 32, 4), Draw(WhiteDisc, 32, 8)})},
    };
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--desktop") {
        const std::vector<generated_files::File> files = desktop_icons::DrawDesktopIcons(argv[2]);
        if (files.empty()) {
            std::cerr << "zantobel-icons: cannot encode the desktop icons\n";
            return 1;
        }
        // What follows ID reads as a plain run's arguments.
        return generated_files::WriteOrCheck(argc - 2, argv + 2, "zantobel-icons", files);
    }
    return generated_files::WriteOrCheck(argc, argv, "zantobel-icons", DrawAll());
}
