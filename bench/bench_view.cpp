// Speed of the view as the game runs it: a whole paint (clear, render, present) of a middle
// game position with its legal-move markers in Gouraud at 640x480 and 1920x1080, and a pick
// of the square under the cursor. Everything goes through the view on the fake desktop.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "game/match_flow.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/fake/fake_desktop.h"
#include "view/picking_camera.h"
#include "view/renderer.h"
#include "view/scene.h"

namespace {

// 33 discs, white to move with 15 legal squares (rank 1 first, 'X' black, 'O' white).
constexpr const char* kMiddleGame =
    "-O-X------X----X-XXOXXXXXXOXOXO--XXOXOOO-XXX--X---X-------X-----";

desktop::LRESULT PlainWindowProc(desktop::HWND hwnd, desktop::UINT message, desktop::WPARAM wParam,
                                 desktop::LPARAM lParam) {
    return desktop::DefWindowProc(hwnd, message, wParam, lParam);
}

// The view started on a window whose scene area is width x height, showing the position.
class ViewScene {
  public:
    ViewScene(int width, int height) {
        desktop::fake::Reset();
        desktop::WNDCLASS windowClass{};
        windowClass.lpfnWndProc = PlainWindowProc;
        windowClass.lpszClassName = "BenchView";
        desktop::RegisterClass(&windowClass);
        window_ = desktop::CreateWindowEx(0, "BenchView", "bench", desktop::WS_OVERLAPPEDWINDOW, 0,
                                          0, width, height, nullptr, nullptr, nullptr, nullptr);
        desktop::fake::SetClientSize(window_, width,
                                     height + desktop::GetSystemMetrics(desktop::SM_CYEDGE) + 20);
        if (!window_ || !InitRenderer(window_)) Die("InitRenderer");
        gRenderSettings.quality = retained::D3DRMRENDER_GOURAUD;
        if (!CreateDevice(window_)) Die("CreateDevice");
        if (!BuildSceneMeshes()) Die("BuildSceneMeshes");
        for (int i = 0; i < 64; ++i) {
            gMatch.board[i] = kMiddleGame[i] == 'X' ? 1 : kMiddleGame[i] == 'O' ? 2 : 0;
        }
        gMatch.sideToMove = kWhite;
        RebuildDiscs();
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                if (IsLegalMove(gMatch.board, x, y, kWhite)) AddMoveMarker(x, y);
            }
        }
    }
    ~ViewScene() {
        ReleaseRenderer();
        desktop::fake::Reset();
    }

    desktop::HWND Window() const { return window_; }

  private:
    static void Die(const char* what) {
        std::fprintf(stderr, "bench-view: %s failed\n", what);
        std::exit(1);
    }
    desktop::HWND window_ = nullptr;
};

void BM_PaintMiddleGame(benchmark::State& state) {
    ViewScene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    desktop::HDC dc = desktop::GetDC(scene.Window());
    for (auto _ : state)
        PaintScene(dc);
    desktop::ReleaseDC(scene.Window(), dc);
}
BENCHMARK(BM_PaintMiddleGame)->Args({640, 480})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

void BM_PickSquare(benchmark::State& state) {
    ViewScene scene(640, 480);
    RenderScene();
    // The centre of e6, an empty square with a marker, among discs.
    retained::D3DVECTOR world{2.0f * 4 - 7, 2.0f * 5 - 7, 0}, screen{};
    gScene.viewport->Transform(&screen, &world);
    const desktop::POINT cursor{static_cast<desktop::LONG>(screen.x),
                                static_cast<desktop::LONG>(screen.y)};
    SquarePos square{};
    if (!PickSquare(cursor, &square) || square.x != 4 || square.y != 5) {
        std::fprintf(stderr, "bench-view: the pick missed e6\n");
        std::exit(1);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(PickSquare(cursor, &square));
}
BENCHMARK(BM_PickSquare)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
