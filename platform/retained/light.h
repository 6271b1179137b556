// A light: ambient, directional, point or spot, with an RGB colour whose channels may exceed
// 1. A light remembers the frames that carry it, so a shadow can find its direction.
#pragma once

#include <algorithm>
#include <vector>

#include "platform/retained/maths.h"
#include "platform/retained/object_base.h"

namespace retained::detail {

class FrameImpl;

class LightImpl final : public RmObject<IDirect3DRMLight> {
  public:
    LightImpl(D3DRMLIGHTTYPE type, float red, float green, float blue)
        : type_(type), color_{red, green, blue} {}

    static LightImpl* From(IDirect3DRMLight* light) { return dynamic_cast<LightImpl*>(light); }

    HRESULT QueryInterface(REFIID riid, void** object) override {
        return AnswerQuery(riid, object, {IID_IDirect3DRMObject, IID_IDirect3DRMLight});
    }
    HRESULT SetType(D3DRMLIGHTTYPE type) override;
    D3DRMLIGHTTYPE GetType() override { return type_; }
    HRESULT SetColorRGB(D3DVALUE red, D3DVALUE green, D3DVALUE blue) override;
    HRESULT SetColor(D3DCOLOR color) override;
    D3DCOLOR GetColor() override;

    Vec3 Color() const { return color_; }
    D3DRMLIGHTTYPE Type() const { return type_; }
    void AttachTo(FrameImpl* frame) { frames_.push_back(frame); }
    void DetachFrom(FrameImpl* frame) {
        auto it = std::find(frames_.begin(), frames_.end(), frame);
        if (it != frames_.end()) frames_.erase(it);
    }
    // The first frame carrying the light, or null.
    FrameImpl* Frame() const { return frames_.empty() ? nullptr : frames_.front(); }

  private:
    D3DRMLIGHTTYPE type_;
    Vec3 color_;
    std::vector<FrameImpl*> frames_;  // not held: a frame holds its lights, not the reverse
};

bool IsKnownLightType(D3DRMLIGHTTYPE type);

}  // namespace retained::detail
