// The disc mesh the program carries: read through the resource table by the name and type
// the scene loads it with, it must be the bevelled two-coloured disc, black below, white above.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

#include "platform/resources/resource_table.h"
#include "platform/retained/xfile/xfile_reader.h"

namespace {

using resources::ResourceKey;
using retained::xfile::Mesh;

Mesh LoadStone() {
    auto bytes =
        resources::LoadResourceBytes(ResourceKey::Name("stone"), ResourceKey::Name("XFILE"));
    Mesh mesh;
    std::string error;
    EXPECT_FALSE(bytes.empty()) << "no STONE resource of type XFILE";
    EXPECT_TRUE(retained::xfile::ReadXFile(bytes, mesh, error)) << error;
    return mesh;
}

TEST(StoneMesh, HasTheDiscsCountsAndFaceOrder) {
    const Mesh m = LoadStone();
    ASSERT_EQ(m.vertices.size(), 122u);
    ASSERT_EQ(m.faces.size(), 144u);
    ASSERT_EQ(m.materials.size(), 2u);
    ASSERT_EQ(m.faceMaterials.size(), 144u);
    ASSERT_EQ(m.normals.size(), 122u);
    ASSERT_EQ(m.textureCoords.size(), 122u);
    EXPECT_EQ(m.faces[0], (std::vector<uint32_t>{120, 0, 5}));
    EXPECT_EQ(m.faces[23], (std::vector<uint32_t>{120, 115, 0}));
    EXPECT_EQ(m.faces[24], (std::vector<uint32_t>{1, 6, 5, 0}));
    EXPECT_EQ(m.faces[48], (std::vector<uint32_t>{6, 1, 2, 7}));
    EXPECT_EQ(m.faces[95], (std::vector<uint32_t>{2, 117, 118, 3}));
    EXPECT_EQ(m.faces[96], (std::vector<uint32_t>{8, 3, 4, 9}));
    EXPECT_EQ(m.faces[143], (std::vector<uint32_t>{121, 4, 119}));
    EXPECT_EQ(m.faceNormals, m.faces);
}

TEST(StoneMesh, BlackBelowWhiteAbove) {
    const Mesh m = LoadStone();
    ASSERT_EQ(m.faceMaterials.size(), 144u);
    ASSERT_EQ(m.materials.size(), 2u);
    for (size_t f = 0; f < 144; ++f) {
        EXPECT_EQ(m.faceMaterials[f], f < 72 ? 0u : 1u) << "face " << f;
        // Every vertex of a black face lies at z <= 0, of a white face at z >= 0.
        for (uint32_t v : m.faces[f]) {
            const float z = m.vertices[v][2];
            EXPECT_TRUE(f < 72 ? z <= 0 : z >= 0) << "face " << f << " vertex " << v;
        }
    }
    for (size_t i = 0; i < 2; ++i) {
        const auto& material = m.materials[i];
        const float shade = i == 0 ? 0.0f : 1.0f;
        EXPECT_EQ(material.r, shade);
        EXPECT_EQ(material.g, shade);
        EXPECT_EQ(material.b, shade);
        EXPECT_EQ(material.a, 1.0f);
        EXPECT_EQ(material.power, 9.0f);
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(material.specular[c], 1.0f);
            EXPECT_EQ(material.emissive[c], 0.0f);
        }
    }
}

TEST(StoneMesh, VerticesAndNormalsFollowTheProfileAroundTheAxis) {
    const Mesh m = LoadStone();
    ASSERT_EQ(m.vertices.size(), 122u);
    ASSERT_EQ(m.normals.size(), 122u);
    const float radius[5] = {0.88f, 0.93f, 0.93f, 0.93f, 0.88f};
    const float height[5] = {-0.2f, -0.15f, 0.0f, 0.15f, 0.2f};
    const float normalR[5] = {0.352031f, 0.847754f, 0.991445f, 0.847754f, 0.352031f};
    const float normalZ[5] = {-0.852031f, -0.352031f, 0.0f, 0.352031f, 0.852031f};
    for (int k = 0; k < 24; ++k) {
        const double theta = -15.0 * k * std::numbers::pi / 180.0;
        for (int p = 0; p < 5; ++p) {
            const auto& v = m.vertices[5 * k + p];
            EXPECT_NEAR(v[0], radius[p] * std::cos(theta), 1e-6) << k << "," << p;
            EXPECT_NEAR(v[1], radius[p] * std::sin(theta), 1e-6) << k << "," << p;
            EXPECT_NEAR(v[2], height[p], 1e-6) << k << "," << p;
            const auto& n = m.normals[5 * k + p];
            EXPECT_NEAR(n[0], normalR[p] * std::cos(theta), 1e-6) << k << "," << p;
            EXPECT_NEAR(n[1], normalR[p] * std::sin(theta), 1e-6) << k << "," << p;
            EXPECT_NEAR(n[2], normalZ[p], 1e-6) << k << "," << p;
        }
    }
    // Segment 6 sits at -90 degrees: the rim's middle point is straight down the -y axis.
    EXPECT_NEAR(m.vertices[32][1], -0.93f, 1e-6);
    EXPECT_EQ(m.vertices[120], (std::array<float, 3>{0, 0, -0.2f}));
    EXPECT_EQ(m.vertices[121], (std::array<float, 3>{0, 0, 0.2f}));
    EXPECT_EQ(m.normals[120], (std::array<float, 3>{0, 0, -1}));
    EXPECT_EQ(m.normals[121], (std::array<float, 3>{0, 0, 1}));
    for (const auto& uv : m.textureCoords)
        EXPECT_EQ(uv, (std::array<float, 2>{0, 0}));
}

}  // namespace
