// A device, a viewport and a camera on a recording present target, with helpers to build
// quads and read back pixels: the set-up of the rendering and pick tests.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/retained/retained_test_support.h"

namespace retained_test {

class RecordingTarget : public platform::PresentTarget {
  public:
    void Present(const uint32_t* pixels, int width, int height, int stride) override {
        ++presents;
        this->width = width;
        this->height = height;
        image.assign(static_cast<size_t>(width) * height, 0);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                image[static_cast<size_t>(y) * width + x] =
                    pixels[static_cast<size_t>(y) * stride + x];
            }
        }
    }
    // A pixel of the last image; kOutside when (x, y) is not in it.
    static constexpr uint32_t kOutside = 0xDEADBEEF;
    uint32_t At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return kOutside;
        return image[static_cast<size_t>(y) * width + x];
    }

    int presents = 0;
    int width = 0, height = 0;
    std::vector<uint32_t> image;
};

constexpr uint32_t kBackground = 0x663F00;

class SceneTest : public RetainedTest {
  protected:
    void SetUp() override {
        RetainedTest::SetUp();
        ASSERT_EQ(DirectDrawCreateClipper(0, &clipper, nullptr), DD_OK);
        ASSERT_EQ(clipper->SetHWnd(0, &target), DD_OK);
        scene = NewFrame();
        scene->SetSceneBackground(0xFF000000u | kBackground);
        camera = NewFrame(scene);
    }
    void TearDown() override {
        if (viewport) viewport->Release();
        if (device) device->Release();
        camera->Release();
        scene->Release();
        clipper->Release();
        viewport = nullptr;
        device = nullptr;
        camera = scene = nullptr;
        clipper = nullptr;
        RetainedTest::TearDown();
    }

    // Starts again from a fresh scene (for table-driven cases).
    void Reset() {
        TearDown();
        target = RecordingTarget{};
        SetUp();
    }

    // A device of that size with a viewport covering it.
    void MakeDevice(int width, int height, D3DRMRENDERQUALITY quality,
                    const GUID* guid = &IID_IDirect3DRGBDevice) {
        ASSERT_EQ(root->CreateDeviceFromClipper(clipper, guid, width, height, &device), D3DRM_OK);
        device->SetQuality(quality);
        ASSERT_EQ(root->CreateViewport(device, camera, 0, 0, device->GetWidth(),
                                       device->GetHeight(), &viewport),
                  D3DRM_OK);
    }

    void RenderAndPresent() {
        ASSERT_EQ(viewport->Clear(), D3DRM_OK);
        ASSERT_EQ(viewport->Render(scene), D3DRM_OK);
        ASSERT_EQ(device->Update(), D3DRM_OK);
    }

    // The pixel a scene point projects to.
    D3DVECTOR Project(float x, float y, float z) {
        D3DVECTOR world{x, y, z}, screen{};
        EXPECT_EQ(viewport->Transform(&screen, &world), D3DRM_OK);
        return screen;
    }
    uint32_t PixelAt(float x, float y, float z) {
        D3DVECTOR s = Project(x, y, z);
        return target.At(static_cast<int>(s.x), static_cast<int>(s.y));
    }

    // A quad in the plane z = depth, corners clockwise as seen from -z, on a new builder
    // shown by a new frame under parent. Returns the frame; the builder is in *builder.
    IDirect3DRMFrame2* AddQuad(IDirect3DRMFrame* parent, float cx, float cy, float depth,
                               float half, IDirect3DRMMeshBuilder2** builder) {
        IDirect3DRMFrame2* frame = NewFrame(parent);
        EXPECT_EQ(root->CreateMeshBuilder(builder), D3DRM_OK);
        D3DVECTOR corners[4] = {{cx - half, cy - half, depth},
                                {cx - half, cy + half, depth},
                                {cx + half, cy + half, depth},
                                {cx + half, cy - half, depth}};
        DWORD faceData[] = {4, 0, 1, 2, 3, 0};
        EXPECT_EQ((*builder)->AddFaces(4, corners, 0, nullptr, faceData, nullptr), D3DRM_OK);
        EXPECT_EQ(frame->AddVisual(*builder), D3DRM_OK);
        return frame;
    }

    RecordingTarget target;
    IDirectDrawClipper* clipper = nullptr;
    IDirect3DRMDevice2* device = nullptr;
    IDirect3DRMViewport* viewport = nullptr;
    IDirect3DRMFrame2* scene = nullptr;
    IDirect3DRMFrame2* camera = nullptr;
};

}  // namespace retained_test
