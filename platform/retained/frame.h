// A frame of the scene tree: its local transform (frame to parent coordinates), children,
// visuals and lights, each held by one reference, and the scene background of a root.
#pragma once

#include <vector>

#include "platform/retained/maths.h"
#include "platform/retained/object_base.h"

namespace retained::detail {

class LightImpl;
class MeshBuilderImpl;
class ShadowImpl;

struct VisualEntry {
    IDirect3DRMVisual* visual;  // held
    MeshBuilderImpl* mesh;      // exactly one of mesh and shadow is set
    ShadowImpl* shadow;
};

// How many frames deep a tree may grow; far beyond any scene, and it bounds the recursion
// of drawing, picking and releasing.
constexpr int kMaxTreeDepth = 1000;

class FrameImpl final : public RmObject<IDirect3DRMFrame2> {
  public:
    FrameImpl() = default;

    static FrameImpl* From(IDirect3DRMFrame* frame) { return dynamic_cast<FrameImpl*>(frame); }

    HRESULT QueryInterface(REFIID riid, void** object) override;

    HRESULT AddChild(IDirect3DRMFrame* child) override;
    HRESULT DeleteChild(IDirect3DRMFrame* child) override;
    HRESULT GetParent(IDirect3DRMFrame** parent) override;
    HRESULT GetScene(IDirect3DRMFrame** scene) override;
    HRESULT GetChildren(IDirect3DRMFrameArray** children) override;
    HRESULT AddVisual(IDirect3DRMVisual* visual) override;
    HRESULT DeleteVisual(IDirect3DRMVisual* visual) override;
    HRESULT GetVisuals(IDirect3DRMVisualArray** visuals) override;
    HRESULT AddLight(IDirect3DRMLight* light) override;
    HRESULT DeleteLight(IDirect3DRMLight* light) override;
    HRESULT SetPosition(IDirect3DRMFrame* reference, D3DVALUE x, D3DVALUE y, D3DVALUE z) override;
    HRESULT GetPosition(IDirect3DRMFrame* reference, D3DVECTOR* position) override;
    HRESULT SetOrientation(IDirect3DRMFrame* reference, D3DVALUE dx, D3DVALUE dy, D3DVALUE dz,
                           D3DVALUE ux, D3DVALUE uy, D3DVALUE uz) override;
    HRESULT GetOrientation(IDirect3DRMFrame* reference, D3DVECTOR* direction,
                           D3DVECTOR* up) override;
    HRESULT AddRotation(D3DRMCOMBINETYPE combine, D3DVALUE x, D3DVALUE y, D3DVALUE z,
                        D3DVALUE theta) override;
    HRESULT AddTranslation(D3DRMCOMBINETYPE combine, D3DVALUE x, D3DVALUE y, D3DVALUE z) override;
    HRESULT AddScale(D3DRMCOMBINETYPE combine, D3DVALUE sx, D3DVALUE sy, D3DVALUE sz) override;
    HRESULT AddTransform(D3DRMCOMBINETYPE combine, const D3DRMMATRIX4D matrix) override;
    HRESULT GetTransform(D3DRMMATRIX4D matrix) override;
    HRESULT LookAt(IDirect3DRMFrame* target, IDirect3DRMFrame* reference,
                   D3DRMFRAMECONSTRAINT constraint) override;
    HRESULT Transform(D3DVECTOR* destination, const D3DVECTOR* source) override;
    HRESULT InverseTransform(D3DVECTOR* destination, const D3DVECTOR* source) override;
    HRESULT SetSceneBackground(D3DCOLOR color) override;
    HRESULT SetSceneBackgroundRGB(D3DVALUE red, D3DVALUE green, D3DVALUE blue) override;
    D3DCOLOR GetSceneBackground() override { return background_; }

    // For rendering and picking.
    const Matrix4& Local() const { return local_; }
    Matrix4 World() const;
    FrameImpl* Parent() const { return parent_; }
    FrameImpl* Root();
    const std::vector<FrameImpl*>& Children() const { return children_; }
    const std::vector<VisualEntry>& Visuals() const { return visuals_; }
    const std::vector<LightImpl*>& Lights() const { return lights_; }

  private:
    ~FrameImpl() override;

    bool IsAncestorOf(const FrameImpl* frame) const;
    int Depth() const;   // frames from the root down to this one, both included
    int Height() const;  // frames on the longest path down from this one, itself included
    // World transform of a reference frame; null means the scene.
    static Matrix4 ReferenceWorld(IDirect3DRMFrame* reference, bool* valid);
    Matrix4 ParentWorld() const { return parent_ ? parent_->World() : Matrix4::Identity(); }
    HRESULT Combine(D3DRMCOMBINETYPE combine, const Matrix4& matrix);
    void Orient(const Matrix4& referenceWorld, Vec3 direction, Vec3 up);

    FrameImpl* parent_ = nullptr;  // not held: a parent holds its children
    std::vector<FrameImpl*> children_;
    std::vector<VisualEntry> visuals_;
    std::vector<LightImpl*> lights_;
    Matrix4 local_ = Matrix4::Identity();
    D3DCOLOR background_ = 0xFF000000;
};

}  // namespace retained::detail
