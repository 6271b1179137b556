// The device search, device and viewport creation with their failures, presentation through
// the clipper, and the viewport's settings.
#ifndef _WIN32
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "tests/retained/render_test_support.h"

namespace retained_test {
namespace {

using Device = SceneTest;
using retained::testing::CallId;

D3DFINDDEVICESEARCH Search(DWORD flags, D3DCOLORMODEL model) {
    D3DFINDDEVICESEARCH search;
    std::memset(&search, 0, sizeof(search));
    search.dwSize = 92;
    search.dwFlags = flags;
    search.dcmColorModel = model;
    return search;
}

TEST_F(Device, FindDeviceOffersOneSoftwareDeviceInBothColourModels) {
    IDirectDraw* dd = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), 0);
    IDirect3D* d3d = nullptr;
    ASSERT_EQ(dd->QueryInterface(IID_IDirect3D, reinterpret_cast<void**>(&d3d)), 0);
    dd->Release();  // the Direct3D interface keeps its DirectDraw object

    struct Case {
        DWORD flags;
        BOOL hardware;
        D3DCOLORMODEL model;
        HRESULT result;
        const GUID* guid;
    };
    const Case cases[] = {
        {D3DFDS_COLORMODEL, FALSE, D3DCOLOR_MONO, 0, &IID_IDirect3DRampDevice},
        {D3DFDS_COLORMODEL, FALSE, D3DCOLOR_RGB, 0, &IID_IDirect3DRGBDevice},
        {D3DFDS_COLORMODEL | D3DFDS_HARDWARE, FALSE, D3DCOLOR_MONO, 0, &IID_IDirect3DRampDevice},
        {D3DFDS_COLORMODEL | D3DFDS_HARDWARE, TRUE, D3DCOLOR_MONO, DDERR_NOTFOUND, nullptr},
        {D3DFDS_COLORMODEL, FALSE, 7, DDERR_NOTFOUND, nullptr},
    };
    for (const Case& c : cases) {
        D3DFINDDEVICESEARCH search = Search(c.flags, c.model);
        search.bHardware = c.hardware;
        D3DFINDDEVICERESULT result;
        std::memset(&result, 0, sizeof(result));
        result.dwSize = 428;
        EXPECT_EQ(d3d->FindDevice(&search, &result), c.result);
        if (c.guid) {
            EXPECT_TRUE(result.guid == *c.guid);
            EXPECT_EQ(result.ddHwDesc.dwFlags, 0u);  // no hardware device
            EXPECT_EQ(result.ddSwDesc.dcmColorModel, c.model);
            EXPECT_NE(result.ddSwDesc.dwDeviceRenderBitDepth & DDBD_32, 0u);
        }
    }
    // Wrong structure sizes are refused.
    D3DFINDDEVICESEARCH search = Search(D3DFDS_COLORMODEL, D3DCOLOR_MONO);
    D3DFINDDEVICERESULT result{};
    result.dwSize = 400;
    EXPECT_LT(d3d->FindDevice(&search, &result), 0);
    EXPECT_LT(d3d->FindDevice(nullptr, &result), 0);
    d3d->Release();
}

TEST_F(Device, CreationRefusesBadSizesClippersAndDevices) {
    struct Case {
        int width, height;
        HRESULT result;
    };
    const Case cases[] = {{0, 10, D3DRMERR_BADVALUE},
                          {10, 0, D3DRMERR_BADVALUE},
                          {-640, 480, D3DRMERR_BADVALUE},
                          {100000, 10, D3DRMERR_BADALLOC},
                          {16000, 16000, D3DRMERR_BADALLOC}};
    for (const Case& c : cases) {
        IDirect3DRMDevice2* made = reinterpret_cast<IDirect3DRMDevice2*>(1);
        EXPECT_EQ(root->CreateDeviceFromClipper(clipper, nullptr, c.width, c.height, &made),
                  c.result);
        EXPECT_EQ(made, nullptr);
    }
    IDirect3DRMDevice2* made = nullptr;
    EXPECT_EQ(root->CreateDeviceFromClipper(nullptr, nullptr, 64, 48, &made), D3DRMERR_BADOBJECT);
    GUID unknown = IID_IDirect3D;
    EXPECT_EQ(root->CreateDeviceFromClipper(clipper, &unknown, 64, 48, &made), D3DRMERR_BADDEVICE);

    ASSERT_EQ(root->CreateDeviceFromClipper(clipper, nullptr, 64, 48, &made), D3DRM_OK);
    EXPECT_EQ(made->GetColorModel(), D3DCOLOR_MONO);
    EXPECT_EQ(made->GetQuality(), D3DRMRENDER_FLAT);
    EXPECT_EQ(made->GetShades(), 32u);
    IDirect3DRMViewport* view = reinterpret_cast<IDirect3DRMViewport*>(1);
    EXPECT_EQ(root->CreateViewport(made, camera, 0, 0, 65, 48, &view), D3DRMERR_BADVALUE);
    EXPECT_EQ(view, nullptr);
    EXPECT_EQ(root->CreateViewport(made, camera, 10, 0, 60, 48, &view), D3DRMERR_BADVALUE);
    EXPECT_EQ(root->CreateViewport(made, nullptr, 0, 0, 64, 48, &view), D3DRMERR_BADOBJECT);
    EXPECT_EQ(root->CreateViewport(made, camera, 0, 0, 0, 48, &view), D3DRMERR_BADVALUE);
    made->Release();
}

// Resident memory of this process, from the Linux kernel's own count (0 elsewhere).
long ResidentKilobytes() {
#ifdef _WIN32
    return 0;
#else
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
#endif
}

TEST_F(Device, AWindowThatGrewAndShrankAgainKeepsNoBuffersOfItsLargestSize) {
#if defined(_WIN32)
    GTEST_SKIP() << "resident memory is read from Linux's /proc";
#elif defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator holds freed memory back on purpose";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "the sanitizer's allocator holds freed memory back on purpose";
#endif
#endif
    clipper->SetHWnd(0, nullptr);  // the test's target would keep a copy of every picture
    const long before = ResidentKilobytes();
    ASSERT_GT(before, 0);
    // One device at a time, the old one released before the next is made, through the sizes
    // of a drag out to 3000 x 3000 and back.
    const int sides[] = {1000, 1500, 2000, 2500, 3000, 2400, 1800, 1200, 600, 400};
    long largest = 0;
    for (int side : sides) {
        IDirect3DRMDevice2* made = nullptr;
        ASSERT_EQ(root->CreateDeviceFromClipper(clipper, nullptr, side, side, &made), D3DRM_OK);
        made->Update();
        largest = std::max(largest, ResidentKilobytes());
        made->Release();
    }
    const long after = ResidentKilobytes();
    std::printf("resident: %ld kB before, %ld kB at most, %ld kB after\n", before, largest, after);
    EXPECT_GT(largest - before, 100 * 1024) << "the buffers of 3000 x 3000 were never made";
    EXPECT_LT(after - before, 16 * 1024) << "freed buffers stayed resident";
}

TEST_F(Device, UpdatePresentsAndHandlePaintShowsTheLastImageAgain) {
    MakeDevice(32, 24, D3DRMRENDER_FLAT);
    IDirect3DRMWinDevice* win = nullptr;
    ASSERT_EQ(device->QueryInterface(IID_IDirect3DRMWinDevice, reinterpret_cast<void**>(&win)),
              S_OK);
    EXPECT_EQ(win->HandlePaint(nullptr), D3DRM_OK);
    EXPECT_EQ(target.presents, 0);  // nothing finished yet, nothing shown
    EXPECT_EQ(win->HandleActivate(1), D3DRM_OK);

    RenderAndPresent();
    EXPECT_EQ(target.presents, 1);
    EXPECT_EQ(target.At(5, 5), kBackground);

    // Drawing the next image does not show it before Update; painting shows the last one.
    scene->SetSceneBackground(0xFF0000FF);
    viewport->Clear();
    EXPECT_EQ(win->HandlePaint(nullptr), D3DRM_OK);
    EXPECT_EQ(target.presents, 2);
    EXPECT_EQ(target.At(5, 5), kBackground);
    device->Update();
    EXPECT_EQ(target.At(5, 5), 0x0000FFu);

    // Unbound, the clipper shows nothing but the device goes on working.
    clipper->SetHWnd(0, nullptr);
    RenderAndPresent();
    EXPECT_EQ(target.presents, 3);
    EXPECT_EQ(clipper->SetHWnd(1, &target), DDERR_INVALIDPARAMS);
    win->Release();
}

TEST_F(Device, ViewportValidatesItsPlanesAndField) {
    MakeDevice(64, 48, D3DRMRENDER_FLAT);
    EXPECT_EQ(viewport->GetFront(), 1.0f);
    EXPECT_EQ(viewport->GetBack(), 100.0f);
    EXPECT_EQ(viewport->GetField(), 0.5f);
    EXPECT_EQ(viewport->SetField(0), D3DRMERR_BADVALUE);
    EXPECT_EQ(viewport->SetField(-1), D3DRMERR_BADVALUE);
    EXPECT_EQ(viewport->SetFront(0), D3DRMERR_BADVALUE);
    EXPECT_EQ(viewport->SetBack(1.0f), D3DRMERR_BADVALUE);  // not beyond the front plane
    EXPECT_EQ(viewport->SetFront(100.0f), D3DRMERR_BADVALUE);
    // The game's order: back first, then front and field.
    EXPECT_EQ(viewport->SetBack(200), D3DRM_OK);
    EXPECT_EQ(viewport->SetFront(4.5f), D3DRM_OK);
    EXPECT_EQ(viewport->SetField(0.5f), D3DRM_OK);
    EXPECT_EQ(viewport->GetFront(), 4.5f);
    EXPECT_EQ(viewport->GetBack(), 200.0f);
}

TEST_F(Device, TheViewportKeepsItsDeviceAndCameraAlive) {
    MakeDevice(16, 16, D3DRMRENDER_FLAT);
    const long live = LiveObjectCount();
    device->Release();
    device = nullptr;
    EXPECT_EQ(LiveObjectCount(), live);
    IDirect3DRMDevice* held = nullptr;
    ASSERT_EQ(viewport->GetDevice(&held), D3DRM_OK);
    EXPECT_EQ(held->GetWidth(), 16u);
    held->Release();
    viewport->Release();
    viewport = nullptr;
    EXPECT_EQ(LiveObjectCount(), live - 2);  // viewport and device gone, clipper still held
}

TEST_F(Device, EveryCreationStepCanBeMadeToFail) {
    // Each armed failure makes the matching step report a negative result (or, for the
    // DirectDraw steps, anything but 0) and leaves its out parameter null.
    retained::testing::FailCall(CallId::DirectDrawCreateClipper);
    IDirectDrawClipper* c = reinterpret_cast<IDirectDrawClipper*>(1);
    EXPECT_LT(DirectDrawCreateClipper(0, &c, nullptr), 0);
    EXPECT_EQ(c, nullptr);
    retained::testing::FailCall(CallId::SetHWnd);
    EXPECT_LT(clipper->SetHWnd(0, &target), 0);
    retained::testing::FailCall(CallId::DirectDrawCreate, 1, 1);
    IDirectDraw* dd = reinterpret_cast<IDirectDraw*>(1);
    EXPECT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), 1);
    EXPECT_EQ(dd, nullptr);
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), 0);
    retained::testing::FailCall(CallId::QueryInterfaceDirect3D, 1, 1);
    IDirect3D* d3d = reinterpret_cast<IDirect3D*>(1);
    EXPECT_EQ(dd->QueryInterface(IID_IDirect3D, reinterpret_cast<void**>(&d3d)), 1);
    EXPECT_EQ(d3d, nullptr);
    ASSERT_EQ(dd->QueryInterface(IID_IDirect3D, reinterpret_cast<void**>(&d3d)), 0);
    retained::testing::FailCall(CallId::FindDevice, 1, 1);
    D3DFINDDEVICESEARCH search = Search(D3DFDS_COLORMODEL, D3DCOLOR_MONO);
    D3DFINDDEVICERESULT result{};
    result.dwSize = 428;
    EXPECT_EQ(d3d->FindDevice(&search, &result), 1);
    d3d->Release();
    dd->Release();

    retained::testing::FailCall(CallId::CreateDeviceFromClipper, 1);
    retained::testing::FailCall(CallId::CreateDeviceFromClipper, 2);
    IDirect3DRMDevice2* made = nullptr;
    EXPECT_LT(root->CreateDeviceFromClipper(clipper, nullptr, 8, 8, &made), 0);
    EXPECT_LT(root->CreateDeviceFromClipper(clipper, nullptr, 8, 8, &made), 0);
    ASSERT_EQ(root->CreateDeviceFromClipper(clipper, nullptr, 8, 8, &made), D3DRM_OK);
    retained::testing::FailCall(CallId::QueryInterfaceWinDevice);
    IDirect3DRMWinDevice* win = reinterpret_cast<IDirect3DRMWinDevice*>(1);
    EXPECT_LT(made->QueryInterface(IID_IDirect3DRMWinDevice, reinterpret_cast<void**>(&win)), 0);
    EXPECT_EQ(win, nullptr);
    retained::testing::FailCall(CallId::CreateViewport);
    IDirect3DRMViewport* view = nullptr;
    EXPECT_LT(root->CreateViewport(made, camera, 0, 0, 8, 8, &view), 0);
    made->Release();

    const CallId creations[] = {CallId::CreateLightRGB, CallId::CreateMeshBuilder,
                                CallId::CreateFace, CallId::CreateFrame};
    for (CallId call : creations)
        retained::testing::FailCall(call);
    IDirect3DRMLight* light = reinterpret_cast<IDirect3DRMLight*>(1);
    EXPECT_LT(root->CreateLightRGB(D3DRMLIGHT_AMBIENT, 1, 1, 1, &light), 0);
    EXPECT_EQ(light, nullptr);
    IDirect3DRMMeshBuilder2* builder = reinterpret_cast<IDirect3DRMMeshBuilder2*>(1);
    EXPECT_LT(root->CreateMeshBuilder(&builder), 0);
    EXPECT_EQ(builder, nullptr);
    IDirect3DRMFace* face = reinterpret_cast<IDirect3DRMFace*>(1);
    EXPECT_LT(root->CreateFace(&face), 0);
    EXPECT_EQ(face, nullptr);
    IDirect3DRMFrame2* frame = reinterpret_cast<IDirect3DRMFrame2*>(1);
    EXPECT_LT(root->CreateFrame(scene, &frame), 0);
    EXPECT_EQ(frame, nullptr);
}

}  // namespace
}  // namespace retained_test
