// The software device: buffers, settings, presentation.
#include "platform/retained/device.h"

#include <utility>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace retained::detail {

DeviceImpl::DeviceImpl(ClipperImpl* clipper, D3DCOLORMODEL colorModel, int width, int height)
    : clipper_(clipper),
      colorModel_(colorModel),
      width_(width),
      height_(height),
      back_(static_cast<size_t>(width) * height, 0),
      front_(static_cast<size_t>(width) * height, 0),
      depth_(static_cast<size_t>(width) * height, 1.0f) {
    clipper_->AddRef();
}

DeviceImpl::~DeviceImpl() {
    clipper_->Release();
    GiveBackMemory();
}

void DeviceImpl::GiveBackMemory() {
    std::vector<uint32_t>().swap(back_);
    std::vector<uint32_t>().swap(front_);
    std::vector<float>().swap(depth_);
    scratch_ = RenderScratch{};
#if defined(__GLIBC__)
    // A device is re-made at every step of a window resize. Once a big block has been freed,
    // glibc serves blocks up to that size from the heap instead of mapping them, and a heap
    // does not shrink past a block still in use: the buffers of the largest size met would
    // stay resident after the window shrinks. Hand the free pages back.
    malloc_trim(0);
#endif
}

HRESULT DeviceImpl::QueryInterface(REFIID riid, void** object) {
    if (object && riid == IID_IDirect3DRMWinDevice) {
        *object = nullptr;
        HRESULT failure;
        if (InjectedFailure(testing::CallId::QueryInterfaceWinDevice, &failure)) return failure;
        *object = static_cast<IDirect3DRMWinDevice*>(new WinDeviceImpl(this));
        return S_OK;
    }
    return AnswerQuery(riid, object,
                       {IID_IDirect3DRMObject, IID_IDirect3DRMDevice, IID_IDirect3DRMDevice2});
}

HRESULT DeviceImpl::SetQuality(D3DRMRENDERQUALITY quality) {
    if ((quality & ~(D3DRMSHADE_MASK | D3DRMLIGHT_MASK | D3DRMFILL_MASK)) != 0 ||
        (quality & D3DRMSHADE_MASK) > D3DRMSHADE_PHONG ||
        (quality & D3DRMLIGHT_MASK) > D3DRMLIGHT_ON ||
        (quality & D3DRMFILL_MASK) > D3DRMFILL_SOLID) {
        return D3DRMERR_BADVALUE;
    }
    quality_ = quality;
    return D3DRM_OK;
}

HRESULT DeviceImpl::SetShades(DWORD shades) {
    if (shades == 0 || shades > 65536) return D3DRMERR_BADVALUE;
    shades_ = shades;
    return D3DRM_OK;
}

HRESULT DeviceImpl::Update() {
    HRESULT failure;
    if (InjectedFailure(testing::CallId::Update, &failure)) return failure;
    std::swap(front_, back_);
    presented_ = true;
    PresentAgain();
    return D3DRM_OK;
}

void DeviceImpl::PresentAgain() {
    if (!presented_) return;
    if (platform::PresentTarget* target = clipper_->Target()) {
        target->Present(front_.data(), width_, height_, width_);
    }
}

HRESULT WinDeviceImpl::HandlePaint(void*) {
    device_->PresentAgain();
    return D3DRM_OK;
}

}  // namespace retained::detail
