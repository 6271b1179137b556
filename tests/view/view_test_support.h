// Shared set-up of the view tests: a main window of a known scene size on the fake desktop,
// the renderer started on it with the real scene, and the proof at the end that releasing
// the renderer leaves no retained-mode object alive.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "game/match_flow.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/fake/fake_desktop.h"
#include "platform/retained/d3drm.h"
#include "platform/retained/testing.h"
#include "view/renderer.h"
#include "view/scene.h"
#include "view/scene_area.h"

namespace view_test {

using retained::testing::CallId;

// The scene area of the test window; the client area is taller by the status strip.
constexpr int kSceneWidth = 640;
constexpr int kSceneHeight = 480;
constexpr int kStatusStrip = 2 + 20;  // the fake's SM_CYEDGE plus 20

inline desktop::LRESULT PlainWindowProc(desktop::HWND hwnd, desktop::UINT message,
                                        desktop::WPARAM wParam, desktop::LPARAM lParam) {
    return desktop::DefWindowProc(hwnd, message, wParam, lParam);
}

class ViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        desktop::fake::Reset();
        retained::testing::ResetFailures();
        liveAtStart_ = retained::LiveObjectCount();
        desktop::WNDCLASS windowClass{};
        windowClass.lpfnWndProc = PlainWindowProc;
        windowClass.lpszClassName = "ViewTest";
        ASSERT_NE(desktop::RegisterClass(&windowClass), 0);
        window = desktop::CreateWindowEx(0, "ViewTest", "view", desktop::WS_OVERLAPPEDWINDOW, 0, 0,
                                         400, 300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        desktop::fake::SetClientSize(window, kSceneWidth, kSceneHeight + kStatusStrip);
        std::memset(&gMatch, 0, sizeof gMatch);
        gMatch.board = InitialBoard();
        gMatch.sideToMove = kBlack;
    }

    void TearDown() override {
        ReleaseRenderer();
        retained::testing::ResetFailures();
        EXPECT_EQ(retained::LiveObjectCount(), liveAtStart_) << "retained objects still alive";
        desktop::fake::Reset();
    }

    // The whole start-up of the view as the main window makes it, then the first rebuild.
    void StartView() {
        ASSERT_NE(InitRenderer(window), 0);
        ASSERT_NE(CreateDevice(window), 0);
        ASSERT_NE(BuildSceneMeshes(), 0);
        RebuildDiscs();
    }

    desktop::HWND window = nullptr;

  private:
    long liveAtStart_ = 0;
};

// The visuals a frame shows, in the order they were added; the references are released.
inline std::vector<retained::IDirect3DRMVisual*> VisualsOf(retained::IDirect3DRMFrame* frame) {
    std::vector<retained::IDirect3DRMVisual*> result;
    retained::IDirect3DRMVisualArray* visuals = nullptr;
    if (!frame || frame->GetVisuals(&visuals) < 0 || !visuals) return result;
    for (retained::DWORD i = 0; i < visuals->GetSize(); ++i) {
        retained::IDirect3DRMVisual* visual = nullptr;
        if (visuals->GetElement(i, &visual) >= 0 && visual) {
            result.push_back(visual);
            visual->Release();
        }
    }
    visuals->Release();
    return result;
}

inline retained::D3DVECTOR PositionOf(retained::IDirect3DRMFrame* frame,
                                      retained::IDirect3DRMFrame* reference) {
    retained::D3DVECTOR v{};
    EXPECT_GE(frame->GetPosition(reference, &v), 0);
    return v;
}

}  // namespace view_test
