// The viewport's settings, Clear, and the entry points of rendering and pick.
#include "platform/retained/viewport.h"

#include <algorithm>
#include <cmath>

namespace retained::detail {

using testing::CallId;

ViewportImpl::ViewportImpl(DeviceImpl* device, FrameImpl* camera, int x, int y, int width,
                           int height)
    : device_(device), camera_(camera), x_(x), y_(y), width_(width), height_(height) {
    device_->AddRef();
    camera_->AddRef();
}

ViewportImpl::~ViewportImpl() {
    camera_->Release();
    device_->Release();
}

HRESULT ViewportImpl::SetFront(D3DVALUE front) {
    // The front plane must lie before the back plane.
    if (!(front > 0) || !std::isfinite(front) || front >= back_) return D3DRMERR_BADVALUE;
    front_ = front;
    return D3DRM_OK;
}

HRESULT ViewportImpl::SetBack(D3DVALUE back) {
    if (!(back > front_) || !std::isfinite(back)) return D3DRMERR_BADVALUE;
    back_ = back;
    return D3DRM_OK;
}

HRESULT ViewportImpl::SetField(D3DVALUE field) {
    if (!(field > 0) || !std::isfinite(field)) return D3DRMERR_BADVALUE;
    field_ = field;
    return D3DRM_OK;
}

HRESULT ViewportImpl::GetCamera(IDirect3DRMFrame** camera) {
    if (!camera) return D3DRMERR_BADVALUE;
    return HandOut(static_cast<IDirect3DRMFrame*>(camera_), camera);
}

HRESULT ViewportImpl::GetDevice(IDirect3DRMDevice** device) {
    if (!device) return D3DRMERR_BADVALUE;
    return HandOut(static_cast<IDirect3DRMDevice*>(device_), device);
}

Projection ViewportImpl::MakeProjection() const {
    Projection p;
    p.front = front_;
    p.back = back_;
    p.field = field_;
    p.centerX = static_cast<float>(x_) + width_ * 0.5f;
    p.centerY = static_cast<float>(y_) + height_ * 0.5f;
    // The field spans the larger side; both axes share its scale.
    float larger = static_cast<float>(std::max(width_, height_)) * 0.5f;
    p.scaleX = uniform_ ? larger : width_ * 0.5f;
    p.scaleY = uniform_ ? larger : height_ * 0.5f;
    p.left = x_;
    p.top = y_;
    p.right = x_ + width_;
    p.bottom = y_ + height_;
    return p;
}

HRESULT ViewportImpl::Clear() {
    HRESULT failure;
    if (InjectedFailure(CallId::Clear, &failure)) return failure;
    const uint32_t background = camera_->Root()->GetSceneBackground() & 0x00FFFFFFu;
    const int stride = device_->Width();
    uint32_t* pixels = device_->Pixels();
    float* depth = device_->Depth();
    for (int row = y_; row < y_ + height_; ++row) {
        std::fill_n(pixels + static_cast<size_t>(row) * stride + x_, width_, background);
        std::fill_n(depth + static_cast<size_t>(row) * stride + x_, width_, 1.0f);
    }
    return D3DRM_OK;
}

HRESULT ViewportImpl::Render(IDirect3DRMFrame* frame) {
    HRESULT failure;
    if (InjectedFailure(CallId::Render, &failure)) return failure;
    FrameImpl* scene = FrameImpl::From(frame);
    if (!scene) return D3DRMERR_BADOBJECT;
    RenderScene(*device_, MakeProjection(), *camera_, *scene);
    return D3DRM_OK;
}

HRESULT ViewportImpl::Pick(LONG x, LONG y, IDirect3DRMPickedArray** picked) {
    if (!picked) return D3DRMERR_BADVALUE;
    *picked = nullptr;
    HRESULT failure;
    if (InjectedFailure(CallId::Pick, &failure)) return failure;
    return PickScene(*device_, MakeProjection(), *camera_, x, y, picked);
}

HRESULT ViewportImpl::Transform(D3DVECTOR* screen, const D3DVECTOR* world) {
    if (!screen || !world) return D3DRMERR_BADVALUE;
    Projection p = MakeProjection();
    Vec3 c = TransformPoint(ToVec3(*world), InverseAffine(camera_->World()));
    if (c.z <= 0) return D3DRMERR_BADVALUE;  // behind the camera: no pixel
    *screen = {p.ScreenX(c), p.ScreenY(c), p.Depth(c.z)};
    return D3DRM_OK;
}

}  // namespace retained::detail
