// Fuzzes the text .x reader: any input must give either false with a message, or a mesh
// whose indices all stay inside their arrays (the mesh builder relies on that without
// checking again). A violated promise aborts, which libFuzzer reports as a finding.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "platform/retained/xfile/xfile_reader.h"

namespace {

void Require(bool promise) {
    if (!promise) std::abort();
}

void CheckMesh(const retained::xfile::Mesh& m) {
    for (const auto& face : m.faces) {
        Require(face.size() >= 3);
        for (uint32_t v : face)
            Require(v < m.vertices.size());
    }
    Require(m.faceNormals.empty() || m.faceNormals.size() == m.faces.size());
    for (size_t f = 0; f < m.faceNormals.size(); ++f) {
        Require(m.faceNormals[f].size() == m.faces[f].size());
        for (uint32_t n : m.faceNormals[f])
            Require(n < m.normals.size());
    }
    Require(m.faceMaterials.empty() || m.faceMaterials.size() == m.faces.size());
    for (uint32_t i : m.faceMaterials)
        Require(i < m.materials.size());
    Require(m.textureCoords.empty() || m.textureCoords.size() == m.vertices.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    retained::xfile::Mesh mesh;
    std::string error;
    if (retained::xfile::ReadXFile(std::span(data, size), mesh, error)) {
        Require(error.empty());
        CheckMesh(mesh);
    } else {
        Require(!error.empty());
    }
    return 0;
}
