// Scene rendering (in progress: draws nothing yet).
#include "platform/retained/viewport.h"

namespace retained::detail {

void RenderScene(DeviceImpl&, const Projection&, FrameImpl&, FrameImpl&) {}

HRESULT PickScene(DeviceImpl&, const Projection&, FrameImpl&, LONG, LONG,
                  IDirect3DRMPickedArray**) {
    return D3DRMERR_NOTDONEYET;
}

}  // namespace retained::detail
