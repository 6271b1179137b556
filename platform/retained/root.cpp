// The root object: Direct3DRMCreate, its version-2 interface, and the factories of every
// other retained-mode object.
#include <cmath>
#include <new>

#include "platform/retained/device.h"
#include "platform/retained/frame.h"
#include "platform/retained/light.h"
#include "platform/retained/mesh_builder.h"
#include "platform/retained/shadow.h"
#include "platform/retained/viewport.h"

namespace retained {
namespace detail {
namespace {

using testing::CallId;

#define RETAINED_INJECT(call)                                  \
    do {                                                       \
        HRESULT failure_;                                      \
        if (InjectedFailure(call, &failure_)) return failure_; \
    } while (0)

// One object answering to both root interfaces, as the platform's root does.
class RootImpl final : public IDirect3DRM, public IDirect3DRM2 {
  public:
    RootImpl() { NoteObjectCreated(); }
    RootImpl(const RootImpl&) = delete;
    RootImpl& operator=(const RootImpl&) = delete;

    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (riid == IID_IDirect3DRM2) {
            RETAINED_INJECT(CallId::QueryInterfaceDirect3DRM2);
            *object = static_cast<IDirect3DRM2*>(this);
        } else if (riid == IID_IDirect3DRM || riid == IID_IUnknown) {
            *object = static_cast<IDirect3DRM*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT CreateFrame(IDirect3DRMFrame* parent, IDirect3DRMFrame2** frame) override {
        if (!frame) return D3DRMERR_BADVALUE;
        *frame = nullptr;
        RETAINED_INJECT(CallId::CreateFrame);
        FrameImpl* parentFrame = nullptr;
        if (parent && !(parentFrame = FrameImpl::From(parent))) return D3DRMERR_BADOBJECT;
        auto* created = new FrameImpl();
        if (parentFrame) {
            HRESULT added = parentFrame->AddChild(created);
            if (added < 0) {
                created->Release();
                return added;
            }
        }
        *frame = created;
        return D3DRM_OK;
    }

    HRESULT CreateMeshBuilder(IDirect3DRMMeshBuilder2** builder) override {
        if (!builder) return D3DRMERR_BADVALUE;
        *builder = nullptr;
        RETAINED_INJECT(CallId::CreateMeshBuilder);
        *builder = new MeshBuilderImpl();
        return D3DRM_OK;
    }

    HRESULT CreateFace(IDirect3DRMFace** face) override {
        if (!face) return D3DRMERR_BADVALUE;
        *face = nullptr;
        RETAINED_INJECT(CallId::CreateFace);
        *face = new FaceImpl();
        return D3DRM_OK;
    }

    HRESULT CreateLightRGB(D3DRMLIGHTTYPE type, D3DVALUE red, D3DVALUE green, D3DVALUE blue,
                           IDirect3DRMLight** light) override {
        if (!light) return D3DRMERR_BADVALUE;
        *light = nullptr;
        RETAINED_INJECT(CallId::CreateLightRGB);
        if (!IsKnownLightType(type) || !std::isfinite(red) || !std::isfinite(green) ||
            !std::isfinite(blue)) {
            return D3DRMERR_BADVALUE;
        }
        *light = new LightImpl(type, red, green, blue);
        return D3DRM_OK;
    }

    HRESULT CreateLight(D3DRMLIGHTTYPE type, D3DCOLOR color, IDirect3DRMLight** light) override {
        return CreateLightRGB(type, ColorChannelOf(color, 16), ColorChannelOf(color, 8),
                              ColorChannelOf(color, 0), light);
    }

    HRESULT CreateShadow(IDirect3DRMVisual* visual, IDirect3DRMLight* light, D3DVALUE px,
                         D3DVALUE py, D3DVALUE pz, D3DVALUE nx, D3DVALUE ny, D3DVALUE nz,
                         IDirect3DRMVisual** shadow) override {
        if (!shadow) return D3DRMERR_BADVALUE;
        *shadow = nullptr;
        RETAINED_INJECT(CallId::CreateShadow);
        MeshBuilderImpl* caster = MeshBuilderImpl::From(visual);
        LightImpl* source = LightImpl::From(light);
        if (!caster || !source) return D3DRMERR_BADOBJECT;
        Vec3 point{px, py, pz}, normal{nx, ny, nz};
        for (float v : {px, py, pz, nx, ny, nz}) {
            if (!std::isfinite(v)) return D3DRMERR_BADVALUE;
        }
        if (Length(normal) == 0) return D3DRMERR_BADVALUE;
        *shadow = new ShadowImpl(caster, source, point, Normalize(normal));
        return D3DRM_OK;
    }

    HRESULT CreateDeviceFromClipper(IDirectDrawClipper* clipper, const GUID* guid, int width,
                                    int height, IDirect3DRMDevice2** device) override {
        if (!device) return D3DRMERR_BADVALUE;
        *device = nullptr;
        RETAINED_INJECT(CallId::CreateDeviceFromClipper);
        ClipperImpl* bound = ClipperImpl::From(clipper);
        if (!bound) return D3DRMERR_BADOBJECT;
        D3DCOLORMODEL model = D3DCOLOR_MONO;  // the default device is the colour-ramp one
        if (guid) {
            if (*guid == IID_IDirect3DRGBDevice) {
                model = D3DCOLOR_RGB;
            } else if (!(*guid == IID_IDirect3DRampDevice)) {
                return D3DRMERR_BADDEVICE;
            }
        }
        if (width <= 0 || height <= 0) return D3DRMERR_BADVALUE;
        if (width > kMaxDeviceSide || height > kMaxDeviceSide ||
            int64_t{width} * height > kMaxDevicePixels) {
            return D3DRMERR_BADALLOC;
        }
        try {
            *device = new DeviceImpl(bound, model, width, height);
        } catch (const std::bad_alloc&) {
            return D3DRMERR_BADALLOC;
        }
        return D3DRM_OK;
    }

    HRESULT CreateViewport(IDirect3DRMDevice* device, IDirect3DRMFrame* camera, DWORD x, DWORD y,
                           DWORD width, DWORD height, IDirect3DRMViewport** viewport) override {
        if (!viewport) return D3DRMERR_BADVALUE;
        *viewport = nullptr;
        RETAINED_INJECT(CallId::CreateViewport);
        DeviceImpl* target = DeviceImpl::From(device);
        FrameImpl* eye = FrameImpl::From(camera);
        if (!target || !eye) return D3DRMERR_BADOBJECT;
        const DWORD deviceWidth = target->GetWidth(), deviceHeight = target->GetHeight();
        if (width == 0 || height == 0 || x >= deviceWidth || y >= deviceHeight ||
            width > deviceWidth - x || height > deviceHeight - y) {
            return D3DRMERR_BADVALUE;
        }
        *viewport = new ViewportImpl(target, eye, static_cast<int>(x), static_cast<int>(y),
                                     static_cast<int>(width), static_cast<int>(height));
        return D3DRM_OK;
    }

    HRESULT SetDefaultTextureShades(DWORD shades) override {
        textureShades_ = shades;
        return D3DRM_OK;
    }
    HRESULT SetDefaultTextureColors(DWORD colors) override {
        textureColors_ = colors;
        return D3DRM_OK;
    }

  private:
    ~RootImpl() override { NoteObjectDestroyed(); }

    ULONG references_ = 1;
    [[maybe_unused]] DWORD textureShades_ = 16;
    [[maybe_unused]] DWORD textureColors_ = 8;
};

}  // namespace
}  // namespace detail

HRESULT Direct3DRMCreate(IDirect3DRM** root) {
    if (!root) return D3DRMERR_BADVALUE;
    *root = nullptr;
    HRESULT failure;
    if (detail::InjectedFailure(testing::CallId::Direct3DRMCreate, &failure)) return failure;
    *root = new detail::RootImpl();
    return D3DRM_OK;
}

}  // namespace retained
