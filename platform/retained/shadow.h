// A shadow visual: the caster's shape projected along its light onto a plane given in scene
// coordinates, drawn flat black. It holds its caster and its light; it is never picked.
#pragma once

#include "platform/retained/light.h"
#include "platform/retained/maths.h"
#include "platform/retained/mesh_builder.h"
#include "platform/retained/object_base.h"

namespace retained::detail {

class ShadowImpl final : public RmObject<IDirect3DRMVisual> {
  public:
    ShadowImpl(MeshBuilderImpl* caster, LightImpl* light, Vec3 point, Vec3 normal)
        : caster_(caster), light_(light), point_(point), normal_(normal) {
        caster_->AddRef();
        light_->AddRef();
    }

    static ShadowImpl* From(IUnknown* object) { return dynamic_cast<ShadowImpl*>(object); }

    HRESULT QueryInterface(REFIID riid, void** object) override {
        return AnswerQuery(riid, object, {IID_IDirect3DRMObject, IID_IDirect3DRMVisual});
    }

    MeshBuilderImpl* Caster() const { return caster_; }
    LightImpl* Light() const { return light_; }
    Vec3 Point() const { return point_; }
    Vec3 Normal() const { return normal_; }  // unit

  private:
    ~ShadowImpl() override {
        caster_->Release();
        light_->Release();
    }

    MeshBuilderImpl* caster_;
    LightImpl* light_;
    Vec3 point_;
    Vec3 normal_;
};

}  // namespace retained::detail
