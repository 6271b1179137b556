// Speed of the retained layer on a full board: 70 discs of 144 faces (the STONE mesh) with
// their shadows and the wireframe grid, seen through the game's camera, rendered in Gouraud
// on the ramp device at 640x480 and 1920x1080, and a pick at a square.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/retained/d3drm.h"
#include "platform/retained/ddraw.h"

namespace {

using namespace retained;

void Check(HRESULT hr, const char* what) {
    if (hr < 0) {
        std::fprintf(stderr, "bench-retained: %s failed (0x%08x)\n", what,
                     static_cast<unsigned>(hr));
        std::exit(1);
    }
}

// The game's scene at one device size.
class BoardScene {
  public:
    BoardScene(int width, int height) {
        IDirect3DRM* first = nullptr;
        Check(Direct3DRMCreate(&first), "Direct3DRMCreate");
        Check(first->QueryInterface(IID_IDirect3DRM2, reinterpret_cast<void**>(&root_)), "query");
        first->Release();
        Check(DirectDrawCreateClipper(0, &clipper_, nullptr), "clipper");
        Check(root_->CreateDeviceFromClipper(clipper_, &IID_IDirect3DRampDevice, width, height,
                                             &device_),
              "device");
        device_->SetQuality(D3DRMRENDER_GOURAUD);
        device_->SetShades(256);

        Check(root_->CreateFrame(nullptr, &scene_), "scene");
        scene_->SetSceneBackground(0xFF663F00);
        Check(root_->CreateFrame(scene_, &pivot_), "pivot");
        Check(root_->CreateFrame(pivot_, &camera_), "camera");
        camera_->SetPosition(scene_, 50, 0, -80);
        camera_->LookAt(pivot_, scene_, D3DRMCONSTRAIN_Y);

        IDirect3DRMLight* ambient = nullptr;
        root_->CreateLightRGB(D3DRMLIGHT_AMBIENT, 0.5f, 0.5f, 0.5f, &ambient);
        scene_->AddLight(ambient);
        ambient->Release();
        root_->CreateLightRGB(D3DRMLIGHT_DIRECTIONAL, 1.5f, 1.0f, 1.0f, &sun_);
        IDirect3DRMFrame2* lightFrame = nullptr;
        root_->CreateFrame(scene_, &lightFrame);
        lightFrame->SetOrientation(scene_, 5, 2, 3, 0, 1, 0);
        lightFrame->AddLight(sun_);
        lightFrame->Release();

        Check(root_->CreateMeshBuilder(&disc_), "disc");
        D3DRMLOADRESOURCE resource{nullptr, "stone", "XFILE"};
        Check(disc_->Load(&resource, nullptr, D3DRMLOAD_FROMRESOURCE, nullptr, nullptr), "Load");
        BuildBoard();

        // 64 resting discs and 6 more in mid-flip above the board.
        for (int i = 0; i < 70; ++i) {
            IDirect3DRMFrame2* frame = nullptr;
            root_->CreateFrame(scene_, &frame);
            const int square = i % 64, x = square % 8, y = square / 8;
            frame->AddVisual(disc_);
            const float z = i < 64 ? -0.2f : -1.5f;
            frame->SetPosition(scene_, 2.0f * x - 7, 2.0f * y - 7, z);
            frame->SetOrientation(scene_, 0, 0, (x + y) % 2 ? 1.0f : -1.0f, 0, 1, 0);
            if (i >= 64) frame->AddRotation(D3DRMCOMBINE_BEFORE, 1, 1, 0, 1.2f);
            IDirect3DRMVisual* shadow = nullptr;
            Check(root_->CreateShadow(disc_, sun_, 0, 0, 0, 0, 0, 1, &shadow), "shadow");
            frame->AddVisual(shadow);
            shadow->Release();
            frame->Release();
        }

        Check(root_->CreateViewport(device_, camera_, 0, 0, device_->GetWidth(),
                                    device_->GetHeight(), &viewport_),
              "viewport");
        viewport_->SetBack(200);
        viewport_->SetFront(4.5f);
        viewport_->SetField(0.5f);
    }

    ~BoardScene() {
        viewport_->Release();
        disc_->Release();
        sun_->Release();
        camera_->Release();
        pivot_->Release();
        scene_->Release();
        device_->Release();
        clipper_->Release();
        root_->Release();
    }

    void Frame() {
        viewport_->Clear();
        viewport_->Render(scene_);
        device_->Update();
    }

    IDirect3DRMViewport* Viewport() { return viewport_; }

  private:
    void BuildBoard() {
        std::vector<D3DVECTOR> vertices;
        for (int r = 0; r <= 8; ++r) {
            for (int c = 0; c <= 8; ++c)
                vertices.push_back({-8.0f + 2 * c, -8.0f + 2 * r, 0});
        }
        std::vector<DWORD> faces;
        for (DWORD y = 0; y < 8; ++y) {
            for (DWORD x = 0; x < 8; ++x) {
                faces.insert(faces.end(),
                             {4, 9 * y + x, 9 * (y + 1) + x, 9 * (y + 1) + x + 1, 9 * y + x + 1});
            }
        }
        faces.push_back(0);
        IDirect3DRMMeshBuilder2* board = nullptr;
        root_->CreateMeshBuilder(&board);
        Check(board->AddFaces(81, vertices.data(), 0, nullptr, faces.data(), nullptr), "board");
        board->SetQuality(D3DRMRENDER_WIREFRAME);
        board->SetColorRGB(0, 0, 0);
        IDirect3DRMFrame2* frame = nullptr;
        root_->CreateFrame(scene_, &frame);
        frame->AddVisual(board);
        frame->SetAppData(10);
        frame->Release();
        board->Release();
    }

    IDirect3DRM2* root_ = nullptr;
    IDirectDrawClipper* clipper_ = nullptr;
    IDirect3DRMDevice2* device_ = nullptr;
    IDirect3DRMViewport* viewport_ = nullptr;
    IDirect3DRMFrame2 *scene_ = nullptr, *pivot_ = nullptr, *camera_ = nullptr;
    IDirect3DRMLight* sun_ = nullptr;
    IDirect3DRMMeshBuilder2* disc_ = nullptr;
};

void BM_RenderBoard(benchmark::State& state) {
    BoardScene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state)
        scene.Frame();
}
BENCHMARK(BM_RenderBoard)->Args({640, 480})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

void BM_PickSquare(benchmark::State& state) {
    BoardScene scene(640, 480);
    scene.Frame();
    // The pixel of square (2, 5), under its disc, and an empty corner of the window.
    D3DVECTOR world{2.0f * 2 - 7, 2.0f * 5 - 7, 0}, screen{};
    scene.Viewport()->Transform(&screen, &world);
    const LONG x = static_cast<LONG>(screen.x), y = static_cast<LONG>(screen.y);
    for (auto _ : state) {
        IDirect3DRMPickedArray* picked = nullptr;
        scene.Viewport()->Pick(x, y, &picked);
        benchmark::DoNotOptimize(picked->GetSize());
        picked->Release();
    }
}
BENCHMARK(BM_PickSquare)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
