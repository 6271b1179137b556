// The disc art every icon of the game is drawn from: shapes in icon units (0..32 across) that
// say, for a point, whether it is inside and its grey level, and the fixed 4x4 sampling that
// turns a shape into pixels. Basic arithmetic only, so every run gives the same pixels.
#pragma once

namespace icon_art {

struct Sample {
    bool inside;
    double grey;  // 0 black .. 255 white
};
using Shape = Sample (*)(double x, double y);

// A dark disc and a white disc seen from above, lit from the upper left.
Sample BlackDisc(double x, double y);
Sample WhiteDisc(double x, double y);
// A dark disc seen at a slant: the program's own icon.
Sample SlantedDisc(double x, double y);

// One pixel of a size x size drawing: how many of its 16 samples are inside, and their mean
// grey level (0 when none is).
struct Pixel {
    int inside;
    double grey;
};
constexpr int kSamplesPerPixel = 16;
Pixel SamplePixel(Shape shape, int size, int col, int row);

}  // namespace icon_art
