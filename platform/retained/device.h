// The clipper, the software device and its window-message tear-off. A device owns a 32-bit
// frame buffer (0x00RRGGBB) and a depth buffer of its size; Update swaps the finished image
// to the front and hands it to the clipper's present target.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/retained/ddraw.h"
#include "platform/retained/object_base.h"
#include "platform/retained/render_scratch.h"

namespace retained::detail {

class ClipperImpl final : public ComObject<IDirectDrawClipper> {
  public:
    ClipperImpl() = default;
    static ClipperImpl* From(IDirectDrawClipper* c) { return dynamic_cast<ClipperImpl*>(c); }

    HRESULT QueryInterface(REFIID riid, void** object) override {
        return AnswerQuery(riid, object, {IID_IDirectDrawClipper});
    }
    HRESULT SetHWnd(DWORD flags, platform::PresentTarget* target) override;
    HRESULT GetHWnd(platform::PresentTarget** target) override;
    platform::PresentTarget* Target() const { return target_; }

  private:
    ~ClipperImpl() override = default;
    platform::PresentTarget* target_ = nullptr;  // not owned: the window's target
};

// Largest device accepted: beyond an 8K screen, and a bound on what a bad size can cost
// (three buffers of four bytes a pixel, about 480 MB at the limit). Memory is handed out
// lazily, so a failed allocation cannot be relied on to catch an absurd size.
constexpr int kMaxDeviceSide = 16384;
constexpr int64_t kMaxDevicePixels = int64_t{40} * 1000 * 1000;

class DeviceImpl final : public RmObject<IDirect3DRMDevice2> {
  public:
    // Throws std::bad_alloc when the buffers cannot be had.
    DeviceImpl(ClipperImpl* clipper, D3DCOLORMODEL colorModel, int width, int height);
    static DeviceImpl* From(IDirect3DRMDevice* d) { return dynamic_cast<DeviceImpl*>(d); }

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT SetQuality(D3DRMRENDERQUALITY quality) override;
    D3DRMRENDERQUALITY GetQuality() override { return quality_; }
    HRESULT SetDither(BOOL dither) override {
        dither_ = dither;
        return D3DRM_OK;
    }
    BOOL GetDither() override { return dither_; }
    HRESULT SetShades(DWORD shades) override;
    DWORD GetShades() override { return shades_; }
    DWORD GetWidth() override { return static_cast<DWORD>(width_); }
    DWORD GetHeight() override { return static_cast<DWORD>(height_); }
    D3DCOLORMODEL GetColorModel() override { return colorModel_; }
    HRESULT Update() override;

    // Shows the last presented image again (for a window that needs repainting).
    void PresentAgain();

    int Width() const { return width_; }
    int Height() const { return height_; }
    uint32_t* Pixels() { return back_.data(); }  // the image being drawn
    float* Depth() { return depth_.data(); }
    const uint32_t* FrontPixels() const { return front_.data(); }  // the last presented one
    RenderScratch& Scratch() { return scratch_; }
    D3DCOLORMODEL ColorModel() const { return colorModel_; }

  private:
    ~DeviceImpl() override;
    // Frees the buffers now and returns the freed pages to the system.
    void GiveBackMemory();

    ClipperImpl* clipper_;  // held
    D3DCOLORMODEL colorModel_;
    int width_, height_;
    std::vector<uint32_t> back_, front_;
    std::vector<float> depth_;
    bool presented_ = false;
    D3DRMRENDERQUALITY quality_ = D3DRMRENDER_FLAT;
    BOOL dither_ = TRUE;
    DWORD shades_ = 32;
    RenderScratch scratch_;
};

class WinDeviceImpl final : public RmObject<IDirect3DRMWinDevice> {
  public:
    explicit WinDeviceImpl(DeviceImpl* device) : device_(device) { device_->AddRef(); }

    HRESULT QueryInterface(REFIID riid, void** object) override {
        return AnswerQuery(riid, object, {IID_IDirect3DRMObject, IID_IDirect3DRMWinDevice});
    }
    HRESULT HandlePaint(void* hdc) override;
    // Palettes do not exist on a 32-bit target: nothing to realise again.
    HRESULT HandleActivate(WORD) override { return D3DRM_OK; }

  private:
    ~WinDeviceImpl() override { device_->Release(); }
    DeviceImpl* device_;
};

}  // namespace retained::detail
