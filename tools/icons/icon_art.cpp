// The disc art of the game's icons and its sampling.
#include "tools/icons/icon_art.h"

namespace icon_art {

namespace {

double Clamp(double v, double lo, double hi) {
    return v < lo ? lo : v > hi ? hi : v;
}

// A disc seen from above, lit from the upper left: a soft highlight and a darker rim.
Sample FlatDisc(double x, double y, double dark, double light) {
    double dx = x - 16, dy = y - 16;
    double d2 = (dx * dx + dy * dy) / (14.5 * 14.5);
    if (d2 > 1) return {false, 0};
    double hx = x - 11, hy = y - 10.5;
    double h2 = (hx * hx + hy * hy) / (11.0 * 11.0);
    double shade = dark + (light - dark) * Clamp(1 - h2, 0, 1) * 0.55;
    if (d2 > 0.80) shade = dark + (shade - dark) * 0.5 + (d2 - 0.80) * 40 * (light > 128 ? -1 : 1);
    return {true, Clamp(shade, 0, 255)};
}

}  // namespace

Sample BlackDisc(double x, double y) {
    return FlatDisc(x, y, 18, 150);
}

Sample WhiteDisc(double x, double y) {
    Sample s = FlatDisc(x, y, 200, 255);
    // A thin grey outline keeps the white disc visible on a light background.
    double dx = x - 16, dy = y - 16;
    double d2 = (dx * dx + dy * dy) / (14.5 * 14.5);
    if (s.inside && d2 > 0.86) s.grey = 120;
    return s;
}

// A dark disc seen at a slant: an elliptic top face, lit from the upper left with a bevel
// catching the light along its front edge, over a thin side wall in shadow.
Sample SlantedDisc(double x, double y) {
    double dx = (x - 16) / 14.5;
    double top = (y - 13.0) / 8.5;
    double side = (y - 17.5) / 8.5;
    bool onTop = dx * dx + top * top <= 1;
    bool onSide = dx * dx + side * side <= 1 && y >= 13.0;
    if (onTop) {
        double hx = (x - 11) / 11.0, hy = (y - 10) / 6.5;
        double h = Clamp(1 - (hx * hx + hy * hy), 0, 1);
        double grey = 30 + 110 * h;
        if (dx * dx + top * top > 0.80 && y > 14.5) grey = 150;
        return {true, grey};
    }
    if (onSide) return {true, 6 + 26 * Clamp(1 - dx * dx, 0, 1)};
    return {false, 0};
}

Pixel SamplePixel(Shape shape, int size, int col, int row) {
    const double scale = 32.0 / size;
    Pixel pixel{0, 0};
    double grey = 0;
    for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) {
            const Sample s = shape((col + (sx + 0.5) / 4) * scale, (row + (sy + 0.5) / 4) * scale);
            if (s.inside) {
                ++pixel.inside;
                grey += s.grey;
            }
        }
    pixel.grey = pixel.inside ? grey / pixel.inside : 0;
    return pixel;
}

}  // namespace icon_art
