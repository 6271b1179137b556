// Vector and matrix arithmetic of the layer, in the platform's conventions: row vectors
// (p' = p * M), translation in row 3, left-handed axes, World(f) = Local(f) * World(parent).
#pragma once

#include <cmath>

#include "platform/retained/d3drm_types.h"

namespace retained::detail {

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator-(Vec3 a) {
    return {-a.x, -a.y, -a.z};
}
inline Vec3 operator*(Vec3 a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline float Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(Vec3 a) {
    return std::sqrt(Dot(a, a));
}
// The zero vector stays zero.
inline Vec3 Normalize(Vec3 a) {
    float length = Length(a);
    return length > 0 ? a * (1.0f / length) : Vec3{};
}
inline Vec3 ToVec3(const D3DVECTOR& v) {
    return {v.x, v.y, v.z};
}
inline D3DVECTOR ToD3D(Vec3 v) {
    return {v.x, v.y, v.z};
}

// Colour channels of a D3DCOLOR in [0, 1].
inline float ColorChannelOf(D3DCOLOR color, int shift) {
    return static_cast<float>((color >> shift) & 0xFF) / 255.0f;
}

struct Matrix4 {
    float m[4][4];

    static Matrix4 Identity() { return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}}; }
    static Matrix4 Translation(Vec3 t) {
        Matrix4 r = Identity();
        r.m[3][0] = t.x;
        r.m[3][1] = t.y;
        r.m[3][2] = t.z;
        return r;
    }
    static Matrix4 Scale(Vec3 s) {
        Matrix4 r = Identity();
        r.m[0][0] = s.x;
        r.m[1][1] = s.y;
        r.m[2][2] = s.z;
        return r;
    }
    // Rotation about the unit axis a by theta: v' = v cos + (a x v) sin + a (a.v)(1 - cos).
    // About +z with theta > 0, +x turns toward +y.
    static Matrix4 Rotation(Vec3 a, float theta) {
        float c = std::cos(theta), s = std::sin(theta), t = 1 - c;
        Matrix4 r = Identity();
        const Vec3 basis[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        for (int i = 0; i < 3; ++i) {
            Vec3 v = basis[i];
            Vec3 image = v * c + Cross(a, v) * s + a * (Dot(a, v) * t);
            r.m[i][0] = image.x;
            r.m[i][1] = image.y;
            r.m[i][2] = image.z;
        }
        return r;
    }
    // Rows x, y, z as the images of the basis axes.
    static Matrix4 FromAxes(Vec3 x, Vec3 y, Vec3 z, Vec3 origin) {
        return {{{x.x, x.y, x.z, 0},
                 {y.x, y.y, y.z, 0},
                 {z.x, z.y, z.z, 0},
                 {origin.x, origin.y, origin.z, 1}}};
    }

    Vec3 Row(int i) const { return {m[i][0], m[i][1], m[i][2]}; }
    void SetRow(int i, Vec3 v) {
        m[i][0] = v.x;
        m[i][1] = v.y;
        m[i][2] = v.z;
    }
};

// a then b: p * (a * b) = (p * a) * b.
inline Matrix4 operator*(const Matrix4& a, const Matrix4& b) {
    Matrix4 r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                        a.m[i][3] * b.m[3][j];
        }
    }
    return r;
}

inline Vec3 TransformPoint(Vec3 p, const Matrix4& t) {
    return {p.x * t.m[0][0] + p.y * t.m[1][0] + p.z * t.m[2][0] + t.m[3][0],
            p.x * t.m[0][1] + p.y * t.m[1][1] + p.z * t.m[2][1] + t.m[3][1],
            p.x * t.m[0][2] + p.y * t.m[1][2] + p.z * t.m[2][2] + t.m[3][2]};
}

inline Vec3 TransformVector(Vec3 v, const Matrix4& t) {
    return {v.x * t.m[0][0] + v.y * t.m[1][0] + v.z * t.m[2][0],
            v.x * t.m[0][1] + v.y * t.m[1][1] + v.z * t.m[2][1],
            v.x * t.m[0][2] + v.y * t.m[1][2] + v.z * t.m[2][2]};
}

// Only the upper 3x3 part, translation cleared.
inline Matrix4 LinearPart(const Matrix4& t) {
    Matrix4 r = t;
    r.m[3][0] = r.m[3][1] = r.m[3][2] = 0;
    return r;
}

inline Matrix4 Transpose3(const Matrix4& t) {
    Matrix4 r = Matrix4::Identity();
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = t.m[j][i];
    }
    return r;
}

// Inverse of an affine transform (last column 0,0,0,1). A singular linear part gives the
// identity for it, so a degenerate scale never produces infinities downstream.
inline Matrix4 InverseAffine(const Matrix4& t) {
    const float(*a)[4] = t.m;
    float c00 = a[1][1] * a[2][2] - a[1][2] * a[2][1];
    float c01 = a[1][2] * a[2][0] - a[1][0] * a[2][2];
    float c02 = a[1][0] * a[2][1] - a[1][1] * a[2][0];
    float det = a[0][0] * c00 + a[0][1] * c01 + a[0][2] * c02;
    Matrix4 r = Matrix4::Identity();
    if (std::fabs(det) > 1e-20f) {
        float k = 1.0f / det;
        r.m[0][0] = c00 * k;
        r.m[0][1] = (a[0][2] * a[2][1] - a[0][1] * a[2][2]) * k;
        r.m[0][2] = (a[0][1] * a[1][2] - a[0][2] * a[1][1]) * k;
        r.m[1][0] = c01 * k;
        r.m[1][1] = (a[0][0] * a[2][2] - a[0][2] * a[2][0]) * k;
        r.m[1][2] = (a[0][2] * a[1][0] - a[0][0] * a[1][2]) * k;
        r.m[2][0] = c02 * k;
        r.m[2][1] = (a[0][1] * a[2][0] - a[0][0] * a[2][1]) * k;
        r.m[2][2] = (a[0][0] * a[1][1] - a[0][1] * a[1][0]) * k;
    }
    Vec3 translation = TransformVector({a[3][0], a[3][1], a[3][2]}, r);
    r.SetRow(3, -translation);
    return r;
}

}  // namespace retained::detail
