// The one seam between the 3D layer and the window system: a device hands its finished
// image to a present target, which the desktop floor provides for a window (the real backend
// draws it into the window's drawing area; the recording backend keeps the last image).
#pragma once

#include <cstdint>

namespace platform {

class PresentTarget {
  public:
    virtual ~PresentTarget() = default;

    // pixels holds height rows of width pixels, 0x00RRGGBB each, rows strideInPixels apart.
    // The image is only valid during the call.
    virtual void Present(const uint32_t* pixels, int width, int height, int strideInPixels) = 0;
};

}  // namespace platform
