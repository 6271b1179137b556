// Filling triangles and drawing lines into a 32-bit colour buffer with a depth buffer.
// Pixel (i, j) is covered when its centre (i + 0.5, j + 0.5) lies inside the shape; rows and
// spans are half-open, so triangles that share an edge neither overlap nor leave a gap.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/retained/render_scratch.h"

namespace retained::detail {

struct RasterTarget {
    uint32_t* pixels;
    float* depth;
    int stride;                    // pixels per row of both buffers
    int left, top, right, bottom;  // the drawable rectangle, half-open
};

inline uint32_t PackColor(float r, float g, float b) {
    auto channel = [](float v) {
        int i = static_cast<int>(v + 0.5f);
        return static_cast<uint32_t>(i < 0 ? 0 : (i > 255 ? 255 : i));
    };
    return (channel(r) << 16) | (channel(g) << 8) | channel(b);
}

// smooth: interpolate the vertex colours; otherwise fill with flatColor.
void FillTriangle(const RasterTarget& target, const ScreenVertex& a, const ScreenVertex& b,
                  const ScreenVertex& c, bool smooth, uint32_t flatColor);

// A flat, planar, convex polygon in one pass (no fan of triangles, no overdraw).
void FillConvexPolygon(const RasterTarget& target, const ScreenVertex* vertices, size_t count,
                       uint32_t color);

// A line with depth; a pixel at the same depth as an existing one is drawn over it.
void DrawLine(const RasterTarget& target, const ScreenVertex& a, const ScreenVertex& b,
              uint32_t color);

void DrawPoint(const RasterTarget& target, const ScreenVertex& a, uint32_t color);

}  // namespace retained::detail
