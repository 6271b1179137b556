// The frame tree and its placement calls. Positions and orientations given relative to a
// reference frame are converted into the frame's local transform through the world
// transforms of the reference and of the parent (row vectors, translation in row 3).
#include "platform/retained/frame.h"

#include <algorithm>

#include "platform/retained/arrays.h"
#include "platform/retained/light.h"
#include "platform/retained/mesh_builder.h"
#include "platform/retained/shadow.h"

namespace retained::detail {
namespace {

using testing::CallId;

bool ValidCombine(D3DRMCOMBINETYPE combine) {
    return combine == D3DRMCOMBINE_REPLACE || combine == D3DRMCOMBINE_BEFORE ||
           combine == D3DRMCOMBINE_AFTER;
}

bool Finite(std::initializer_list<float> values) {
    for (float v : values) {
        if (!std::isfinite(v)) return false;
    }
    return true;
}

}  // namespace

FrameImpl::~FrameImpl() {
    // A released parent lets go of its children; one still held elsewhere becomes a root.
    for (FrameImpl* child : children_) {
        child->parent_ = nullptr;
        child->Release();
    }
    for (VisualEntry& entry : visuals_)
        entry.visual->Release();
    for (LightImpl* light : lights_) {
        light->DetachFrom(this);
        light->Release();
    }
}

HRESULT FrameImpl::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(riid, object,
                       {IID_IDirect3DRMObject, IID_IDirect3DRMVisual, IID_IDirect3DRMFrame,
                        IID_IDirect3DRMFrame2});
}

Matrix4 FrameImpl::World() const {
    Matrix4 world = local_;
    for (const FrameImpl* up = parent_; up; up = up->parent_)
        world = world * up->local_;
    return world;
}

FrameImpl* FrameImpl::Root() {
    FrameImpl* root = this;
    while (root->parent_)
        root = root->parent_;
    return root;
}

int FrameImpl::Depth() const {
    int depth = 1;
    for (const FrameImpl* up = parent_; up; up = up->parent_)
        ++depth;
    return depth;
}

int FrameImpl::Height() const {
    int height = 0;
    for (const FrameImpl* child : children_)
        height = std::max(height, child->Height());
    return height + 1;
}

bool FrameImpl::IsAncestorOf(const FrameImpl* frame) const {
    for (const FrameImpl* up = frame; up; up = up->parent_) {
        if (up == this) return true;
    }
    return false;
}

Matrix4 FrameImpl::ReferenceWorld(IDirect3DRMFrame* reference, bool* valid) {
    *valid = true;
    if (!reference) return Matrix4::Identity();
    FrameImpl* frame = From(reference);
    if (!frame) {
        *valid = false;
        return Matrix4::Identity();
    }
    return frame->World();
}

// ---- Tree ----------------------------------------------------------------------------------

HRESULT FrameImpl::AddChild(IDirect3DRMFrame* child) {
    FrameImpl* frame = From(child);
    if (!frame) return D3DRMERR_BADOBJECT;
    // A frame cannot hold itself or one of its ancestors: the tree would become a cycle.
    if (frame->IsAncestorOf(this)) return D3DRMERR_BADVALUE;
    if (frame->parent_ == this) return D3DRM_OK;
    // Drawing, picking and releasing walk the tree recursively: keep it shallow enough.
    if (Depth() + frame->Height() > kMaxTreeDepth) return D3DRMERR_BADVALUE;
    frame->AddRef();
    if (FrameImpl* old = frame->parent_) {
        auto& siblings = old->children_;
        siblings.erase(std::find(siblings.begin(), siblings.end(), frame));
        frame->parent_ = nullptr;
        frame->Release();
    }
    frame->parent_ = this;
    children_.push_back(frame);
    return D3DRM_OK;
}

HRESULT FrameImpl::DeleteChild(IDirect3DRMFrame* child) {
    FrameImpl* frame = From(child);
    if (!frame) return D3DRMERR_BADOBJECT;
    auto it = std::find(children_.begin(), children_.end(), frame);
    if (it == children_.end()) return D3DRMERR_BADVALUE;
    children_.erase(it);
    frame->parent_ = nullptr;
    frame->Release();
    return D3DRM_OK;
}

HRESULT FrameImpl::GetParent(IDirect3DRMFrame** parent) {
    if (!parent) return D3DRMERR_BADVALUE;
    return HandOut(static_cast<IDirect3DRMFrame*>(parent_), parent);
}

HRESULT FrameImpl::GetScene(IDirect3DRMFrame** scene) {
    if (!scene) return D3DRMERR_BADVALUE;
    return HandOut(static_cast<IDirect3DRMFrame*>(Root()), scene);
}

HRESULT FrameImpl::GetChildren(IDirect3DRMFrameArray** children) {
    if (!children) return D3DRMERR_BADVALUE;
    *children = nullptr;
    std::vector<IDirect3DRMFrame*> items(children_.begin(), children_.end());
    *children = new FrameArray(std::move(items));
    return D3DRM_OK;
}

// ---- Visuals and lights ---------------------------------------------------------------------

HRESULT FrameImpl::AddVisual(IDirect3DRMVisual* visual) {
    if (!visual) return D3DRMERR_BADOBJECT;
    HRESULT failure;
    if (InjectedFailure(CallId::AddVisual, &failure)) return failure;
    for (const VisualEntry& entry : visuals_) {
        if (entry.visual == visual) return D3DRM_OK;
    }
    VisualEntry entry{visual, MeshBuilderImpl::From(visual), ShadowImpl::From(visual)};
    // Only shapes can be shown: mesh builders and shadows.
    if (!entry.mesh && !entry.shadow) return D3DRMERR_BADTYPE;
    visual->AddRef();
    visuals_.push_back(entry);
    return D3DRM_OK;
}

HRESULT FrameImpl::DeleteVisual(IDirect3DRMVisual* visual) {
    if (!visual) return D3DRMERR_BADOBJECT;
    auto it = std::find_if(visuals_.begin(), visuals_.end(),
                           [visual](const VisualEntry& e) { return e.visual == visual; });
    if (it == visuals_.end()) return D3DRMERR_BADVALUE;
    IDirect3DRMVisual* held = it->visual;
    visuals_.erase(it);
    held->Release();
    return D3DRM_OK;
}

HRESULT FrameImpl::GetVisuals(IDirect3DRMVisualArray** visuals) {
    if (!visuals) return D3DRMERR_BADVALUE;
    *visuals = nullptr;
    HRESULT failure;
    if (InjectedFailure(CallId::GetVisuals, &failure)) return failure;
    std::vector<IDirect3DRMVisual*> items;
    items.reserve(visuals_.size());
    for (const VisualEntry& entry : visuals_)
        items.push_back(entry.visual);
    *visuals = new VisualArray(std::move(items));
    return D3DRM_OK;
}

HRESULT FrameImpl::AddLight(IDirect3DRMLight* light) {
    LightImpl* impl = LightImpl::From(light);
    if (!impl) return D3DRMERR_BADOBJECT;
    HRESULT failure;
    if (InjectedFailure(CallId::AddLight, &failure)) return failure;
    if (std::find(lights_.begin(), lights_.end(), impl) != lights_.end()) return D3DRM_OK;
    impl->AddRef();
    impl->AttachTo(this);
    lights_.push_back(impl);
    return D3DRM_OK;
}

HRESULT FrameImpl::DeleteLight(IDirect3DRMLight* light) {
    LightImpl* impl = LightImpl::From(light);
    if (!impl) return D3DRMERR_BADOBJECT;
    auto it = std::find(lights_.begin(), lights_.end(), impl);
    if (it == lights_.end()) return D3DRMERR_BADVALUE;
    lights_.erase(it);
    impl->DetachFrom(this);
    impl->Release();
    return D3DRM_OK;
}

// ---- Placement -------------------------------------------------------------------------------

HRESULT FrameImpl::SetPosition(IDirect3DRMFrame* reference, D3DVALUE x, D3DVALUE y, D3DVALUE z) {
    HRESULT failure;
    if (InjectedFailure(CallId::SetPosition, &failure)) return failure;
    if (!Finite({x, y, z})) return D3DRMERR_BADVALUE;
    bool valid;
    Matrix4 referenceWorld = ReferenceWorld(reference, &valid);
    if (!valid) return D3DRMERR_BADOBJECT;
    Vec3 world = TransformPoint({x, y, z}, referenceWorld);
    local_.SetRow(3, TransformPoint(world, InverseAffine(ParentWorld())));
    return D3DRM_OK;
}

HRESULT FrameImpl::GetPosition(IDirect3DRMFrame* reference, D3DVECTOR* position) {
    if (!position) return D3DRMERR_BADVALUE;
    HRESULT failure;
    if (InjectedFailure(CallId::GetPosition, &failure)) return failure;
    bool valid;
    Matrix4 referenceWorld = ReferenceWorld(reference, &valid);
    if (!valid) return D3DRMERR_BADOBJECT;
    Vec3 world = World().Row(3);
    *position = ToD3D(TransformPoint(world, InverseAffine(referenceWorld)));
    return D3DRM_OK;
}

void FrameImpl::Orient(const Matrix4& referenceWorld, Vec3 direction, Vec3 up) {
    Vec3 z = Normalize(direction);
    Vec3 y = Normalize(up - z * Dot(up, z));
    Vec3 x = Cross(y, z);
    Matrix4 rotation = Matrix4::FromAxes(x, y, z, {});
    Matrix4 local =
        rotation * LinearPart(referenceWorld) * LinearPart(InverseAffine(ParentWorld()));
    local.SetRow(3, local_.Row(3));
    local_ = local;
}

HRESULT FrameImpl::SetOrientation(IDirect3DRMFrame* reference, D3DVALUE dx, D3DVALUE dy,
                                  D3DVALUE dz, D3DVALUE ux, D3DVALUE uy, D3DVALUE uz) {
    HRESULT failure;
    if (InjectedFailure(CallId::SetOrientation, &failure)) return failure;
    if (!Finite({dx, dy, dz, ux, uy, uz})) return D3DRMERR_BADVALUE;
    Vec3 direction{dx, dy, dz}, up{ux, uy, uz};
    float dl = Length(direction), ul = Length(up);
    if (dl == 0 || ul == 0) return D3DRMERR_BADVALUE;
    // Up parallel to the direction leaves the frame's y axis undefined.
    if (Length(Cross(direction * (1 / dl), up * (1 / ul))) < 1e-6f) return D3DRMERR_BADVALUE;
    bool valid;
    Matrix4 referenceWorld = ReferenceWorld(reference, &valid);
    if (!valid) return D3DRMERR_BADOBJECT;
    Orient(referenceWorld, direction, up);
    return D3DRM_OK;
}

HRESULT FrameImpl::GetOrientation(IDirect3DRMFrame* reference, D3DVECTOR* direction,
                                  D3DVECTOR* up) {
    if (!direction || !up) return D3DRMERR_BADVALUE;
    bool valid;
    Matrix4 referenceWorld = ReferenceWorld(reference, &valid);
    if (!valid) return D3DRMERR_BADOBJECT;
    Matrix4 relative = LinearPart(World()) * LinearPart(InverseAffine(referenceWorld));
    *direction = ToD3D(Normalize(relative.Row(2)));
    *up = ToD3D(Normalize(relative.Row(1)));
    return D3DRM_OK;
}

HRESULT FrameImpl::Combine(D3DRMCOMBINETYPE combine, const Matrix4& matrix) {
    switch (combine) {
        case D3DRMCOMBINE_REPLACE:
            local_ = matrix;
            break;
        case D3DRMCOMBINE_BEFORE:  // acts first, in the frame's own coordinates
            local_ = matrix * local_;
            break;
        case D3DRMCOMBINE_AFTER:  // acts in the parent's coordinates
            local_ = local_ * matrix;
            break;
        default:
            return D3DRMERR_BADVALUE;
    }
    return D3DRM_OK;
}

HRESULT FrameImpl::AddRotation(D3DRMCOMBINETYPE combine, D3DVALUE x, D3DVALUE y, D3DVALUE z,
                               D3DVALUE theta) {
    HRESULT failure;
    if (InjectedFailure(CallId::AddRotation, &failure)) return failure;
    if (!ValidCombine(combine) || !Finite({x, y, z, theta})) return D3DRMERR_BADVALUE;
    Vec3 axis{x, y, z};
    if (Length(axis) == 0) return D3DRMERR_BADVALUE;
    return Combine(combine, Matrix4::Rotation(Normalize(axis), theta));
}

HRESULT FrameImpl::AddTranslation(D3DRMCOMBINETYPE combine, D3DVALUE x, D3DVALUE y, D3DVALUE z) {
    if (!ValidCombine(combine) || !Finite({x, y, z})) return D3DRMERR_BADVALUE;
    return Combine(combine, Matrix4::Translation({x, y, z}));
}

HRESULT FrameImpl::AddScale(D3DRMCOMBINETYPE combine, D3DVALUE sx, D3DVALUE sy, D3DVALUE sz) {
    if (!ValidCombine(combine) || !Finite({sx, sy, sz})) return D3DRMERR_BADVALUE;
    return Combine(combine, Matrix4::Scale({sx, sy, sz}));
}

HRESULT FrameImpl::AddTransform(D3DRMCOMBINETYPE combine, const D3DRMMATRIX4D matrix) {
    if (!matrix || !ValidCombine(combine)) return D3DRMERR_BADVALUE;
    if (matrix[0][3] != 0 || matrix[1][3] != 0 || matrix[2][3] != 0 || matrix[3][3] != 1) {
        return D3DRMERR_BADVALUE;
    }
    Matrix4 m;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            if (!std::isfinite(matrix[i][j])) return D3DRMERR_BADVALUE;
            m.m[i][j] = matrix[i][j];
        }
    }
    return Combine(combine, m);
}

HRESULT FrameImpl::GetTransform(D3DRMMATRIX4D matrix) {
    if (!matrix) return D3DRMERR_BADVALUE;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j)
            matrix[i][j] = local_.m[i][j];
    }
    return D3DRM_OK;
}

HRESULT FrameImpl::LookAt(IDirect3DRMFrame* target, IDirect3DRMFrame* reference,
                          D3DRMFRAMECONSTRAINT constraint) {
    HRESULT failure;
    if (InjectedFailure(CallId::LookAt, &failure)) return failure;
    FrameImpl* aim = From(target);
    if (!aim) return D3DRMERR_BADOBJECT;
    if (constraint > D3DRMCONSTRAIN_X) return D3DRMERR_BADVALUE;
    bool valid;
    Matrix4 referenceWorld = ReferenceWorld(reference, &valid);
    if (!valid) return D3DRMERR_BADOBJECT;
    Matrix4 toReference = InverseAffine(referenceWorld);
    Vec3 self = TransformPoint(World().Row(3), toReference);
    Vec3 other = TransformPoint(aim->World().Row(3), toReference);
    Vec3 d = Normalize(other - self);
    if (Length(d) == 0) return D3DRM_OK;  // the target sits on the frame: nothing to face

    // The constrained axis decides the up vector. CONSTRAIN_Y leans up toward -Z of the
    // reference, which in the game's left-handed scene is "up" away from the board.
    Vec3 up;
    switch (constraint) {
        case D3DRMCONSTRAIN_Z: {
            Vec3 w{0, 1, 0};
            up = w - d * Dot(w, d);
            break;
        }
        case D3DRMCONSTRAIN_Y: {
            Vec3 w{0, 0, -1};
            up = w - d * Dot(w, d);
            break;
        }
        default:  // CONSTRAIN_X: the y axis stays perpendicular to the reference z axis
            up = Cross({0, 0, 1}, d);
            break;
    }
    if (Length(up) < 1e-6f) return D3DRM_OK;  // looking along the reference axis: keep as is
    Orient(referenceWorld, d, up);
    return D3DRM_OK;
}

HRESULT FrameImpl::Transform(D3DVECTOR* destination, const D3DVECTOR* source) {
    if (!destination || !source) return D3DRMERR_BADVALUE;
    *destination = ToD3D(TransformPoint(ToVec3(*source), World()));
    return D3DRM_OK;
}

HRESULT FrameImpl::InverseTransform(D3DVECTOR* destination, const D3DVECTOR* source) {
    if (!destination || !source) return D3DRMERR_BADVALUE;
    *destination = ToD3D(TransformPoint(ToVec3(*source), InverseAffine(World())));
    return D3DRM_OK;
}

HRESULT FrameImpl::SetSceneBackground(D3DCOLOR color) {
    background_ = color;
    return D3DRM_OK;
}

HRESULT FrameImpl::SetSceneBackgroundRGB(D3DVALUE red, D3DVALUE green, D3DVALUE blue) {
    background_ = D3DRMCreateColorRGB(red, green, blue);
    return D3DRM_OK;
}

}  // namespace retained::detail
