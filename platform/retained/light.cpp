// Lights and the colour helpers.
#include "platform/retained/light.h"

#include <algorithm>

namespace retained {

namespace {
uint32_t ToByte(float channel) {
    float clamped = std::clamp(std::isfinite(channel) ? channel : 0.0f, 0.0f, 1.0f);
    return static_cast<uint32_t>(clamped * 255.0f + 0.5f);
}
}  // namespace

D3DCOLOR D3DRMCreateColorRGBA(D3DVALUE red, D3DVALUE green, D3DVALUE blue, D3DVALUE alpha) {
    return (ToByte(alpha) << 24) | (ToByte(red) << 16) | (ToByte(green) << 8) | ToByte(blue);
}

D3DCOLOR D3DRMCreateColorRGB(D3DVALUE red, D3DVALUE green, D3DVALUE blue) {
    return D3DRMCreateColorRGBA(red, green, blue, 1.0f);
}

namespace detail {

bool IsKnownLightType(D3DRMLIGHTTYPE type) {
    return type <= D3DRMLIGHT_PARALLELPOINT;
}

HRESULT LightImpl::SetType(D3DRMLIGHTTYPE type) {
    if (!IsKnownLightType(type)) return D3DRMERR_BADVALUE;
    type_ = type;
    return D3DRM_OK;
}

HRESULT LightImpl::SetColorRGB(D3DVALUE red, D3DVALUE green, D3DVALUE blue) {
    if (!std::isfinite(red) || !std::isfinite(green) || !std::isfinite(blue)) {
        return D3DRMERR_BADVALUE;
    }
    color_ = {red, green, blue};
    return D3DRM_OK;
}

HRESULT LightImpl::SetColor(D3DCOLOR color) {
    color_ = {ColorChannelOf(color, 16), ColorChannelOf(color, 8), ColorChannelOf(color, 0)};
    return D3DRM_OK;
}

D3DCOLOR LightImpl::GetColor() {
    return D3DRMCreateColorRGB(color_.x, color_.y, color_.z);
}

}  // namespace detail
}  // namespace retained
