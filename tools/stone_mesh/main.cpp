// zantobel-stone-mesh: writes the disc mesh (resources/stone.x), a text .x file. The disc is
// a cylinder of radius 0.93 and thickness 0.4 with bevelled rims, in 24 segments; its half
// at negative z is black, the other white. The output is byte for byte the committed file.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

namespace {

constexpr int kSegments = 24;
constexpr int kProfilePoints = 5;
constexpr int kCentreBelow = kSegments * kProfilePoints;  // vertex 120, at z = -0.2
constexpr int kCentreAbove = kCentreBelow + 1;            // vertex 121, at z = +0.2
constexpr int kVertexCount = kCentreAbove + 1;
constexpr int kFaceCount = 6 * kSegments;

// The rim profile from the black face to the white face: (radius, z) and its normal (r, z).
constexpr double kProfile[kProfilePoints][2] = {
    {0.88, -0.2}, {0.93, -0.15}, {0.93, 0.0}, {0.93, 0.15}, {0.88, 0.2}};
constexpr double kProfileNormal[kProfilePoints][2] = {{0.352031, -0.852031},
                                                      {0.847754, -0.352031},
                                                      {0.991445, 0.0},
                                                      {0.847754, 0.352031},
                                                      {0.352031, 0.852031}};

// Appends each piece in turn; GCC 12 at -O3 warns falsely (-Wrestrict) on chains that start
// `"literal" + std::string`.
template <typename... Pieces>
void Append(std::string& out, const Pieces&... pieces) {
    (out += ... += pieces);
}

// Six decimals; a value that rounds to zero is written without a sign, so the file does not
// depend on which side of zero sin(180 degrees) lands.
std::string Decimal(double value) {
    char text[48];
    std::snprintf(text, sizeof text, "%.6f", value);
    std::string out = text;
    if (out == "-0.000000") out = "0.000000";
    return out;
}

std::string Vector(double x, double y, double z) {
    return Decimal(x) + ";" + Decimal(y) + ";" + Decimal(z) + ";";
}

// Segment k lies at theta = -15k degrees, turning from +x toward -y.
void SegmentAngle(int k, double& c, double& s) {
    const double theta = -15.0 * k * 3.14159265358979323846 / 180.0;
    c = std::cos(theta);
    s = std::sin(theta);
}

// The vertex list of face f, written "n;i0,i1,...;".
std::string Face(int f) {
    const int k = f % kSegments;
    const int k1 = (k + 1) % kSegments;
    const int a = kProfilePoints * k, b = kProfilePoints * k1;
    auto list = [](std::initializer_list<int> indices) {
        std::string out = std::to_string(indices.size()) + ";";
        bool first = true;
        for (int i : indices) {
            if (!first) out += ',';
            out += std::to_string(i);
            first = false;
        }
        return out + ";";
    };
    switch (f / kSegments) {
        case 0:
            return list({kCentreBelow, a, b});  // flat black face
        case 1:
            return list({a + 1, b + 1, b, a});  // lower bevel
        case 2:
            return list({b + 1, a + 1, a + 2, b + 2});  // rim, lower half
        case 3:
            return list({b + 2, a + 2, a + 3, b + 3});  // rim, upper half
        case 4:
            return list({b + 3, a + 3, a + 4, b + 4});  // upper bevel
        default:
            return list({kCentreAbove, b + 4, a + 4});  // flat white face
    }
}

// Array elements are separated by "," and the array is closed by ";".
std::string ArrayEnd(int i, int count) {
    return i + 1 < count ? "," : ";";
}

std::string StoneMesh() {
    std::string x = "xof 0303txt 0032\n\n";
    x += "Header {\n 1;\n 0;\n 1;\n}\n\n";

    Append(x, "Mesh {\n ", std::to_string(kVertexCount), ";\n");
    for (int k = 0; k < kSegments; ++k) {
        double c, s;
        SegmentAngle(k, c, s);
        for (const auto& p : kProfile) {
            Append(x, " ", Vector(p[0] * c, p[0] * s, p[1]), ",\n");
        }
    }
    Append(x, " ", Vector(0, 0, -0.2), ",\n");
    Append(x, " ", Vector(0, 0, 0.2), ";\n");

    Append(x, " ", std::to_string(kFaceCount), ";\n");
    for (int f = 0; f < kFaceCount; ++f)
        Append(x, " ", Face(f), ArrayEnd(f, kFaceCount), "\n");

    // Faces 0..71 (black face, lower bevel, lower rim) use material 0, the rest material 1.
    Append(x, "\n MeshMaterialList {\n  2;\n  ", std::to_string(kFaceCount), ";\n");
    for (int f = 0; f < kFaceCount; ++f) {
        Append(x, "  ", (f < 3 * kSegments ? "0" : "1"), ArrayEnd(f, kFaceCount), "\n");
    }
    for (const char* colour : {"0.000000", "1.000000"}) {
        const std::string c = colour;
        x += "  Material {\n";
        Append(x, "   ", c, ";", c, ";", c, ";1.000000;;\n");
        x += "   9.000000;\n";
        x += "   1.000000;1.000000;1.000000;;\n";
        x += "   0.000000;0.000000;0.000000;;\n";
        x += "  }\n";
    }
    x += " }\n";

    Append(x, "\n MeshNormals {\n  ", std::to_string(kVertexCount), ";\n");
    for (int k = 0; k < kSegments; ++k) {
        double c, s;
        SegmentAngle(k, c, s);
        for (const auto& n : kProfileNormal) {
            Append(x, "  ", Vector(n[0] * c, n[0] * s, n[1]), ",\n");
        }
    }
    Append(x, "  ", Vector(0, 0, -1), ",\n");
    Append(x, "  ", Vector(0, 0, 1), ";\n");
    // Normals are numbered like the vertices, so each face's normal list is its vertex list.
    Append(x, "  ", std::to_string(kFaceCount), ";\n");
    for (int f = 0; f < kFaceCount; ++f)
        Append(x, "  ", Face(f), ArrayEnd(f, kFaceCount), "\n");
    x += " }\n";

    Append(x, "\n MeshTextureCoords {\n  ", std::to_string(kVertexCount), ";\n");
    for (int v = 0; v < kVertexCount; ++v) {
        Append(x, "  0.000000;0.000000;", ArrayEnd(v, kVertexCount), "\n");
    }
    x += " }\n}\n";
    return x;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: zantobel-stone-mesh OUTPUT.x\n";
        return 2;
    }
    const std::string text = StoneMesh();
    std::ofstream out(argv[1], std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
        std::cerr << "zantobel-stone-mesh: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
