// The text DirectX (.x) reader: turns the bytes of a text .x file into the first Mesh it
// holds, with its normals, materials and texture coordinates. Every count, index and number
// is checked; malformed input gives false and a message naming the line, never a crash, an
// unbounded allocation or a read past the end.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace retained::xfile {

struct Material {
    float r, g, b, a;  // faceColor, the diffuse colour; alpha below 1 means transparent
    float power;
    float specular[3];
    float emissive[3];
};

struct Mesh {
    std::vector<std::array<float, 3>> vertices;
    std::vector<std::vector<uint32_t>> faces;  // each at least three vertex indices
    std::vector<std::array<float, 3>> normals;
    std::vector<std::vector<uint32_t>> faceNormals;  // face for face with `faces`; empty when none
    std::vector<Material> materials;
    std::vector<uint32_t> faceMaterials;  // one per face; empty when the file has no materials
    std::vector<std::array<float, 2>> textureCoords;  // one per vertex; empty when none
    std::string name;
};

// Parses the first Mesh of a text .x file (at any depth, for example inside a Frame). false
// with a message on any malformed input; `mesh` is then empty. The whole file must be well
// formed, also past the Mesh. Data object types (Mesh, Material, ...) are matched as the
// format spells them; the template keywords are matched without regard to case.
//
// A MeshMaterialList may list fewer face indexes than the mesh has faces: the last index
// then stands for every remaining face, as the platform's loader does, and faceMaterials is
// always filled out to one entry per face. A list with no face index at all, or more indexes
// than faces, is rejected.
bool ReadXFile(std::span<const uint8_t> bytes, Mesh& mesh, std::string& error);

}  // namespace retained::xfile
