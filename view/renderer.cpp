// Root, clipper, device search, device, viewport and the scene graph; painting and the
// fixed release order. Every retained-mode object the view holds lives in gScene.
#include "view/renderer.h"

#include <cstring>

#include "platform/desktop/paint.h"
#include "view/scene_area.h"

using namespace retained;

SceneObjects gScene;
RenderSettings gRenderSettings;
D3DFINDDEVICERESULT gDeviceSearchResult;

namespace {

constexpr D3DCOLOR kBackground = 0xFF663F00;
constexpr DWORD kSearchSize = 92;
constexpr DWORD kResultSize = 428;

template <typename T>
void ReleaseField(T*& field) {
    if (field) {
        field->Release();
        field = nullptr;
    }
}

int BitsPerPixelOf(desktop::HWND window) {
    desktop::HDC dc = desktop::GetDC(window);
    const int bits = desktop::GetDeviceCaps(dc, desktop::BITSPIXEL);
    desktop::ReleaseDC(window, dc);
    return bits;
}

// The two attempts of device creation: the best device of the colour model, then a
// software-only one.
int CreateDeviceOfSize(int width, int height) {
    if (SUCCEEDED(gScene.root->CreateDeviceFromClipper(
            gScene.clipper, FindRenderDevice(gRenderSettings.colourModel, 0), width, height,
            &gScene.device))) {
        return 1;
    }
    gScene.device = nullptr;
    if (SUCCEEDED(gScene.root->CreateDeviceFromClipper(
            gScene.clipper, FindRenderDevice(gRenderSettings.colourModel, 1), width, height,
            &gScene.device))) {
        return 1;
    }
    gScene.device = nullptr;
    return 0;
}

int CreateViewportOnCamera() {
    if (FAILED(gScene.root->CreateViewport(gScene.device, gScene.cameraFrame, 0, 0,
                                           gScene.device->GetWidth(), gScene.device->GetHeight(),
                                           &gScene.viewport))) {
        gScene.viewport = nullptr;
        return 0;
    }
    gScene.viewport->SetBack(gRenderSettings.back);
    gScene.viewport->SetFront(gRenderSettings.front);
    gScene.viewport->SetField(gRenderSettings.field);
    return 1;
}

// Lights are kept alive by the frames they are attached to, so the local references go at
// once, on every path.
int AddLights() {
    IDirect3DRMLight* ambient = nullptr;
    if (FAILED(gScene.root->CreateLightRGB(D3DRMLIGHT_AMBIENT, 0.5f, 0.5f, 0.5f, &ambient))) {
        return 0;
    }
    const HRESULT added = gScene.sceneFrame->AddLight(ambient);
    ambient->Release();
    if (FAILED(added)) return 0;

    if (FAILED(gScene.root->CreateLightRGB(D3DRMLIGHT_DIRECTIONAL, 1.5f, 1.0f, 1.0f,
                                           &gScene.sunLight))) {
        gScene.sunLight = nullptr;
        return 0;
    }
    IDirect3DRMFrame2* lightFrame = nullptr;
    if (FAILED(gScene.root->CreateFrame(gScene.sceneFrame, &lightFrame))) return 0;
    int ok = SUCCEEDED(lightFrame->SetPosition(gScene.sceneFrame, 0.0f, 0.0f, 0.0f)) &&
             SUCCEEDED(lightFrame->SetOrientation(gScene.sceneFrame, 5.0f, 2.0f, 3.0f, 0.0f, 1.0f,
                                                  0.0f)) &&
             SUCCEEDED(lightFrame->AddLight(gScene.sunLight));
    lightFrame->Release();
    return ok;
}

}  // namespace

int InitRenderer(desktop::HWND window) {
    std::memset(&gScene, 0, sizeof gScene);
    gViewWindow.mainWindow = window;

    IDirect3DRM* first = nullptr;
    if (FAILED(Direct3DRMCreate(&first)) || !first) return 0;
    const HRESULT queried =
        first->QueryInterface(IID_IDirect3DRM2, reinterpret_cast<void**>(&gScene.root));
    first->Release();
    if (FAILED(queried) || !gScene.root) {
        gScene.root = nullptr;
        return 0;
    }

    if (FAILED(DirectDrawCreateClipper(0, &gScene.clipper, nullptr)) || !gScene.clipper) {
        gScene.clipper = nullptr;
        return 0;
    }
    if (FAILED(gScene.clipper->SetHWnd(0, desktop::GetWindowPresentTarget(window)))) {
        ReleaseField(gScene.clipper);
        return 0;
    }

    std::memset(&gRenderSettings, 0, sizeof gRenderSettings);
    gRenderSettings.colourModel = 1;
    gRenderSettings.quality = D3DRMRENDER_FLAT;
    gRenderSettings.front = 4.5f;
    gRenderSettings.back = 200.0f;
    gRenderSettings.field = 0.5f;

    const int bits = BitsPerPixelOf(window);
    if (bits == 1) {
        gRenderSettings.shades = 256;
        gRenderSettings.ditherOff = 0;
    } else if (bits == 16 || bits == 24 || bits == 32) {
        gRenderSettings.shades = 256;
        gRenderSettings.ditherOff = 1;
    } else {
        gRenderSettings.shades = 0;
        gRenderSettings.ditherOff = 1;
    }
    return 1;
}

DWORD DepthToRenderBits(int bitsPerPixel) {
    switch (bitsPerPixel) {
        case 1:
            return DDBD_1;
        case 2:
            return DDBD_2;
        case 4:
            return DDBD_4;
        case 8:
            return DDBD_8;
        case 16:
            return DDBD_16;
        case 24:
            return DDBD_24;
        case 32:
            return DDBD_32;
        default:
            return 0;
    }
}

const GUID* FindRenderDevice(int32_t colourModel, int softwareOnly) {
    const int screenBits = BitsPerPixelOf(nullptr);

    IDirectDraw* dd = nullptr;
    if (DirectDrawCreate(nullptr, &dd, nullptr) != DD_OK || !dd) return nullptr;
    IDirect3D* d3d = nullptr;
    if (dd->QueryInterface(IID_IDirect3D, reinterpret_cast<void**>(&d3d)) != S_OK || !d3d) {
        dd->Release();
        return nullptr;
    }

    D3DFINDDEVICESEARCH search;
    std::memset(&search, 0, sizeof search);
    search.dwSize = kSearchSize;
    search.dwFlags = D3DFDS_COLORMODEL;
    search.dcmColorModel = colourModel == 1 ? D3DCOLOR_MONO : D3DCOLOR_RGB;
    if (softwareOnly) {
        search.dwFlags = D3DFDS_COLORMODEL | D3DFDS_HARDWARE;
        search.bHardware = FALSE;
    }

    std::memset(&gDeviceSearchResult, 0, sizeof gDeviceSearchResult);
    gDeviceSearchResult.dwSize = kResultSize;
    HRESULT found = d3d->FindDevice(&search, &gDeviceSearchResult);

    // A hardware device that cannot draw at the screen's depth is no use: search again among
    // the software devices.
    if (found == D3DRM_OK && gDeviceSearchResult.ddHwDesc.dwFlags != 0 &&
        (DepthToRenderBits(screenBits) & gDeviceSearchResult.ddHwDesc.dwDeviceRenderBitDepth) ==
            0) {
        search.dwFlags |= D3DFDS_HARDWARE;
        search.bHardware = FALSE;
        std::memset(&gDeviceSearchResult, 0, sizeof gDeviceSearchResult);
        gDeviceSearchResult.dwSize = kResultSize;
        found = d3d->FindDevice(&search, &gDeviceSearchResult);
    }

    d3d->Release();
    dd->Release();
    return found == D3DRM_OK ? &gDeviceSearchResult.guid : nullptr;
}

void ConfigureDevice() {
    if (!gScene.device) return;
    gScene.device->SetQuality(gRenderSettings.quality);
    if (gRenderSettings.ditherOff) gScene.device->SetDither(FALSE);
    if (gRenderSettings.shades) {
        gScene.device->SetShades(gRenderSettings.shades);
        if (gScene.root) {
            gScene.root->SetDefaultTextureShades(gRenderSettings.shades);
            gScene.root->SetDefaultTextureColors(gRenderSettings.shades);
        }
    }
}

int BuildScene() {
    IDirect3DRM2* root = gScene.root;
    if (!root) return 0;
    if (FAILED(root->CreateFrame(nullptr, &gScene.sceneFrame)) || !gScene.sceneFrame) {
        gScene.sceneFrame = nullptr;
        return 0;
    }
    gScene.sceneFrame->SetSceneBackground(kBackground);

    if (FAILED(root->CreateFrame(gScene.sceneFrame, &gScene.cameraPivot)) || !gScene.cameraPivot) {
        gScene.cameraPivot = nullptr;
        return 0;
    }
    if (FAILED(root->CreateFrame(gScene.cameraPivot, &gScene.cameraFrame)) || !gScene.cameraFrame) {
        gScene.cameraFrame = nullptr;
        return 0;
    }
    if (FAILED(gScene.cameraFrame->SetPosition(gScene.sceneFrame, 50.0f, 0.0f, -80.0f))) return 0;
    gScene.cameraFrame->LookAt(gScene.cameraPivot, gScene.sceneFrame, D3DRMCONSTRAIN_Y);

    if (!AddLights()) return 0;

    IDirect3DRMMeshBuilder2** meshes[] = {&gScene.discMesh, &gScene.markerMesh, &gScene.boardMesh};
    for (IDirect3DRMMeshBuilder2** mesh : meshes) {
        if (FAILED(root->CreateMeshBuilder(mesh)) || !*mesh) {
            *mesh = nullptr;
            return 0;
        }
    }
    for (IDirect3DRMFrame2*& entry : gScene.framePool) {
        if (FAILED(root->CreateFrame(gScene.sceneFrame, &entry)) || !entry) {
            entry = nullptr;
            return 0;
        }
    }
    return 1;
}

int CreateDevice(desktop::HWND window) {
    if (!gScene.root || !gScene.clipper) return 0;
    const desktop::RECT area = SceneArea(window);
    if (!CreateDeviceOfSize(area.right, area.bottom)) return 0;
    ConfigureDevice();
    if (!BuildScene()) return 0;
    return CreateViewportOnCamera();
}

int RecreateDevice(desktop::HWND, int width, int height) {
    // After a failed start-up the window still gets its size messages; without root, clipper
    // or camera there is nothing to make a device or a viewport from.
    if (!gScene.root || !gScene.clipper || !gScene.cameraFrame) return 0;
    ReleaseField(gScene.viewport);
    ReleaseField(gScene.device);
    if (!CreateDeviceOfSize(width, height)) return 0;
    ConfigureDevice();
    return CreateViewportOnCamera();
}

void ActivateRenderer(desktop::WPARAM wParam) {
    if (!gScene.device) return;
    IDirect3DRMWinDevice* win = nullptr;
    if (SUCCEEDED(gScene.device->QueryInterface(IID_IDirect3DRMWinDevice,
                                                reinterpret_cast<void**>(&win))) &&
        win) {
        win->HandleActivate(desktop::LOWORD(wParam));
        win->Release();
    }
}

void PaintScene(desktop::HDC hdc) {
    if (!gScene.device) return;
    IDirect3DRMWinDevice* win = nullptr;
    if (SUCCEEDED(gScene.device->QueryInterface(IID_IDirect3DRMWinDevice,
                                                reinterpret_cast<void**>(&win))) &&
        win) {
        win->HandlePaint(hdc);
        win->Release();
    }
    RenderScene();
}

void RenderScene() {
    // A failed viewport re-creation leaves a device without a viewport; a paint can still
    // arrive then (the error box runs its own message loop).
    if (!gScene.device || !gScene.viewport) return;
    gScene.viewport->Clear();
    if (gScene.sceneFrame) gScene.viewport->Render(gScene.sceneFrame);
    gScene.device->Update();
}

void ReleaseRenderer() {
    for (IDirect3DRMFrame2*& entry : gScene.framePool)
        ReleaseField(entry);
    ReleaseField(gScene.discMesh);
    ReleaseField(gScene.markerMesh);
    ReleaseField(gScene.boardMesh);
    ReleaseField(gScene.sceneFrame);
    ReleaseField(gScene.cameraFrame);
    ReleaseField(gScene.cameraPivot);
    ReleaseField(gScene.sunLight);
    ReleaseField(gScene.viewport);
    ReleaseField(gScene.device);
    ReleaseField(gScene.clipper);
    ReleaseField(gScene.root);
}
