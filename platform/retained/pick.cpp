// Pick: a ray through the pixel centre, cast against the front faces of every mesh in the
// camera's scene between the front and back planes. A mesh's box is tested first. The ray's
// parameter is the camera-space depth, which an affine change of space keeps, so hits in
// different meshes compare directly. Shadows are never picked: they live in the caster's
// frame, and a hit on one would be reported as the caster.
#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/retained/arrays.h"
#include "platform/retained/mesh_builder.h"
#include "platform/retained/viewport.h"

namespace retained::detail {
namespace {

struct PickEntry {
    IDirect3DRMVisual* visual;      // held
    IDirect3DRMFrameArray* frames;  // held
    D3DRMPICKDESC description;
    float depth;
};

class PickedArrayImpl final : public ComObject<IDirect3DRMPickedArray> {
  public:
    explicit PickedArrayImpl(std::vector<PickEntry> entries) : entries_(std::move(entries)) {}

    HRESULT QueryInterface(REFIID riid, void** object) override {
        return AnswerQuery(riid, object, {});
    }
    DWORD GetSize() override { return static_cast<DWORD>(entries_.size()); }
    HRESULT GetPick(DWORD index, IDirect3DRMVisual** visual, IDirect3DRMFrameArray** frames,
                    D3DRMPICKDESC* description) override {
        if (visual) *visual = nullptr;
        if (frames) *frames = nullptr;
        HRESULT failure;
        if (InjectedFailure(testing::CallId::GetPick, &failure)) return failure;
        if (index >= entries_.size()) return D3DRMERR_BADVALUE;
        const PickEntry& entry = entries_[index];
        if (visual) HandOut(entry.visual, visual);
        if (frames) HandOut(entry.frames, frames);
        if (description) *description = entry.description;
        return D3DRM_OK;
    }

  private:
    ~PickedArrayImpl() override {
        for (PickEntry& entry : entries_) {
            entry.visual->Release();
            entry.frames->Release();
        }
    }

    std::vector<PickEntry> entries_;
};

// The entry and exit parameters of the ray in the box, within [low, high].
bool RayHitsBox(Vec3 origin, Vec3 direction, Vec3 boxMin, Vec3 boxMax, float low, float high) {
    const float o[3] = {origin.x, origin.y, origin.z};
    const float d[3] = {direction.x, direction.y, direction.z};
    const float lo[3] = {boxMin.x, boxMin.y, boxMin.z};
    const float hi[3] = {boxMax.x, boxMax.y, boxMax.z};
    for (int axis = 0; axis < 3; ++axis) {
        if (std::fabs(d[axis]) < 1e-12f) {
            if (o[axis] < lo[axis] || o[axis] > hi[axis]) return false;
            continue;
        }
        float t0 = (lo[axis] - o[axis]) / d[axis], t1 = (hi[axis] - o[axis]) / d[axis];
        if (t0 > t1) std::swap(t0, t1);
        low = std::max(low, t0);
        high = std::min(high, t1);
        if (low > high) return false;
    }
    return true;
}

// Ray against triangle (both sides); the ray parameter of the hit, or a negative value.
float RayHitsTriangle(Vec3 origin, Vec3 direction, Vec3 a, Vec3 b, Vec3 c) {
    const Vec3 e1 = b - a, e2 = c - a;
    const Vec3 p = Cross(direction, e2);
    const float det = Dot(e1, p);
    if (std::fabs(det) < 1e-12f) return -1;
    const float inverse = 1.0f / det;
    const Vec3 s = origin - a;
    const float u = Dot(s, p) * inverse;
    if (u < 0 || u > 1) return -1;
    const Vec3 q = Cross(s, e1);
    const float v = Dot(direction, q) * inverse;
    if (v < 0 || u + v > 1) return -1;
    return Dot(e2, q) * inverse;
}

class Picker {
  public:
    Picker(const Projection& p, FrameImpl& camera, Vec3 ray, RenderScratch& scratch)
        : p_(p), cameraWorld_(camera.World()), ray_(ray), path_(scratch.framePath) {
        view_ = InverseAffine(cameraWorld_);
    }

    void Walk(FrameImpl& frame, const Matrix4& parentWorld) {
        const Matrix4 world = frame.Local() * parentWorld;
        path_.push_back(&frame);
        for (const VisualEntry& entry : frame.Visuals()) {
            if (entry.mesh) TestMesh(entry, world);
        }
        for (FrameImpl* child : frame.Children())
            Walk(*child, world);
        path_.pop_back();
    }

    std::vector<PickEntry> TakeHits() {
        std::stable_sort(hits_.begin(), hits_.end(),
                         [](const PickEntry& a, const PickEntry& b) { return a.depth < b.depth; });
        return std::move(hits_);
    }

  private:
    void TestMesh(const VisualEntry& entry, const Matrix4& world) {
        const MeshGeometry& g = entry.mesh->Geometry();
        if (g.faces.empty()) return;
        const Matrix4 toModel = InverseAffine(world * view_);
        const Vec3 origin = toModel.Row(3);
        const Vec3 direction = TransformVector(ray_, toModel);
        if (!RayHitsBox(origin, direction, g.boundsMin, g.boundsMax, p_.front, p_.back)) return;

        float best = INFINITY;
        uint32_t bestFace = 0;
        for (size_t f = 0; f < g.faces.size(); ++f) {
            const FaceRecord& face = g.faces[f];
            const uint32_t* corners = &g.cornerVertex[face.firstCorner];
            const Vec3 first = g.vertices[corners[0]];
            if (!(Dot(g.faceNormals[f], first - origin) < 0)) continue;  // back face
            for (uint32_t c = 1; c + 1 < face.cornerCount; ++c) {
                float t = RayHitsTriangle(origin, direction, first, g.vertices[corners[c]],
                                          g.vertices[corners[c + 1]]);
                if (t >= p_.front && t <= p_.back && t < best) {
                    best = t;
                    bestFace = static_cast<uint32_t>(f);
                }
            }
        }
        if (!std::isfinite(best)) return;

        std::vector<IDirect3DRMFrame*> frames(path_.begin(), path_.end());
        PickEntry hit;
        hit.visual = entry.visual;
        hit.visual->AddRef();
        hit.frames = new FrameArray(std::move(frames));
        hit.description.ulFaceIdx = bestFace;
        hit.description.lGroupIdx = 0;
        hit.description.vPosition = ToD3D(TransformPoint(ray_ * best, cameraWorld_));
        hit.depth = best;
        hits_.push_back(hit);
    }

    const Projection& p_;
    Matrix4 cameraWorld_, view_;
    Vec3 ray_;  // camera space, z = 1, so the parameter is the depth
    std::vector<FrameImpl*>& path_;
    std::vector<PickEntry> hits_;
};

}  // namespace

HRESULT PickScene(DeviceImpl& device, const Projection& p, FrameImpl& camera, LONG x, LONG y,
                  IDirect3DRMPickedArray** picked) {
    std::vector<PickEntry> hits;
    if (x >= p.left && x < p.right && y >= p.top && y < p.bottom) {
        const float k = p.field / p.front;
        const float xn = (static_cast<float>(x) + 0.5f - p.centerX) / p.scaleX;
        const float yn = (p.centerY - (static_cast<float>(y) + 0.5f)) / p.scaleY;
        Picker picker(p, camera, Vec3{xn * k, yn * k, 1.0f}, device.Scratch());
        device.Scratch().framePath.clear();
        FrameImpl* scene = camera.Root();
        picker.Walk(*scene, Matrix4::Identity());
        hits = picker.TakeHits();
    }
    *picked = new PickedArrayImpl(std::move(hits));
    return D3DRM_OK;
}

}  // namespace retained::detail
