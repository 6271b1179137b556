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

// The plane through the three vertices' values; inverseArea2 is 1 / (2 * signed area).
Plane PlaneOf(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, float va,
              float vb, float vc, float inverseArea2) {
    float dx1 = b.x - a.x, dy1 = b.y - a.y, dx2 = c.x - a.x, dy2 = c.y - a.y;
    float perX = ((vb - va) * dy2 - (vc - va) * dy1) * inverseArea2;
    float perY = ((vc - va) * dx1 - (vb - va) * dx2) * inverseArea2;
    return {va - perX * a.x - perY * a.y, perX, perY};
}

}  // namespace

void FillTriangle(const RasterTarget& t, const ScreenVertex& a, const ScreenVertex& b,
                  const ScreenVertex& c, bool smooth, uint32_t flatColor) {
    const float area2 = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    if (!(std::fabs(area2) > 1e-6f)) return;  // degenerate (or NaN)
    const float inverseArea2 = 1.0f / area2;

    const float minY = std::min({a.y, b.y, c.y}), maxY = std::max({a.y, b.y, c.y});
    int rowBegin = static_cast<int>(std::ceil(minY - 0.5f));
    int rowEnd = static_cast<int>(std::ceil(maxY - 0.5f));
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
        int begin = static_cast<int>(std::ceil(xl - 0.5f));
        int end = static_cast<int>(std::ceil(xr - 0.5f));
        begin = std::max(begin, t.left);
        end = std::min(end, t.right);
        if (begin >= end) continue;

        const float xc = static_cast<float>(begin) + 0.5f;
        float depth = z.atOrigin + z.perX * xc + z.perY * yc;
        uint32_t* pixel = t.pixels + static_cast<size_t>(row) * t.stride;
        float* depthRow = t.depth + static_cast<size_t>(row) * t.stride;
        if (smooth) {
            float cr = r.atOrigin + r.perX * xc + r.perY * yc;
            float cg = g.atOrigin + g.perX * xc + g.perY * yc;
            float cb = bl.atOrigin + bl.perX * xc + bl.perY * yc;
            for (int x = begin; x < end; ++x) {
                if (depth < depthRow[x]) {
                    depthRow[x] = depth;
                    pixel[x] = PackColor(cr, cg, cb);
                }
                depth += z.perX;
                cr += r.perX;
                cg += g.perX;
                cb += bl.perX;
            }
        } else {
            for (int x = begin; x < end; ++x) {
                if (depth < depthRow[x]) {
                    depthRow[x] = depth;
                    pixel[x] = flatColor;
                }
                depth += z.perX;
            }
        }
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
    const int steps = std::max(1, static_cast<int>(std::ceil(length)));
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
