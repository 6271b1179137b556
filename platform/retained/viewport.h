// The viewport: a rectangle of a device seen through a camera frame, with the front and back
// clipping distances and the field (half the view window on the front plane, along the
// larger side). It holds its device and its camera.
#pragma once

#include "platform/retained/device.h"
#include "platform/retained/frame.h"
#include "platform/retained/object_base.h"

namespace retained::detail {

// How camera space maps to pixels for one viewport.
struct Projection {
    float front, back, field;
    float centerX, centerY;        // pixel coordinates of the view axis
    float scaleX, scaleY;          // pixels per unit of the normalised plane
    int left, top, right, bottom;  // the viewport's pixels: [left, right) x [top, bottom)

    // Pixel position of a camera-space point in front of the camera.
    float ScreenX(Vec3 p) const { return centerX + scaleX * (front * p.x / (field * p.z)); }
    float ScreenY(Vec3 p) const { return centerY - scaleY * (front * p.y / (field * p.z)); }
    // Grows with z from 0 on the front plane to 1 on the back plane.
    float Depth(float z) const { return back * (z - front) / ((back - front) * z); }
};

class ViewportImpl final : public RmObject<IDirect3DRMViewport> {
  public:
    ViewportImpl(DeviceImpl* device, FrameImpl* camera, int x, int y, int width, int height);

    HRESULT QueryInterface(REFIID riid, void** object) override {
        return AnswerQuery(riid, object, {IID_IDirect3DRMObject, IID_IDirect3DRMViewport});
    }
    HRESULT SetFront(D3DVALUE front) override;
    HRESULT SetBack(D3DVALUE back) override;
    HRESULT SetField(D3DVALUE field) override;
    D3DVALUE GetFront() override { return front_; }
    D3DVALUE GetBack() override { return back_; }
    D3DVALUE GetField() override { return field_; }
    HRESULT SetUniformScaling(BOOL uniform) override {
        uniform_ = uniform;
        return D3DRM_OK;
    }
    BOOL GetUniformScaling() override { return uniform_; }
    LONG GetX() override { return x_; }
    LONG GetY() override { return y_; }
    DWORD GetWidth() override { return static_cast<DWORD>(width_); }
    DWORD GetHeight() override { return static_cast<DWORD>(height_); }
    HRESULT GetCamera(IDirect3DRMFrame** camera) override;
    HRESULT GetDevice(IDirect3DRMDevice** device) override;
    HRESULT Clear() override;
    HRESULT Render(IDirect3DRMFrame* frame) override;
    HRESULT Pick(LONG x, LONG y, IDirect3DRMPickedArray** picked) override;
    HRESULT Transform(D3DVECTOR* screen, const D3DVECTOR* world) override;

    Projection MakeProjection() const;

  private:
    ~ViewportImpl() override;

    DeviceImpl* device_;  // held
    FrameImpl* camera_;   // held
    int x_, y_, width_, height_;
    float front_ = 1.0f, back_ = 100.0f, field_ = 0.5f;
    BOOL uniform_ = TRUE;
};

// Draws the hierarchy under scene, seen from camera, into the device's buffers.
void RenderScene(DeviceImpl& device, const Projection& projection, FrameImpl& camera,
                 FrameImpl& scene);

// Every visual under the pixel centre (x + 0.5, y + 0.5), nearest first.
HRESULT PickScene(DeviceImpl& device, const Projection& projection, FrameImpl& camera, LONG x,
                  LONG y, IDirect3DRMPickedArray** picked);

}  // namespace retained::detail
