// MeshBuilder::Load: finds the bytes (a program resource, memory or a file), reads the first
// Mesh of the text .x file with the xfile reader and replaces the builder's contents with it.
// A failed load leaves the builder unchanged.
#include <cstdint>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "platform/resources/resource_table.h"
#include "platform/retained/mesh_builder.h"

#if defined(ZANTOBEL_HAVE_XFILE)
#include "platform/retained/xfile/xfile_reader.h"
#endif

namespace retained::detail {
namespace {

constexpr D3DRMLOADOPTIONS kSourceMask = 0x0F;
constexpr D3DRMLOADOPTIONS kSelectionMask = 0xF0;

// A resource name or type: a string, or an integer id in a pointer below 0x10000.
resources::ResourceKey KeyOf(const char* text) {
    auto value = reinterpret_cast<uintptr_t>(text);
    if (value < 0x10000) return resources::ResourceKey::Id(static_cast<uint16_t>(value));
    return resources::ResourceKey::Name(text);
}

HRESULT ReadSource(void* source, D3DRMLOADOPTIONS options, std::vector<uint8_t>* owned,
                   std::span<const uint8_t>* bytes) {
    switch (options & kSourceMask) {
        case D3DRMLOAD_FROMRESOURCE: {
            auto* resource = static_cast<const D3DRMLOADRESOURCE*>(source);
            if (!resource || !resource->lpName || !resource->lpType) return D3DRMERR_BADVALUE;
            const resources::EmbeddedResource* found =
                resources::FindResource(KeyOf(resource->lpName), KeyOf(resource->lpType));
            if (!found) return D3DRMERR_FILENOTFOUND;
            *bytes = found->Bytes();
            return D3DRM_OK;
        }
        case D3DRMLOAD_FROMMEMORY: {
            auto* memory = static_cast<const D3DRMLOADMEMORY*>(source);
            if (!memory || (!memory->lpMemory && memory->dSize > 0)) return D3DRMERR_BADVALUE;
            *bytes = {static_cast<const uint8_t*>(memory->lpMemory), memory->dSize};
            return D3DRM_OK;
        }
        case D3DRMLOAD_FROMFILE: {
            auto* path = static_cast<const char*>(source);
            if (!path) return D3DRMERR_BADVALUE;
            std::ifstream file(path, std::ios::binary);
            if (!file) return D3DRMERR_FILENOTFOUND;
            owned->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
            *bytes = *owned;
            return D3DRM_OK;
        }
        default:
            return D3DRMERR_BADVALUE;  // streams and URLs are not offered
    }
}

#if defined(ZANTOBEL_HAVE_XFILE)
// Turns the reader's mesh into builder geometry, checking every index once more so a
// reader fault can never make the renderer read out of bounds.
bool ToGeometry(const xfile::Mesh& mesh, MeshGeometry* geometry) {
    MeshGeometry g;
    for (const auto& v : mesh.vertices)
        g.vertices.push_back({v[0], v[1], v[2]});
    for (const auto& n : mesh.normals)
        g.normals.push_back({n[0], n[1], n[2]});
    const bool hasNormals = !mesh.faceNormals.empty();
    if (hasNormals && mesh.faceNormals.size() != mesh.faces.size()) return false;
    const bool hasMaterials = !mesh.faceMaterials.empty();
    if (hasMaterials && mesh.faceMaterials.size() != mesh.faces.size()) return false;
    for (size_t f = 0; f < mesh.faces.size(); ++f) {
        const auto& corners = mesh.faces[f];
        if (corners.size() < 3) return false;
        if (hasNormals && mesh.faceNormals[f].size() != corners.size()) return false;
        FaceRecord face{static_cast<uint32_t>(g.cornerVertex.size()),
                        static_cast<uint32_t>(corners.size()), Material{}};
        for (size_t c = 0; c < corners.size(); ++c) {
            if (corners[c] >= g.vertices.size()) return false;
            g.cornerVertex.push_back(corners[c]);
            uint32_t normal = hasNormals ? mesh.faceNormals[f][c] : kNoNormal;
            if (hasNormals && normal >= g.normals.size()) return false;
            g.cornerNormal.push_back(normal);
        }
        if (hasMaterials) {
            uint32_t index = mesh.faceMaterials[f];
            if (index >= mesh.materials.size()) return false;
            const xfile::Material& m = mesh.materials[index];
            face.material = {m.r,
                             m.g,
                             m.b,
                             m.a,
                             m.power,
                             {m.specular[0], m.specular[1], m.specular[2]},
                             {m.emissive[0], m.emissive[1], m.emissive[2]}};
        }
        g.faces.push_back(face);
    }
    *geometry = std::move(g);
    return true;
}
#endif

}  // namespace

HRESULT MeshBuilderImpl::Load(void* source, void* objectId, D3DRMLOADOPTIONS options,
                              D3DRMLOADTEXTURECALLBACK /*callback*/, void* /*callbackArgument*/) {
    HRESULT failure;
    if (InjectedFailure(testing::CallId::Load, &failure)) return failure;
    if (options & ~(kSourceMask | kSelectionMask)) return D3DRMERR_BADVALUE;
    std::vector<uint8_t> owned;
    std::span<const uint8_t> bytes;
    HRESULT found = ReadSource(source, options, &owned, &bytes);
    if (found < 0) return found;

#if defined(ZANTOBEL_HAVE_XFILE)
    xfile::Mesh mesh;
    std::string error;
    if (!xfile::ReadXFile(bytes, mesh, error)) return D3DRMERR_BADFILE;
    // Only the first mesh is read: selecting it by name or as the first (position 0) works,
    // any other selection finds nothing.
    const D3DRMLOADOPTIONS selection = options & kSelectionMask;
    if (selection == D3DRMLOAD_BYNAME) {
        auto* wanted = static_cast<const char*>(objectId);
        if (!wanted || mesh.name != wanted) return D3DRMERR_NOTFOUND;
    } else if (selection == D3DRMLOAD_BYPOSITION) {
        auto* position = static_cast<const DWORD*>(objectId);
        if (!position || *position != 0) return D3DRMERR_NOTFOUND;
    } else if (selection != 0 && selection != D3DRMLOAD_FIRST) {
        return D3DRMERR_NOTFOUND;
    }
    MeshGeometry geometry;
    if (!ToGeometry(mesh, &geometry)) return D3DRMERR_BADFILE;
    Replace(std::move(geometry));
    SetName(mesh.name.c_str());
    return D3DRM_OK;
#else
    // Built without the .x reader: the file is there but cannot be understood.
    (void)objectId;
    (void)bytes;
    return D3DRMERR_BADFILE;
#endif
}

}  // namespace retained::detail
