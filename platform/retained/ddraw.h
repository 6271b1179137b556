// The DirectDraw pieces the view uses: a clipper that binds a device to where its image is
// shown, and the DirectDraw object whose Direct3D interface searches for a device.
// In this layer the clipper binds to a platform::PresentTarget instead of a window handle.
#pragma once

#include "platform/present_target.h"
#include "platform/retained/d3drm.h"

namespace retained {

class IDirectDrawClipper : public IUnknown {
  public:
    // flags must be 0. A null target unbinds the clipper: the device then shows nothing.
    virtual HRESULT SetHWnd(DWORD flags, platform::PresentTarget* target) = 0;
    virtual HRESULT GetHWnd(platform::PresentTarget** target) = 0;
};

class IDirect3D : public IUnknown {
  public:
    // Finds the device matching the search; 0 when one was found. This layer offers one
    // software device in the two colour models, so the hardware description is all zero.
    virtual HRESULT FindDevice(D3DFINDDEVICESEARCH* search, D3DFINDDEVICERESULT* result) = 0;
};

class IDirectDraw : public IUnknown {};

// flags must be 0 and outer null.
HRESULT DirectDrawCreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer);
// guid must be null (the default display) and outer null.
HRESULT DirectDrawCreate(GUID* guid, IDirectDraw** directDraw, IUnknown* outer);

}  // namespace retained
