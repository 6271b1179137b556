// Picking and the camera keys: the squares the pick may report, a pick without a viewport or
// through a refusing layer, the height bounds of the camera, its orbit, the repaint requests
// they make, and the camera kept across a failed device re-creation.
#include <cmath>

#include "view/picking_camera.h"
#include "view_test_support.h"

namespace view_test {
namespace {

using namespace retained;

TEST(PickFaceIndex, OnlyTheGridsSixtyFourFacesAreSquares) {
    const struct {
        uint32_t face;
        int ok;
        SquarePos square;
    } cases[] = {{0, 1, {0, 0}},       {7, 1, {7, 0}},       {8, 1, {0, 1}},
                 {63, 1, {7, 7}},      {64, 0, {}},          {71, 0, {}},
                 {0xFFFFFFFFu, 0, {}}, {0xFFFFFFF9u, 0, {}}, {0x80000000u, 0, {}}};
    for (const auto& c : cases) {
        SquarePos square{42, 42};
        EXPECT_EQ(SquareOfFaceIndex(c.face, &square), c.ok) << c.face;
        if (c.ok) {
            EXPECT_EQ(square, c.square) << c.face;
        } else {
            EXPECT_EQ(square, (SquarePos{42, 42})) << "untouched for " << c.face;
        }
    }
}

TEST_F(ViewTest, PickWithoutViewportOrThroughARefusingLayerFindsNothing) {
    SquarePos square{42, 42};
    EXPECT_EQ(PickSquare({320, 240}, &square), 0);  // nothing made yet
    StartView();
    retained::testing::FailCall(CallId::CreateViewport);
    EXPECT_EQ(RecreateDevice(window, kSceneWidth, kSceneHeight), 0);
    const int picksBefore = retained::testing::CallCount(CallId::Pick);
    EXPECT_EQ(PickSquare({320, 240}, &square), 0);
    EXPECT_EQ(retained::testing::CallCount(CallId::Pick), picksBefore);
    ASSERT_NE(RecreateDevice(window, kSceneWidth, kSceneHeight), 0);
    retained::testing::FailCall(CallId::Pick);
    EXPECT_EQ(PickSquare({320, 240}, &square), 0);
    EXPECT_EQ(square, (SquarePos{42, 42}));
}

TEST_F(ViewTest, CameraHeightStaysWithinItsBounds) {
    const struct {
        float step;
        int accepted;
        float finalZ;
    } cases[] = {{kHeightStep, 25, -2.5f}, {-kHeightStep, 22, -148.2f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        StartView();
        int accepted = 0;
        for (int press = 0; press < 30; ++press) {
            const size_t before = desktop::fake::InvalidateCalls().size();
            const float zBefore = PositionOf(gScene.cameraFrame, gScene.cameraPivot).z;
            ShiftCameraHeight(c.step);
            const float z = PositionOf(gScene.cameraFrame, gScene.cameraPivot).z;
            const bool moved = std::fabs(z - zBefore) > 1.0f;
            const bool repainted = desktop::fake::InvalidateCalls().size() == before + 1;
            EXPECT_EQ(moved, repainted) << "press " << press;
            if (moved) {
                ++accepted;
                EXPECT_EQ(accepted, press + 1) << "a refused press is never followed by a move";
            }
        }
        EXPECT_EQ(accepted, c.accepted);
        const D3DVECTOR eye = PositionOf(gScene.cameraFrame, gScene.cameraPivot);
        EXPECT_NEAR(eye.z, c.finalZ, 1e-3);
        EXPECT_NEAR(eye.x, 50.0f, 1e-3);
        EXPECT_NEAR(eye.y, 0.0f, 1e-3);
        ReleaseRenderer();
    }
}

TEST_F(ViewTest, OrbitCirclesTheBoardAndRepaintsWithoutErase) {
    StartView();
    for (int press = 0; press < 16; ++press)
        OrbitCamera(kOrbitStep);
    // A quarter turn about z: the camera moved from +x to +y around the board's centre, and
    // still looks at it.
    D3DVECTOR eye = PositionOf(gScene.cameraFrame, gScene.sceneFrame);
    EXPECT_NEAR(eye.x, 0.0f, 1e-3);
    EXPECT_NEAR(eye.y, 50.0f, 1e-3);
    EXPECT_NEAR(eye.z, -80.0f, 1e-3);
    D3DVECTOR direction{}, up{};
    ASSERT_EQ(gScene.cameraFrame->GetOrientation(gScene.sceneFrame, &direction, &up), D3DRM_OK);
    EXPECT_NEAR(direction.y, -50.0f / std::sqrt(8900.0f), 1e-4);
    const auto& calls = desktop::fake::InvalidateCalls();
    ASSERT_GE(calls.size(), 16u);
    EXPECT_EQ(calls.back().hwnd, window);
    EXPECT_EQ(calls.back().erase, desktop::FALSE);
    EXPECT_FALSE(calls.back().wholeClient);
    EXPECT_EQ(calls.back().rect.right, kSceneWidth);
    EXPECT_EQ(calls.back().rect.bottom, kSceneHeight);
    for (int press = 0; press < 48; ++press)
        OrbitCamera(-kOrbitStep);
    for (int press = 0; press < 96; ++press)
        OrbitCamera(kOrbitStep);
    eye = PositionOf(gScene.cameraFrame, gScene.sceneFrame);
    EXPECT_NEAR(eye.x, 50.0f, 1e-2) << "64 presses make a full circle";
    EXPECT_NEAR(eye.y, 0.0f, 1e-2);
}

TEST_F(ViewTest, CameraKeysWorkWhileTheDeviceIsMissing) {
    StartView();
    retained::testing::FailCall(CallId::CreateDeviceFromClipper, 1);
    retained::testing::FailCall(CallId::CreateDeviceFromClipper, 2);
    ASSERT_EQ(RecreateDevice(window, 300, 200), 0);
    ASSERT_EQ(gScene.device, nullptr);
    ShiftCameraHeight(-kHeightStep);
    OrbitCamera(kOrbitStep);
    ASSERT_NE(RecreateDevice(window, 300, 200), 0);
    const D3DVECTOR eye = PositionOf(gScene.cameraFrame, gScene.cameraPivot);
    EXPECT_NEAR(eye.z, -83.1f, 1e-3) << "the change made without a device is kept";
}

TEST_F(ViewTest, CameraKeysSkipWhatTheLayerRefused) {
    StartView();
    const size_t before = desktop::fake::InvalidateCalls().size();
    const int setsBefore = retained::testing::CallCount(CallId::SetPosition);
    retained::testing::FailCall(CallId::GetPosition);
    ShiftCameraHeight(kHeightStep);
    EXPECT_EQ(retained::testing::CallCount(CallId::SetPosition), setsBefore);
    EXPECT_EQ(desktop::fake::InvalidateCalls().size(), before);
    EXPECT_NEAR(PositionOf(gScene.cameraFrame, gScene.cameraPivot).z, -80.0f, 1e-4);

    // Without camera frames (a scene build that failed) the keys do nothing at all.
    ReleaseRenderer();
    ShiftCameraHeight(kHeightStep);
    OrbitCamera(kOrbitStep);
    EXPECT_EQ(desktop::fake::InvalidateCalls().size(), before);
}

TEST_F(ViewTest, SceneAreaLeavesTheStatusStripAndRepaintErases) {
    StartView();
    const desktop::RECT area = SceneArea(window);
    EXPECT_EQ(area.left, 0);
    EXPECT_EQ(area.top, 0);
    EXPECT_EQ(area.right, kSceneWidth);
    EXPECT_EQ(area.bottom, kSceneHeight);
    RequestRepaint();
    const auto& last = desktop::fake::InvalidateCalls().back();
    EXPECT_EQ(last.hwnd, window);
    EXPECT_EQ(last.erase, desktop::TRUE);
    EXPECT_EQ(last.rect.bottom, kSceneHeight);
    // A window lower than the strip has an empty scene area, never an inverted one.
    desktop::fake::SetClientSize(window, 100, 10);
    const desktop::RECT tiny = SceneArea(window);
    EXPECT_EQ(tiny.bottom, tiny.top);
}

}  // namespace
}  // namespace view_test
