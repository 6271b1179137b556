// Scanline filling with planar interpolation of depth and colour: depth (which is affine in
// 1/z) and Gouraud colour are both linear in screen space, so each is a plane a + b x + c y.
#include "platform/retained/rasterizer.h"

#include <algorithm>
#include <cmath>

namespace retained::detail {
namespace {

struct Plane {
    float atOrigin, perX, perY;  // value = atOrigin + perX * x + perY * y
};

// ceil for pixel arithmetic; values far outside any buffer are clamped first, so the
// conversion is always defined.
inline int CeilToInt(float v) {
    v = std::clamp(v, -1.0e8f, 1.0e8f);
    const int i = static_cast<int>(v);
    return i + (static_cast<float>(i) < v ? 1 : 0);
}

// The plane through the three vertices' values; inverseArea2 is 1 / (2 * signed area).
Plane PlaneOf(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, float va,
              float vb, float vc, float inverseArea2) {
    float dx1 = b.x - a.x, dy1 = b.y - a.y, dx2 = c.x - a.x, dy2 = c.y - a.y;
    float perX = ((vb - va) * dy2 - (vc - va) * dy1) * inverseArea2;
    float perY = ((vc - va) * dx1 - (vb - va) * dx2) * inverseArea2;
    return {va - perX * a.x - perY * a.y, perX, perY};
}

// The span loops are written without branches or loop-carried values (each pixel's depth
// and colour come from its offset), so the compiler can process several pixels at once.
void FlatSpan(uint32_t* pixels, float* depthRow, int begin, int end, float depth, float step,
              uint32_t color) {
    const int count = end - begin;
    uint32_t* p = pixels + begin;
    float* d = depthRow + begin;
    for (int i = 0; i < count; ++i) {
        const float z = depth + step * static_cast<float>(i);
        const float old = d[i];
        const uint32_t keep = static_cast<uint32_t>(z < old) - 1u;  // all ones: not closer
        d[i] = z < old ? z : old;
        p[i] = (color & ~keep) | (p[i] & keep);
    }
}

// Colour in 16.16 fixed point, stepped from the span's first pixel to its last. Both ends
// are clamped to 0..255, so every pixel between is in range without a test of its own.
void SmoothSpan(uint32_t* pixels, float* depthRow, int begin, int end, float depth, float step,
                const Plane& r, const Plane& g, const Plane& b, float xc, float yc) {
    const int count = end - begin;
    const int last = count - 1;
    const float xLast = xc + static_cast<float>(last);
    auto at = [](const Plane& p, float x, float y) {
        return std::clamp(p.atOrigin + p.perX * x + p.perY * y + 0.5f, 0.0f, 255.99f) * 65536.0f;
    };
    const float fr = at(r, xc, yc), fg = at(g, xc, yc), fb = at(b, xc, yc);
    const int32_t r0 = static_cast<int32_t>(fr), g0 = static_cast<int32_t>(fg),
                  b0 = static_cast<int32_t>(fb);
    int32_t sr = 0, sg = 0, sb = 0;
    if (last > 0) {
        // Truncating the steps toward zero keeps the last pixel inside the clamped range.
        const float inverse = 1.0f / static_cast<float>(last);
        sr = static_cast<int32_t>((at(r, xLast, yc) - fr) * inverse);
        sg = static_cast<int32_t>((at(g, xLast, yc) - fg) * inverse);
        sb = static_cast<int32_t>((at(b, xLast, yc) - fb) * inverse);
    }
    uint32_t* p = pixels + begin;
    float* d = depthRow + begin;
    for (int i = 0; i < count; ++i) {
        const float z = depth + step * static_cast<float>(i);
        const uint32_t cr = static_cast<uint32_t>(r0 + sr * i);
        const uint32_t cg = static_cast<uint32_t>(g0 + sg * i);
        const uint32_t cb = static_cast<uint32_t>(b0 + sb * i);
        const uint32_t color = (cr & 0xFF0000u) | ((cg >> 8) & 0xFF00u) | (cb >> 16);
        const float old = d[i];
        const uint32_t keep = static_cast<uint32_t>(z < old) - 1u;
        d[i] = z < old ? z : old;
        p[i] = (color & ~keep) | (p[i] & keep);
    }
}

}  // namespace

void FillTriangle(const RasterTarget& t, const ScreenVertex& a, const ScreenVertex& b,
                  const ScreenVertex& c, bool smooth, uint32_t flatColor) {
    const float area2 = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    if (!(std::fabs(area2) > 1e-6f)) return;  // degenerate (or NaN)
    const float inverseArea2 = 1.0f / area2;

    const float minY = std::min({a.y, b.y, c.y}), maxY = std::max({a.y, b.y, c.y});
    int rowBegin = CeilToInt(minY - 0.5f);
    int rowEnd = CeilToInt(maxY - 0.5f);
    rowBegin = std::max(rowBegin, t.top);
    rowEnd = std::min(rowEnd, t.bottom);
    if (rowBegin >= rowEnd) return;
    const float minX = std::min({a.x, b.x, c.x}), maxX = std::max({a.x, b.x, c.x});
    if (maxX < t.left || minX > t.right) return;

    const Plane z = PlaneOf(a, b, c, a.z, b.z, c.z, inverseArea2);
    Plane r{}, g{}, bl{};
    if (smooth) {
        r = PlaneOf(a, b, c, a.r, b.r, c.r, inverseArea2);
        g = PlaneOf(a, b, c, a.g, b.g, c.g, inverseArea2);
        bl = PlaneOf(a, b, c, a.b, b.b, c.b, inverseArea2);
    }

    // The three edges as (start, x step per unit of y); an edge covers rows whose centre lies
    // in [lower y, upper y).
    struct Edge {
        float y0, y1, x0, slope;
    };
    Edge edges[3];
    const ScreenVertex* v[3] = {&a, &b, &c};
    int edgeCount = 0;
    for (int i = 0; i < 3; ++i) {
        const ScreenVertex* p = v[i];
        const ScreenVertex* q = v[(i + 1) % 3];
        if (p->y == q->y) continue;
        if (p->y > q->y) std::swap(p, q);
        edges[edgeCount++] = {p->y, q->y, p->x, (q->x - p->x) / (q->y - p->y)};
    }

    for (int row = rowBegin; row < rowEnd; ++row) {
        const float yc = static_cast<float>(row) + 0.5f;
        float xl = INFINITY, xr = -INFINITY;
        for (int e = 0; e < edgeCount; ++e) {
            const Edge& edge = edges[e];
            if (yc < edge.y0 || yc >= edge.y1) continue;
            float x = edge.x0 + (yc - edge.y0) * edge.slope;
            xl = std::min(xl, x);
            xr = std::max(xr, x);
        }
        if (!(xl < xr)) continue;
        int begin = CeilToInt(xl - 0.5f);
        int end = CeilToInt(xr - 0.5f);
        begin = std::max(begin, t.left);
        end = std::min(end, t.right);
        if (begin >= end) continue;

        const float xc = static_cast<float>(begin) + 0.5f;
        const float depth = z.atOrigin + z.perX * xc + z.perY * yc;
        const size_t rowStart = static_cast<size_t>(row) * t.stride;
        if (smooth) {
            SmoothSpan(t.pixels + rowStart, t.depth + rowStart, begin, end, depth, z.perX, r, g, bl,
                       xc, yc);
        } else {
            FlatSpan(t.pixels + rowStart, t.depth + rowStart, begin, end, depth, z.perX, flatColor);
        }
    }
}

void FillConvexPolygon(const RasterTarget& t, const ScreenVertex* v, size_t count, uint32_t color) {
    if (count < 3) return;
    // The depth plane from the widest triangle of the fan, the most stable choice.
    size_t best = 0;
    float bestArea = 0;
    for (size_t i = 1; i + 1 < count; ++i) {
        float area = std::fabs((v[i].x - v[0].x) * (v[i + 1].y - v[0].y) -
                               (v[i + 1].x - v[0].x) * (v[i].y - v[0].y));
        if (area > bestArea) {
            bestArea = area;
            best = i;
        }
    }
    if (!(bestArea > 1e-6f)) return;
    const float area2 = (v[best].x - v[0].x) * (v[best + 1].y - v[0].y) -
                        (v[best + 1].x - v[0].x) * (v[best].y - v[0].y);
    const Plane z =
        PlaneOf(v[0], v[best], v[best + 1], v[0].z, v[best].z, v[best + 1].z, 1.0f / area2);

    float minY = v[0].y, maxY = v[0].y;
    for (size_t i = 1; i < count; ++i) {
        minY = std::min(minY, v[i].y);
        maxY = std::max(maxY, v[i].y);
    }
    const int rowBegin = std::max(CeilToInt(minY - 0.5f), t.top);
    const int rowEnd = std::min(CeilToInt(maxY - 0.5f), t.bottom);
    // A convex outline crosses a row on two edges: walk the left and the right chain down
    // from the top vertex instead of testing every edge on every row.
    size_t top = 0;
    for (size_t i = 1; i < count; ++i) {
        if (v[i].y < v[top].y) top = i;
    }
    struct Chain {
        size_t from, to;  // the current edge
        int direction;    // +1 or -1 around the outline
    };
    Chain chains[2] = {{top, (top + 1) % count, 1}, {top, (top + count - 1) % count, -1}};
    auto advance = [&](Chain& c, float yc) {
        // Move down the chain until the edge spans yc (or the chain ends at the bottom).
        for (size_t guard = 0; guard < count && v[c.to].y <= yc; ++guard) {
            if (v[c.to].y < v[c.from].y) return false;  // turned upward: past the bottom
            c.from = c.to;
            c.to = (c.to + count + c.direction) % count;
        }
        return v[c.from].y <= yc && yc < v[c.to].y;
    };
    for (int row = rowBegin; row < rowEnd; ++row) {
        const float yc = static_cast<float>(row) + 0.5f;
        float xl = INFINITY, xr = -INFINITY;
        for (Chain& c : chains) {
            if (!advance(c, yc)) continue;
            const ScreenVertex& p = v[c.from];
            const ScreenVertex& q = v[c.to];
            const float x = p.x + (yc - p.y) * (q.x - p.x) / (q.y - p.y);
            xl = std::min(xl, x);
            xr = std::max(xr, x);
        }
        if (!(xl < xr)) continue;
        const int begin = std::max(CeilToInt(xl - 0.5f), t.left);
        const int end = std::min(CeilToInt(xr - 0.5f), t.right);
        if (begin >= end) continue;
        const float xc = static_cast<float>(begin) + 0.5f;
        const size_t rowStart = static_cast<size_t>(row) * t.stride;
        FlatSpan(t.pixels + rowStart, t.depth + rowStart, begin, end,
                 z.atOrigin + z.perX * xc + z.perY * yc, z.perX, color);
    }
}

void DrawPoint(const RasterTarget& t, const ScreenVertex& a, uint32_t color) {
    if (!(a.x >= t.left && a.x < t.right && a.y >= t.top && a.y < t.bottom)) return;
    int x = static_cast<int>(a.x), y = static_cast<int>(a.y);
    size_t at = static_cast<size_t>(y) * t.stride + x;
    if (a.z <= t.depth[at]) {
        t.depth[at] = a.z;
        t.pixels[at] = color;
    }
}

void DrawLine(const RasterTarget& t, const ScreenVertex& a, const ScreenVertex& b, uint32_t color) {
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float length = std::max(std::fabs(dx), std::fabs(dy));
    if (!std::isfinite(length)) return;
    // Parts far outside the target are not walked pixel by pixel.
    const float limit = 4.0f * static_cast<float>(std::max(t.right, t.bottom)) + 64.0f;
    if (length > limit) {
        // Split long lines so that the walk below stays bounded; halves outside are dropped.
        ScreenVertex mid{(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f, 0, 0, 0};
        auto outside = [&](const ScreenVertex& p, const ScreenVertex& q) {
            return (p.x < t.left && q.x < t.left) || (p.x >= t.right && q.x >= t.right) ||
                   (p.y < t.top && q.y < t.top) || (p.y >= t.bottom && q.y >= t.bottom);
        };
        if (!outside(a, mid)) DrawLine(t, a, mid, color);
        if (!outside(mid, b)) DrawLine(t, mid, b, color);
        return;
    }
    const int steps = std::max(1, CeilToInt(length));
    const float sx = dx / steps, sy = dy / steps, sz = (b.z - a.z) / steps;
    ScreenVertex p = a;
    for (int i = 0; i <= steps; ++i) {
        DrawPoint(t, p, color);
        p.x += sx;
        p.y += sy;
        p.z += sz;
    }
}

}  // namespace retained::detail
