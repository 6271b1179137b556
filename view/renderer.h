// The renderer: the one record of every retained-mode object the view holds (SceneObjects),
// the device settings (RenderSettings), and the life of root, clipper, device, viewport and
// scene graph from window creation to window destruction. Every field is null while absent.
#pragma once

#include <cstdint>

#include "platform/desktop/win_types.h"
#include "platform/retained/d3drm.h"
#include "platform/retained/ddraw.h"

constexpr int kFramePoolSize = 200;

struct SceneObjects {
    retained::IDirect3DRM2* root;
    retained::IDirectDrawClipper* clipper;
    retained::IDirect3DRMDevice2* device;
    retained::IDirect3DRMViewport* viewport;
    retained::IDirect3DRMFrame2* sceneFrame;
    retained::IDirect3DRMFrame2* cameraPivot;
    retained::IDirect3DRMFrame2* cameraFrame;
    retained::IDirect3DRMLight* sunLight;
    retained::IDirect3DRMMeshBuilder2* discMesh;
    retained::IDirect3DRMMeshBuilder2* markerMesh;
    retained::IDirect3DRMMeshBuilder2* boardMesh;
    retained::IDirect3DRMFrame2* framePool[kFramePoolSize];
};

extern SceneObjects gScene;

struct RenderSettings {
    int32_t colourModel;                   // 1 asks the device search for the ramp model
    retained::D3DRMRENDERQUALITY quality;  // 0x88 flat, 0x89 Gouraud
    uint32_t shades;                       // 0: no shade calls
    int32_t ditherOff;
    float front;
    float back;
    float field;
};

extern RenderSettings gRenderSettings;

// The last device search's result; FindRenderDevice hands out a pointer to its guid.
extern retained::D3DFINDDEVICERESULT gDeviceSearchResult;

int InitRenderer(desktop::HWND window);
int CreateDevice(desktop::HWND window);
int RecreateDevice(desktop::HWND window, int width, int height);
void ActivateRenderer(desktop::WPARAM wParam);
void PaintScene(desktop::HDC hdc);
void ReleaseRenderer();

const retained::GUID* FindRenderDevice(int32_t colourModel, int softwareOnly);
retained::DWORD DepthToRenderBits(int bitsPerPixel);
void ConfigureDevice();
int BuildScene();
void RenderScene();
