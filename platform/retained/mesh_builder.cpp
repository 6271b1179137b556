// Mesh builders and faces. Input is checked completely before anything is appended, so a
// rejected call leaves the builder as it was.
#include "platform/retained/mesh_builder.h"

#include <algorithm>
#include <cmath>

#include "platform/retained/arrays.h"

namespace retained::detail {
namespace {

using testing::CallId;

// Bounds of what one AddFaces call may describe; far beyond any real mesh, and they keep a
// missing terminator from walking through memory for long.
constexpr DWORD kMaxFaceCorners = 65536;

bool FiniteVector(const D3DVECTOR& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool ValidQuality(D3DRMRENDERQUALITY quality) {
    return (quality & ~(D3DRMSHADE_MASK | D3DRMLIGHT_MASK | D3DRMFILL_MASK)) == 0 &&
           (quality & D3DRMSHADE_MASK) <= D3DRMSHADE_PHONG &&
           (quality & D3DRMLIGHT_MASK) <= D3DRMLIGHT_ON &&
           (quality & D3DRMFILL_MASK) <= D3DRMFILL_SOLID;
}

// True for a closed surface (every edge walked once each way by two faces) with every vertex
// on or behind every face's plane: such a shape casts the convex hull of its corners.
bool IsClosedAndConvex(const MeshGeometry& g) {
    if (g.faces.empty()) return false;
    std::vector<uint64_t> edges;
    edges.reserve(g.cornerVertex.size());
    for (const FaceRecord& face : g.faces) {
        for (uint32_t c = 0; c < face.cornerCount; ++c) {
            uint64_t a = g.cornerVertex[face.firstCorner + c];
            uint64_t b = g.cornerVertex[face.firstCorner + (c + 1) % face.cornerCount];
            edges.push_back(a << 32 | b);
        }
    }
    std::sort(edges.begin(), edges.end());
    for (size_t i = 0; i < edges.size(); ++i) {
        if (i > 0 && edges[i] == edges[i - 1]) return false;  // an edge walked twice one way
        uint64_t reverse = (edges[i] & 0xFFFFFFFFu) << 32 | edges[i] >> 32;
        if (!std::binary_search(edges.begin(), edges.end(), reverse)) return false;
    }
    const float tolerance = 1e-4f * (1.0f + Length(g.boundsMax - g.boundsMin));
    for (size_t f = 0; f < g.faces.size(); ++f) {
        const Vec3 n = g.faceNormals[f];
        const Vec3 on = g.vertices[g.cornerVertex[g.faces[f].firstCorner]];
        for (Vec3 v : g.vertices) {
            // Face normals point out of the shape, toward a viewer who sees them clockwise.
            if (Dot(n, v - on) > tolerance) return false;
        }
    }
    return true;
}

}  // namespace

HRESULT MeshBuilderImpl::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(riid, object,
                       {IID_IDirect3DRMObject, IID_IDirect3DRMVisual, IID_IDirect3DRMMeshBuilder,
                        IID_IDirect3DRMMeshBuilder2});
}

HRESULT MeshBuilderImpl::MakeFaceArray(uint32_t first, uint32_t count,
                                       IDirect3DRMFaceArray** faces) {
    std::vector<IDirect3DRMFace*> items;
    items.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        items.push_back(new FaceImpl(this, first + i));
    *faces = new FaceArray(items);
    for (IDirect3DRMFace* face : items)
        face->Release();  // the array holds them now
    return D3DRM_OK;
}

HRESULT MeshBuilderImpl::AddFaces(DWORD vertexCount, const D3DVECTOR* vertices, DWORD normalCount,
                                  const D3DVECTOR* normals, const DWORD* faceData,
                                  IDirect3DRMFaceArray** faces) {
    if (faces) *faces = nullptr;
    HRESULT failure;
    if (InjectedFailure(CallId::AddFaces, &failure)) return failure;
    if (!faceData || (vertexCount > 0 && !vertices) || (normalCount > 0 && !normals)) {
        return D3DRMERR_BADVALUE;
    }
    for (DWORD i = 0; i < vertexCount; ++i) {
        if (!FiniteVector(vertices[i])) return D3DRMERR_BADVALUE;
    }
    for (DWORD i = 0; i < normalCount; ++i) {
        if (!FiniteVector(normals[i])) return D3DRMERR_BADVALUE;
    }

    // First pass: check every face; nothing changes on a rejected call.
    const int stride = normalCount > 0 ? 2 : 1;
    size_t at = 0, faceCount = 0, cornerCount = 0;
    for (DWORD count; (count = faceData[at]) != 0;) {
        if (count < 3 || count > kMaxFaceCorners) return D3DRMERR_BADVALUE;
        ++at;
        for (DWORD c = 0; c < count; ++c, at += stride) {
            if (faceData[at] >= vertexCount) return D3DRMERR_BADVALUE;
            if (stride == 2 && faceData[at + 1] >= normalCount) return D3DRMERR_BADVALUE;
        }
        ++faceCount;
        cornerCount += count;
    }

    auto& g = geometry_;
    const uint32_t vertexBase = static_cast<uint32_t>(g.vertices.size());
    const uint32_t normalBase = static_cast<uint32_t>(g.normals.size());
    const uint32_t firstFace = static_cast<uint32_t>(g.faces.size());
    for (DWORD i = 0; i < vertexCount; ++i)
        g.vertices.push_back(ToVec3(vertices[i]));
    for (DWORD i = 0; i < normalCount; ++i)
        g.normals.push_back(ToVec3(normals[i]));
    g.cornerVertex.reserve(g.cornerVertex.size() + cornerCount);
    g.cornerNormal.reserve(g.cornerNormal.size() + cornerCount);
    at = 0;
    for (DWORD count; (count = faceData[at]) != 0;) {
        ++at;
        FaceRecord face{static_cast<uint32_t>(g.cornerVertex.size()), count, Material{}};
        for (DWORD c = 0; c < count; ++c, at += stride) {
            g.cornerVertex.push_back(vertexBase + faceData[at]);
            g.cornerNormal.push_back(stride == 2 ? normalBase + faceData[at + 1] : kNoNormal);
        }
        g.faces.push_back(face);
    }
    Changed();
    if (faces) return MakeFaceArray(firstFace, static_cast<uint32_t>(faceCount), faces);
    return D3DRM_OK;
}

HRESULT MeshBuilderImpl::AddFace(IDirect3DRMFace* face) {
    FaceImpl* impl = FaceImpl::From(face);
    if (!impl) return D3DRMERR_BADOBJECT;
    HRESULT failure;
    if (InjectedFailure(CallId::AddFace, &failure)) return failure;
    if (impl->IsBound()) return D3DRMERR_FACEUSED;
    if (impl->Vertices().size() < 3) return D3DRMERR_BADVALUE;
    auto& g = geometry_;
    FaceRecord record{static_cast<uint32_t>(g.cornerVertex.size()),
                      static_cast<uint32_t>(impl->Vertices().size()), impl->OwnMaterial()};
    for (Vec3 v : impl->Vertices()) {
        g.cornerVertex.push_back(static_cast<uint32_t>(g.vertices.size()));
        g.cornerNormal.push_back(kNoNormal);
        g.vertices.push_back(v);
    }
    g.faces.push_back(record);
    impl->Bind(this, static_cast<uint32_t>(g.faces.size() - 1));
    Changed();
    return D3DRM_OK;
}

HRESULT MeshBuilderImpl::SetColorRGB(D3DVALUE red, D3DVALUE green, D3DVALUE blue) {
    if (!std::isfinite(red) || !std::isfinite(green) || !std::isfinite(blue)) {
        return D3DRMERR_BADVALUE;
    }
    // Replaces the colour of every face; power, specular and emissive colours stay.
    for (FaceRecord& face : geometry_.faces) {
        face.material.r = std::fmin(std::fmax(red, 0.0f), 1.0f);
        face.material.g = std::fmin(std::fmax(green, 0.0f), 1.0f);
        face.material.b = std::fmin(std::fmax(blue, 0.0f), 1.0f);
        face.material.a = 1;
    }
    return D3DRM_OK;
}

HRESULT MeshBuilderImpl::SetColor(D3DCOLOR color) {
    for (FaceRecord& face : geometry_.faces) {
        face.material.r = ColorChannelOf(color, 16);
        face.material.g = ColorChannelOf(color, 8);
        face.material.b = ColorChannelOf(color, 0);
        face.material.a = ColorChannelOf(color, 24);
    }
    return D3DRM_OK;
}

void MeshBuilderImpl::SetFaceColor(uint32_t face, float red, float green, float blue, float alpha) {
    if (face >= geometry_.faces.size()) return;
    Material& m = geometry_.faces[face].material;
    m.r = red;
    m.g = green;
    m.b = blue;
    m.a = alpha;
}

HRESULT MeshBuilderImpl::SetQuality(D3DRMRENDERQUALITY quality) {
    if (!ValidQuality(quality)) return D3DRMERR_BADVALUE;
    quality_ = quality;
    return D3DRM_OK;
}

HRESULT MeshBuilderImpl::GetFaces(IDirect3DRMFaceArray** faces) {
    if (!faces) return D3DRMERR_BADVALUE;
    return MakeFaceArray(0, static_cast<uint32_t>(geometry_.faces.size()), faces);
}

HRESULT MeshBuilderImpl::GetFace(DWORD index, IDirect3DRMFace** face) {
    if (!face) return D3DRMERR_BADVALUE;
    *face = nullptr;
    if (index >= geometry_.faces.size()) return D3DRMERR_BADVALUE;
    *face = new FaceImpl(this, index);
    return D3DRM_OK;
}

HRESULT MeshBuilderImpl::GenerateNormals() {
    geometry_.normals.clear();
    for (uint32_t& n : geometry_.cornerNormal)
        n = kNoNormal;
    Changed();
    return D3DRM_OK;
}

HRESULT MeshBuilderImpl::Empty() {
    geometry_ = MeshGeometry{};
    Changed();
    return D3DRM_OK;
}

void MeshBuilderImpl::Replace(MeshGeometry geometry) {
    geometry_ = std::move(geometry);
    Changed();
}

const MeshGeometry& MeshBuilderImpl::Geometry() {
    if (dirty_) Prepare();
    return geometry_;
}

void MeshBuilderImpl::Prepare() {
    auto& g = geometry_;
    g.faceNormals.assign(g.faces.size(), Vec3{});
    std::vector<Vec3> vertexSums(g.vertices.size());
    for (size_t f = 0; f < g.faces.size(); ++f) {
        const FaceRecord& face = g.faces[f];
        // Newell's sum: for a triangle it equals (v2 - v1) x (v0 - v1), which points toward a
        // viewer who sees the corners in clockwise order; its length is twice the area.
        Vec3 sum;
        for (uint32_t c = 0; c < face.cornerCount; ++c) {
            Vec3 a = g.vertices[g.cornerVertex[face.firstCorner + c]];
            Vec3 b = g.vertices[g.cornerVertex[face.firstCorner + (c + 1) % face.cornerCount]];
            sum = sum + Cross(a, b);
        }
        g.faceNormals[f] = Normalize(sum);
        for (uint32_t c = 0; c < face.cornerCount; ++c) {
            Vec3& s = vertexSums[g.cornerVertex[face.firstCorner + c]];
            s = s + sum;  // weighted by area
        }
    }
    g.cornerNormals.resize(g.cornerVertex.size());
    for (size_t f = 0; f < g.faces.size(); ++f) {
        const FaceRecord& face = g.faces[f];
        for (uint32_t c = face.firstCorner; c < face.firstCorner + face.cornerCount; ++c) {
            Vec3 n = g.cornerNormal[c] != kNoNormal ? Normalize(g.normals[g.cornerNormal[c]])
                                                    : Normalize(vertexSums[g.cornerVertex[c]]);
            g.cornerNormals[c] = Length(n) > 0 ? n : g.faceNormals[f];
        }
    }
    if (g.vertices.empty()) {
        g.boundsMin = g.boundsMax = Vec3{};
    } else {
        g.boundsMin = g.boundsMax = g.vertices[0];
        for (Vec3 v : g.vertices) {
            g.boundsMin = {std::fmin(g.boundsMin.x, v.x), std::fmin(g.boundsMin.y, v.y),
                           std::fmin(g.boundsMin.z, v.z)};
            g.boundsMax = {std::fmax(g.boundsMax.x, v.x), std::fmax(g.boundsMax.y, v.y),
                           std::fmax(g.boundsMax.z, v.z)};
        }
    }
    g.convex = IsClosedAndConvex(g);
    dirty_ = false;
}

// ---- Faces ---------------------------------------------------------------------------------

FaceImpl::FaceImpl(MeshBuilderImpl* builder, uint32_t index) {
    Bind(builder, index);
}

FaceImpl::~FaceImpl() {
    if (builder_) builder_->Release();
}

void FaceImpl::Bind(MeshBuilderImpl* builder, uint32_t index) {
    builder->AddRef();
    if (builder_) builder_->Release();
    builder_ = builder;
    index_ = index;
    vertices_.clear();
}

HRESULT FaceImpl::AddVertex(D3DVALUE x, D3DVALUE y, D3DVALUE z) {
    if (builder_) return D3DRMERR_FACEUSED;
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return D3DRMERR_BADVALUE;
    vertices_.push_back({x, y, z});
    return D3DRM_OK;
}

int FaceImpl::GetVertexCount() {
    if (!builder_) return static_cast<int>(vertices_.size());
    const auto& g = builder_->Geometry();
    return index_ < g.faces.size() ? static_cast<int>(g.faces[index_].cornerCount) : 0;
}

HRESULT FaceImpl::GetVertex(DWORD index, D3DVECTOR* vertex, D3DVECTOR* normal) {
    if (!builder_) {
        if (index >= vertices_.size()) return D3DRMERR_BADVALUE;
        if (vertex) *vertex = ToD3D(vertices_[index]);
        if (normal) *normal = D3DVECTOR{0, 0, 0};
        return D3DRM_OK;
    }
    const auto& g = builder_->Geometry();
    if (index_ >= g.faces.size() || index >= g.faces[index_].cornerCount) {
        return D3DRMERR_BADVALUE;
    }
    uint32_t corner = g.faces[index_].firstCorner + index;
    if (vertex) *vertex = ToD3D(g.vertices[g.cornerVertex[corner]]);
    if (normal) *normal = ToD3D(g.cornerNormals[corner]);
    return D3DRM_OK;
}

HRESULT FaceImpl::SetColorRGB(D3DVALUE red, D3DVALUE green, D3DVALUE blue) {
    if (!std::isfinite(red) || !std::isfinite(green) || !std::isfinite(blue)) {
        return D3DRMERR_BADVALUE;
    }
    auto clamp = [](float v) { return std::fmin(std::fmax(v, 0.0f), 1.0f); };
    if (builder_) {
        builder_->SetFaceColor(index_, clamp(red), clamp(green), clamp(blue), 1);
    } else {
        material_.r = clamp(red);
        material_.g = clamp(green);
        material_.b = clamp(blue);
        material_.a = 1;
    }
    return D3DRM_OK;
}

HRESULT FaceImpl::SetColor(D3DCOLOR color) {
    float r = ColorChannelOf(color, 16), g = ColorChannelOf(color, 8), b = ColorChannelOf(color, 0),
          a = ColorChannelOf(color, 24);
    if (builder_) {
        builder_->SetFaceColor(index_, r, g, b, a);
    } else {
        material_.r = r;
        material_.g = g;
        material_.b = b;
        material_.a = a;
    }
    return D3DRM_OK;
}

D3DCOLOR FaceImpl::GetColor() {
    const Material* m = &material_;
    if (builder_) {
        const auto& g = builder_->Geometry();
        if (index_ >= g.faces.size()) return 0;
        m = &g.faces[index_].material;
    }
    return D3DRMCreateColorRGBA(m->r, m->g, m->b, m->a);
}

}  // namespace retained::detail
