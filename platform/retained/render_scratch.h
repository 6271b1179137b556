// Working memory of the renderer and of pick, kept by the device so drawing a frame
// allocates nothing once the buffers have grown to the scene's size.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/retained/maths.h"

namespace retained::detail {

class FrameImpl;
class LightImpl;

struct SceneLight {
    D3DRMLIGHTTYPE type;
    Vec3 color;      // RGB, or the grey intensity in all three for the ramp model
    Vec3 position;   // in camera space (point and spot lights)
    Vec3 direction;  // the direction the light travels, camera space, unit
};

// A light in one visual's model space.
struct ModelLight {
    D3DRMLIGHTTYPE type;
    Vec3 color;
    Vec3 toLight;   // unit, for directional lights
    Vec3 position;  // for point and spot lights
};

struct ClipVertex {
    Vec3 camera;  // camera-space position
    float r, g, b;
};

struct ScreenVertex {
    float x, y, z;  // pixel coordinates and depth
    float r, g, b;  // 0..255
};

struct HullPoint {
    float u, w;      // coordinates in the shadow's plane
    uint32_t index;  // the caster's vertex
};

struct RenderScratch {
    std::vector<SceneLight> lights;
    std::vector<ModelLight> modelLights;
    std::vector<Vec3> cameraVertices;
    std::vector<uint8_t> vertexState;  // 0 not yet transformed
    std::vector<Vec3> cornerColors;
    std::vector<ClipVertex> polygon, clipped, clipTemp;
    std::vector<ScreenVertex> screen;
    std::vector<Vec3> shadowVertices;
    std::vector<HullPoint> hullPoints;
    std::vector<uint32_t> hull;
    std::vector<FrameImpl*> framePath;
};

}  // namespace retained::detail
