// Mesh builders and faces: vertices, faces of any vertex count, per-face material, given or
// generated normals and a quality per builder. Derived data (unit face normals, generated
// vertex normals, bounds) is rebuilt lazily after a change, never during drawing.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/retained/maths.h"
#include "platform/retained/object_base.h"

namespace retained::detail {

struct Material {
    float r = 1, g = 1, b = 1, a = 1;  // the face colour
    float power = 0;
    Vec3 specular;
    Vec3 emissive;
};

struct FaceRecord {
    uint32_t firstCorner;
    uint32_t cornerCount;
    Material material;
};

constexpr uint32_t kNoNormal = 0xFFFFFFFFu;

struct MeshGeometry {
    std::vector<Vec3> vertices;
    std::vector<Vec3> normals;           // given normals
    std::vector<uint32_t> cornerVertex;  // per face corner
    std::vector<uint32_t> cornerNormal;  // index into normals, or kNoNormal
    std::vector<FaceRecord> faces;
    // Derived.
    std::vector<Vec3> faceNormals;    // unit; points toward a viewer who sees the face clockwise
    std::vector<Vec3> cornerNormals;  // unit; the given normal or the generated vertex normal
    Vec3 boundsMin, boundsMax;
    bool convex = false;  // every vertex lies on or behind every face's plane
};

class MeshBuilderImpl final : public RmObject<IDirect3DRMMeshBuilder2> {
  public:
    MeshBuilderImpl() = default;

    static MeshBuilderImpl* From(IUnknown* object) {
        return dynamic_cast<MeshBuilderImpl*>(object);
    }

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT Load(void* source, void* objectId, D3DRMLOADOPTIONS options,
                 D3DRMLOADTEXTURECALLBACK callback, void* callbackArgument) override;
    HRESULT AddFaces(DWORD vertexCount, const D3DVECTOR* vertices, DWORD normalCount,
                     const D3DVECTOR* normals, const DWORD* faceData,
                     IDirect3DRMFaceArray** faces) override;
    HRESULT AddFace(IDirect3DRMFace* face) override;
    HRESULT SetColorRGB(D3DVALUE red, D3DVALUE green, D3DVALUE blue) override;
    HRESULT SetColor(D3DCOLOR color) override;
    HRESULT SetQuality(D3DRMRENDERQUALITY quality) override;
    D3DRMRENDERQUALITY GetQuality() override { return quality_; }
    int GetFaceCount() override { return static_cast<int>(geometry_.faces.size()); }
    int GetVertexCount() override { return static_cast<int>(geometry_.vertices.size()); }
    HRESULT GetFaces(IDirect3DRMFaceArray** faces) override;
    HRESULT GenerateNormals() override;
    HRESULT Empty() override;
    HRESULT GetFace(DWORD index, IDirect3DRMFace** face) override;

    // The geometry with its derived data up to date.
    const MeshGeometry& Geometry();
    D3DRMRENDERQUALITY Quality() const { return quality_; }

    // For faces bound to this builder.
    void SetFaceColor(uint32_t face, float red, float green, float blue, float alpha);
    // Replaces the whole geometry (after a successful load).
    void Replace(MeshGeometry geometry);

  private:
    ~MeshBuilderImpl() override = default;
    void Changed() { dirty_ = true; }
    void Prepare();
    HRESULT MakeFaceArray(uint32_t first, uint32_t count, IDirect3DRMFaceArray** faces);

    MeshGeometry geometry_;
    D3DRMRENDERQUALITY quality_ = D3DRMRENDER_GOURAUD;
    bool dirty_ = true;
};

class FaceImpl final : public RmObject<IDirect3DRMFace> {
  public:
    FaceImpl() = default;
    FaceImpl(MeshBuilderImpl* builder, uint32_t index);

    static FaceImpl* From(IDirect3DRMFace* face) { return dynamic_cast<FaceImpl*>(face); }

    HRESULT QueryInterface(REFIID riid, void** object) override {
        return AnswerQuery(riid, object, {IID_IDirect3DRMObject, IID_IDirect3DRMFace});
    }
    HRESULT AddVertex(D3DVALUE x, D3DVALUE y, D3DVALUE z) override;
    int GetVertexCount() override;
    HRESULT GetVertex(DWORD index, D3DVECTOR* vertex, D3DVECTOR* normal) override;
    HRESULT SetColorRGB(D3DVALUE red, D3DVALUE green, D3DVALUE blue) override;
    HRESULT SetColor(D3DCOLOR color) override;
    D3DCOLOR GetColor() override;

    bool IsBound() const { return builder_ != nullptr; }
    const std::vector<Vec3>& Vertices() const { return vertices_; }
    const Material& OwnMaterial() const { return material_; }
    // After the builder took the face over: later calls act on the builder's face.
    void Bind(MeshBuilderImpl* builder, uint32_t index);

  private:
    ~FaceImpl() override;

    MeshBuilderImpl* builder_ = nullptr;  // held once bound
    uint32_t index_ = 0;
    std::vector<Vec3> vertices_;
    Material material_;
};

}  // namespace retained::detail
