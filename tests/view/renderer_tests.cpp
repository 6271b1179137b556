// The renderer's life: the depth rule, the device search, start-up with the scene graph,
// device re-creation, painting only with a whole device, every failure path of start-up
// driven through the retained layer's failure injection, and the release of everything.
#include <cmath>

#include "view/picking_camera.h"
#include "view_test_support.h"

namespace view_test {
namespace {

using namespace retained;

TEST(RendererDepth, DepthToRenderBitsTable) {
    const struct {
        int bits;
        DWORD flag;
    } cases[] = {{1, 0x4000}, {2, 0x2000}, {4, 0x1000}, {8, 0x800}, {16, 0x400},
                 {24, 0x200}, {32, 0x100}, {0, 0},      {15, 0},    {64, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(DepthToRenderBits(c.bits), c.flag) << c.bits;
}

TEST_F(ViewTest, DepthRuleSetsShadesAndDitherOnTheDevice) {
    const struct {
        int bits;
        DWORD shades;
        int ditherOff;
    } cases[] = {{1, 256, 0}, {8, 0, 1}, {16, 256, 1}, {24, 256, 1}, {32, 256, 1}, {4, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        desktop::fake::SetBitsPerPixel(c.bits);
        ASSERT_NE(InitRenderer(window), 0);
        EXPECT_EQ(gRenderSettings.shades, c.shades);
        EXPECT_EQ(gRenderSettings.ditherOff, c.ditherOff);
        ASSERT_NE(CreateDevice(window), 0);
        EXPECT_EQ(gScene.device->GetDither(), c.ditherOff ? FALSE : TRUE);
        if (c.shades) {
            EXPECT_EQ(gScene.device->GetShades(), c.shades);
        } else {
            EXPECT_NE(gScene.device->GetShades(), 256u);
        }
        ReleaseRenderer();
        EXPECT_EQ(desktop::fake::OpenDeviceContexts(), 0);
    }
}

TEST_F(ViewTest, FindRenderDeviceAcceptsOnlyExactSuccess) {
    ASSERT_NE(InitRenderer(window), 0);
    const GUID* ramp = FindRenderDevice(1, 0);
    ASSERT_EQ(ramp, &gDeviceSearchResult.guid);
    EXPECT_TRUE(*ramp == IID_IDirect3DRampDevice);
    ASSERT_NE(FindRenderDevice(2, 1), nullptr);
    EXPECT_TRUE(gDeviceSearchResult.guid == IID_IDirect3DRGBDevice);

    const struct {
        CallId call;
        HRESULT result;
    } failures[] = {{CallId::DirectDrawCreate, E_FAIL},
                    {CallId::DirectDrawCreate, 1},
                    {CallId::QueryInterfaceDirect3D, E_NOINTERFACE},
                    {CallId::QueryInterfaceDirect3D, 1},
                    {CallId::FindDevice, DDERR_NOTFOUND},
                    {CallId::FindDevice, 1}};
    const long live = LiveObjectCount();
    for (const auto& f : failures) {
        retained::testing::ResetFailures();
        retained::testing::FailCall(f.call, 1, f.result);
        EXPECT_EQ(FindRenderDevice(1, 0), nullptr) << static_cast<int>(f.call) << " " << f.result;
        EXPECT_EQ(LiveObjectCount(), live) << "the search keeps nothing";
    }
}

TEST_F(ViewTest, StartUpBuildsTheSceneGraphOnTheSceneArea) {
    StartView();
    EXPECT_EQ(gScene.device->GetWidth(), static_cast<DWORD>(kSceneWidth));
    EXPECT_EQ(gScene.device->GetHeight(), static_cast<DWORD>(kSceneHeight));
    EXPECT_EQ(gScene.device->GetQuality(), D3DRMRENDER_FLAT);
    EXPECT_EQ(gScene.viewport->GetWidth(), static_cast<DWORD>(kSceneWidth));
    EXPECT_EQ(gScene.viewport->GetHeight(), static_cast<DWORD>(kSceneHeight));
    EXPECT_FLOAT_EQ(gScene.viewport->GetFront(), 4.5f);
    EXPECT_FLOAT_EQ(gScene.viewport->GetBack(), 200.0f);
    EXPECT_FLOAT_EQ(gScene.viewport->GetField(), 0.5f);
    EXPECT_EQ(gScene.sceneFrame->GetSceneBackground(), 0xFF663F00u);

    IDirect3DRMFrame* camera = nullptr;
    ASSERT_EQ(gScene.viewport->GetCamera(&camera), D3DRM_OK);
    EXPECT_EQ(camera, static_cast<IDirect3DRMFrame*>(gScene.cameraFrame));
    camera->Release();
    const D3DVECTOR eye = PositionOf(gScene.cameraFrame, gScene.cameraPivot);
    EXPECT_NEAR(eye.x, 50.0f, 1e-4);
    EXPECT_NEAR(eye.y, 0.0f, 1e-4);
    EXPECT_NEAR(eye.z, -80.0f, 1e-4);
    // The camera looks at the pivot: its z axis points from its position to the origin.
    D3DVECTOR direction{}, up{};
    ASSERT_EQ(gScene.cameraFrame->GetOrientation(gScene.sceneFrame, &direction, &up), D3DRM_OK);
    EXPECT_NEAR(direction.x, -50.0f / std::sqrt(50.0f * 50.0f + 80.0f * 80.0f), 1e-4);
    EXPECT_NEAR(direction.z, 80.0f / std::sqrt(50.0f * 50.0f + 80.0f * 80.0f), 1e-4);

    for (IDirect3DRMFrame2* entry : gScene.framePool) {
        ASSERT_NE(entry, nullptr);
        IDirect3DRMFrame* parent = nullptr;
        ASSERT_EQ(entry->GetParent(&parent), D3DRM_OK);
        EXPECT_EQ(parent, static_cast<IDirect3DRMFrame*>(gScene.sceneFrame));
        if (parent) parent->Release();
    }
}

TEST_F(ViewTest, RecreateDeviceKeepsTheSceneAndTakesTheQuality) {
    StartView();
    AddMoveMarker(2, 3);
    OrbitCamera(0.3f);
    const D3DVECTOR eyeBefore = PositionOf(gScene.cameraFrame, gScene.sceneFrame);
    IDirect3DRMFrame2* markerFrame = gScene.framePool[64 + 26];

    const struct {
        DWORD quality;
        int width;
        int height;
    } cases[] = {{D3DRMRENDER_GOURAUD, 320, 200}, {D3DRMRENDER_FLAT, 800, 600}};
    for (const auto& c : cases) {
        gRenderSettings.quality = c.quality;
        ASSERT_NE(RecreateDevice(window, c.width, c.height), 0);
        EXPECT_EQ(gScene.device->GetQuality(), c.quality);
        EXPECT_EQ(gScene.device->GetWidth(), static_cast<DWORD>(c.width));
        EXPECT_EQ(gScene.viewport->GetHeight(), static_cast<DWORD>(c.height));
        EXPECT_FLOAT_EQ(gScene.viewport->GetFront(), 4.5f);
        const D3DVECTOR eye = PositionOf(gScene.cameraFrame, gScene.sceneFrame);
        EXPECT_NEAR(eye.x, eyeBefore.x, 1e-4);
        EXPECT_NEAR(eye.y, eyeBefore.y, 1e-4);
        EXPECT_EQ(gScene.framePool[64 + 26], markerFrame);
        EXPECT_EQ(VisualsOf(markerFrame).size(), 1u);
        EXPECT_EQ(VisualsOf(gScene.framePool[27]).size(), 2u);
    }
}

TEST_F(ViewTest, PaintPresentsTheSceneOnlyWithDeviceAndViewport) {
    desktop::HDC dc = desktop::GetDC(window);
    // Before any device: nothing is queried and nothing rendered.
    PaintScene(dc);
    ActivateRenderer(1);
    EXPECT_EQ(retained::testing::CallCount(CallId::QueryInterfaceWinDevice), 0);
    EXPECT_EQ(retained::testing::CallCount(CallId::Clear), 0);

    StartView();
    PaintScene(dc);
    ActivateRenderer(desktop::MAKEWPARAM(1, 1));
    EXPECT_EQ(retained::testing::CallCount(CallId::QueryInterfaceWinDevice), 2);
    EXPECT_EQ(retained::testing::CallCount(CallId::Clear), 1);
    EXPECT_EQ(retained::testing::CallCount(CallId::Render), 1);
    EXPECT_EQ(retained::testing::CallCount(CallId::Update), 1);
    const desktop::fake::PresentedImage image = desktop::fake::LastPresented(window);
    EXPECT_EQ(image.width, kSceneWidth);
    EXPECT_EQ(image.height, kSceneHeight);

    // A query failure skips the window device's part, not the render.
    retained::testing::FailCall(CallId::QueryInterfaceWinDevice);
    PaintScene(dc);
    EXPECT_EQ(retained::testing::CallCount(CallId::Render), 2);

    // A re-creation whose viewport fails leaves a device without a viewport: painting then
    // does not reach the missing viewport.
    retained::testing::FailCall(CallId::CreateViewport);
    EXPECT_EQ(RecreateDevice(window, 300, 200), 0);
    ASSERT_NE(gScene.device, nullptr);
    EXPECT_EQ(gScene.viewport, nullptr);
    PaintScene(dc);
    EXPECT_EQ(retained::testing::CallCount(CallId::Clear), 2);
    EXPECT_EQ(retained::testing::CallCount(CallId::Render), 2);
    desktop::ReleaseDC(window, dc);
}

TEST_F(ViewTest, RecreateDeviceRefusesWithoutRootClipperOrCamera) {
    // A failed InitRenderer leaves no root; the window still gets its size messages.
    retained::testing::FailCall(CallId::Direct3DRMCreate);
    EXPECT_EQ(InitRenderer(window), 0);
    EXPECT_EQ(RecreateDevice(window, 100, 100), 0);
    retained::testing::FailCall(CallId::SetHWnd);
    EXPECT_EQ(InitRenderer(window), 0);
    EXPECT_EQ(gScene.clipper, nullptr);
    EXPECT_EQ(RecreateDevice(window, 100, 100), 0);
    ReleaseRenderer();
    // A scene build that failed before the camera frame.
    retained::testing::FailCall(CallId::CreateFrame, 3);
    ASSERT_NE(InitRenderer(window), 0);
    EXPECT_EQ(CreateDevice(window), 0);
    EXPECT_EQ(gScene.cameraFrame, nullptr);
    EXPECT_EQ(RecreateDevice(window, 100, 100), 0);
    EXPECT_EQ(retained::testing::CallCount(CallId::CreateDeviceFromClipper), 1);
    EXPECT_EQ(retained::testing::CallCount(CallId::CreateViewport), 0);
}

TEST_F(ViewTest, DeviceCreationRetriesOnceWithASoftwareSearch) {
    ASSERT_NE(InitRenderer(window), 0);
    retained::testing::FailCall(CallId::CreateDeviceFromClipper, 1);
    EXPECT_NE(CreateDevice(window), 0);
    EXPECT_EQ(retained::testing::CallCount(CallId::CreateDeviceFromClipper), 2);
    EXPECT_EQ(retained::testing::CallCount(CallId::FindDevice), 2);

    retained::testing::ResetFailures();
    retained::testing::FailCall(CallId::CreateDeviceFromClipper, 1);
    retained::testing::FailCall(CallId::CreateDeviceFromClipper, 2);
    EXPECT_EQ(RecreateDevice(window, 200, 100), 0);
    EXPECT_EQ(retained::testing::CallCount(CallId::CreateDeviceFromClipper), 2);
    EXPECT_EQ(gScene.device, nullptr);
    EXPECT_EQ(gScene.viewport, nullptr);
    // The scene survives and a later re-creation brings the device back.
    EXPECT_NE(RecreateDevice(window, 200, 100), 0);
    EXPECT_EQ(gScene.device->GetWidth(), 200u);

    // Sizes the device cannot have fail cleanly.
    EXPECT_EQ(RecreateDevice(window, 0, 100), 0);
    EXPECT_EQ(RecreateDevice(window, 1 << 20, 1 << 20), 0);
    EXPECT_EQ(gScene.device, nullptr);
}

// Start-up as the main window runs it: which step reports the failure of a chosen call.
enum Stage { kInit, kDevice, kMeshes, kNone };

TEST_F(ViewTest, EveryStartUpFailureIsReportedAndReleasedCleanly) {
    const struct {
        CallId call;
        int nth;
        int times;
        Stage failsAt;
    } cases[] = {
        {CallId::Direct3DRMCreate, 1, 1, kInit},
        {CallId::QueryInterfaceDirect3DRM2, 1, 1, kInit},
        {CallId::DirectDrawCreateClipper, 1, 1, kInit},
        {CallId::SetHWnd, 1, 1, kInit},
        {CallId::DirectDrawCreate, 1, 1, kNone},
        {CallId::QueryInterfaceDirect3D, 1, 1, kNone},
        {CallId::FindDevice, 1, 1, kNone},
        {CallId::CreateDeviceFromClipper, 1, 1, kNone},
        {CallId::CreateDeviceFromClipper, 1, 2, kDevice},
        {CallId::CreateFrame, 1, 1, kDevice},    // scene frame
        {CallId::CreateFrame, 2, 1, kDevice},    // camera pivot
        {CallId::CreateFrame, 3, 1, kDevice},    // camera frame
        {CallId::CreateFrame, 4, 1, kDevice},    // light frame
        {CallId::CreateFrame, 5, 1, kDevice},    // pool entry 0
        {CallId::CreateFrame, 204, 1, kDevice},  // pool entry 199
        {CallId::SetPosition, 1, 1, kDevice},    // camera
        {CallId::SetPosition, 2, 1, kDevice},    // light frame
        {CallId::SetOrientation, 1, 1, kDevice},
        {CallId::LookAt, 1, 1, kNone},
        {CallId::CreateLightRGB, 1, 1, kDevice},
        {CallId::CreateLightRGB, 2, 1, kDevice},
        {CallId::AddLight, 1, 1, kDevice},
        {CallId::AddLight, 2, 1, kDevice},
        {CallId::CreateMeshBuilder, 1, 1, kDevice},
        {CallId::CreateMeshBuilder, 3, 1, kDevice},
        {CallId::CreateViewport, 1, 1, kDevice},
        {CallId::Load, 1, 1, kMeshes},
        {CallId::AddFaces, 1, 1, kMeshes},
        {CallId::CreateFace, 1, 1, kNone},
        {CallId::AddFace, 1, 1, kNone},
    };
    const long live = LiveObjectCount();
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "call " << static_cast<int>(c.call) << " #" << c.nth);
        retained::testing::ResetFailures();
        for (int i = 0; i < c.times; ++i)
            retained::testing::FailCall(c.call, c.nth + i);
        Stage reached = kNone;
        if (!InitRenderer(window)) {
            reached = kInit;
        } else if (!CreateDevice(window)) {
            reached = kDevice;
        } else if (!BuildSceneMeshes()) {
            reached = kMeshes;
        }
        EXPECT_EQ(reached, c.failsAt);
        // Whatever was made stays usable by the per-move operations without harm.
        RebuildDiscs();
        AddMoveMarker(3, 2);
        RenderScene();
        ReleaseRenderer();
        EXPECT_EQ(LiveObjectCount(), live);
        ReleaseRenderer();
        EXPECT_EQ(LiveObjectCount(), live);
    }
}

TEST_F(ViewTest, ReleaseLeavesNothingAliveAndIsHarmlessTwice) {
    const long live = LiveObjectCount();
    StartView();
    AddMoveMarker(2, 3);
    RenderScene();
    EXPECT_GT(LiveObjectCount(), live + 200);
    ReleaseRenderer();
    EXPECT_EQ(LiveObjectCount(), live);
    EXPECT_EQ(LiveObjectCount(), 0) << "each test runs in a process of its own";
    EXPECT_EQ(gScene.root, nullptr);
    for (IDirect3DRMFrame2* entry : gScene.framePool)
        EXPECT_EQ(entry, nullptr);
    ReleaseRenderer();
    EXPECT_EQ(LiveObjectCount(), live);
}

}  // namespace
}  // namespace view_test
