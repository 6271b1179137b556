// DirectDraw: the clipper, the DirectDraw object and its Direct3D interface, whose device
// search knows one software device in the ramp (MONO) and RGB colour models.
#include <cstring>

#include "platform/retained/device.h"

namespace retained {
namespace detail {
namespace {

using testing::CallId;

class Direct3DImpl final : public ComObject<IDirect3D> {
  public:
    explicit Direct3DImpl(IDirectDraw* owner) : owner_(owner) { owner_->AddRef(); }

    HRESULT QueryInterface(REFIID riid, void** object) override {
        return AnswerQuery(riid, object, {IID_IDirect3D});
    }

    HRESULT FindDevice(D3DFINDDEVICESEARCH* search, D3DFINDDEVICERESULT* result) override {
        HRESULT failure;
        if (InjectedFailure(CallId::FindDevice, &failure)) return failure;
        if (!search || !result || search->dwSize != sizeof(D3DFINDDEVICESEARCH) ||
            result->dwSize != sizeof(D3DFINDDEVICERESULT)) {
            return DDERR_INVALIDPARAMS;
        }
        if ((search->dwFlags & D3DFDS_HARDWARE) && search->bHardware) return DDERR_NOTFOUND;
        D3DCOLORMODEL model = D3DCOLOR_MONO;
        if (search->dwFlags & D3DFDS_COLORMODEL) {
            if (search->dcmColorModel != D3DCOLOR_MONO && search->dcmColorModel != D3DCOLOR_RGB) {
                return DDERR_NOTFOUND;
            }
            model = search->dcmColorModel;
        }
        GUID guid = model == D3DCOLOR_MONO ? IID_IDirect3DRampDevice : IID_IDirect3DRGBDevice;
        if (search->dwFlags & D3DFDS_GUID) {
            bool ramp = search->guid == IID_IDirect3DRampDevice;
            bool rgb = search->guid == IID_IDirect3DRGBDevice;
            if (!ramp && !rgb) return DDERR_NOTFOUND;
            if ((search->dwFlags & D3DFDS_COLORMODEL) && ramp != (model == D3DCOLOR_MONO)) {
                return DDERR_NOTFOUND;
            }
            guid = search->guid;
            model = ramp ? D3DCOLOR_MONO : D3DCOLOR_RGB;
        }
        std::memset(result, 0, sizeof(*result));
        result->dwSize = sizeof(D3DFINDDEVICERESULT);
        result->guid = guid;
        result->ddHwDesc.dwSize = sizeof(D3DDEVICEDESC);  // no hardware: all flags zero
        D3DDEVICEDESC& sw = result->ddSwDesc;
        sw.dwSize = sizeof(D3DDEVICEDESC);
        sw.dwFlags = D3DDD_COLORMODEL | D3DDD_DEVCAPS | D3DDD_DEVICERENDERBITDEPTH |
                     D3DDD_DEVICEZBUFFERBITDEPTH;
        sw.dcmColorModel = model;
        sw.bClipping = TRUE;
        sw.dwDeviceRenderBitDepth = DDBD_8 | DDBD_16 | DDBD_24 | DDBD_32;
        sw.dwDeviceZBufferBitDepth = DDBD_32;
        sw.dwMaxVertexCount = 65536;
        return DD_OK;
    }

  private:
    ~Direct3DImpl() override { owner_->Release(); }
    IDirectDraw* owner_;  // held: the Direct3D interface belongs to its DirectDraw object
};

class DirectDrawImpl final : public ComObject<IDirectDraw> {
  public:
    DirectDrawImpl() = default;

    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (object && riid == IID_IDirect3D) {
            *object = nullptr;
            HRESULT failure;
            if (InjectedFailure(CallId::QueryInterfaceDirect3D, &failure)) return failure;
            *object = static_cast<IDirect3D*>(new Direct3DImpl(this));
            return S_OK;
        }
        return AnswerQuery(riid, object, {IID_IDirectDraw});
    }

  private:
    ~DirectDrawImpl() override = default;
};

}  // namespace

HRESULT ClipperImpl::SetHWnd(DWORD flags, platform::PresentTarget* target) {
    HRESULT failure;
    if (InjectedFailure(CallId::SetHWnd, &failure)) return failure;
    if (flags != 0) return DDERR_INVALIDPARAMS;
    target_ = target;
    return DD_OK;
}

HRESULT ClipperImpl::GetHWnd(platform::PresentTarget** target) {
    if (!target) return DDERR_INVALIDPARAMS;
    *target = target_;
    return DD_OK;
}

}  // namespace detail

HRESULT DirectDrawCreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) {
    if (!clipper) return DDERR_INVALIDPARAMS;
    *clipper = nullptr;
    HRESULT failure;
    if (detail::InjectedFailure(testing::CallId::DirectDrawCreateClipper, &failure)) {
        return failure;
    }
    if (outer) return CLASS_E_NOAGGREGATION;
    if (flags != 0) return DDERR_INVALIDPARAMS;
    *clipper = new detail::ClipperImpl();
    return DD_OK;
}

HRESULT DirectDrawCreate(GUID* guid, IDirectDraw** directDraw, IUnknown* outer) {
    if (!directDraw) return DDERR_INVALIDPARAMS;
    *directDraw = nullptr;
    HRESULT failure;
    if (detail::InjectedFailure(testing::CallId::DirectDrawCreate, &failure)) return failure;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (guid) return DDERR_INVALIDPARAMS;  // only the default display exists
    *directDraw = new detail::DirectDrawImpl();
    return DD_OK;
}

}  // namespace retained
