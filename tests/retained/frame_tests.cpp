// Frame placement in the platform's conventions: row vectors, left-handed, positions and
// orientations relative to a reference frame, the combine types of AddRotation, and LookAt
// with the Y constraint in the game's camera rig.
#include <cmath>

#include "tests/retained/retained_test_support.h"

namespace retained_test {
namespace {

constexpr float kPi = 3.14159265358979f;

using FrameMaths = RetainedTest;

TEST_F(FrameMaths, RotationCombineTypesMoveTheFrameAsDocumented) {
    struct Case {
        D3DRMCOMBINETYPE combine;
        float x, y, z;  // expected position in the scene afterwards
    };
    // A frame at (10, 0, 0) turned by 90 degrees about z: AFTER orbits the parent's origin,
    // BEFORE spins in place, REPLACE resets the position.
    const Case cases[] = {{D3DRMCOMBINE_AFTER, 0, 10, 0},
                          {D3DRMCOMBINE_BEFORE, 10, 0, 0},
                          {D3DRMCOMBINE_REPLACE, 0, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.combine);
        IDirect3DRMFrame2* scene = NewFrame();
        IDirect3DRMFrame2* frame = NewFrame(scene);
        ASSERT_EQ(frame->SetPosition(scene, 10, 0, 0), D3DRM_OK);
        ASSERT_EQ(frame->AddRotation(c.combine, 0, 0, 1, kPi / 2), D3DRM_OK);
        EXPECT_VEC_NEAR(PositionIn(frame, nullptr), c.x, c.y, c.z, 1e-4);
        // Whatever the combine type, the frame's own x axis now points along scene +y.
        D3DVECTOR local{1, 0, 0}, world{};
        frame->Transform(&world, &local);
        D3DVECTOR origin{0, 0, 0}, at{};
        frame->Transform(&at, &origin);
        EXPECT_VEC_NEAR((D3DVECTOR{world.x - at.x, world.y - at.y, world.z - at.z}), 0, 1, 0, 1e-4);
        frame->Release();
        scene->Release();
    }
}

TEST_F(FrameMaths, RotationTurnsXTowardYAboutZ) {
    IDirect3DRMFrame2* frame = NewFrame();
    // (0.6, 0.8, 0) turned by 120 degrees about +z.
    frame->AddRotation(D3DRMCOMBINE_REPLACE, 0, 0, 2, 2 * kPi / 3);
    D3DVECTOR in{0.6f, 0.8f, 0}, out{};
    frame->Transform(&out, &in);
    EXPECT_VEC_NEAR(out, -0.993f, 0.120f, 0, 2e-3);
    frame->Release();
}

TEST_F(FrameMaths, ChildOfARotatedMovedParentFollowsIt) {
    IDirect3DRMFrame2* scene = NewFrame();
    IDirect3DRMFrame2* parent = NewFrame(scene);
    IDirect3DRMFrame2* child = NewFrame(parent);
    parent->SetPosition(scene, 10, 0, 0);
    parent->AddRotation(D3DRMCOMBINE_BEFORE, 0, 0, 1, kPi / 2);
    // A new child sits on its parent's origin.
    EXPECT_VEC_NEAR(PositionIn(child, nullptr), 10, 0, 0, 1e-4);

    // One unit along the parent's x axis, which now points along scene +y.
    ASSERT_EQ(child->SetPosition(parent, 1, 0, 0), D3DRM_OK);
    EXPECT_VEC_NEAR(PositionIn(child, nullptr), 10, 1, 0, 1e-4);
    EXPECT_VEC_NEAR(PositionIn(child, parent), 1, 0, 0, 1e-4);
    EXPECT_VEC_NEAR(PositionIn(parent, child), -1, 0, 0, 1e-4);

    // Placed in scene coordinates, measured back in the parent's.
    ASSERT_EQ(child->SetPosition(nullptr, 10, 0, 5), D3DRM_OK);
    EXPECT_VEC_NEAR(PositionIn(child, parent), 0, 0, 5, 1e-4);
    D3DRMMATRIX4D local;
    child->GetTransform(local);
    EXPECT_NEAR(local[3][0], 0, 1e-4);
    EXPECT_NEAR(local[3][2], 5, 1e-4);

    // Moving the parent carries the child along.
    parent->SetPosition(scene, -3, 4, 0);
    EXPECT_VEC_NEAR(PositionIn(child, nullptr), -3, 4, 5, 1e-4);

    child->Release();
    parent->Release();
    scene->Release();
}

TEST_F(FrameMaths, SetOrientationMakesDirectionTheZAxisAndKeepsThePosition) {
    IDirect3DRMFrame2* scene = NewFrame();
    IDirect3DRMFrame2* parent = NewFrame(scene);
    IDirect3DRMFrame2* frame = NewFrame(parent);
    parent->AddRotation(D3DRMCOMBINE_REPLACE, 0, 1, 0, kPi / 3);
    frame->SetPosition(scene, 1, 2, 3);
    // Direction +x and an up vector with a component along it, which is removed.
    ASSERT_EQ(frame->SetOrientation(scene, 2, 0, 0, 1, 1, 0), D3DRM_OK);
    D3DVECTOR direction{}, up{};
    ASSERT_EQ(frame->GetOrientation(scene, &direction, &up), D3DRM_OK);
    EXPECT_VEC_NEAR(direction, 1, 0, 0, 1e-4);
    EXPECT_VEC_NEAR(up, 0, 1, 0, 1e-4);
    EXPECT_VEC_NEAR(PositionIn(frame, scene), 1, 2, 3, 1e-4);
    // x = y cross z: the frame's own +x axis now points along scene -z.
    D3DVECTOR local{1, 0, 0}, world{};
    frame->Transform(&world, &local);
    EXPECT_VEC_NEAR(world, 1, 2, 2, 1e-4);

    // The disc pose of a white disc: direction -z, up +y.
    ASSERT_EQ(frame->SetOrientation(scene, 0, 0, -1, 0, 1, 0), D3DRM_OK);
    frame->GetOrientation(scene, &direction, &up);
    EXPECT_VEC_NEAR(direction, 0, 0, -1, 1e-4);
    EXPECT_VEC_NEAR(up, 0, 1, 0, 1e-4);

    EXPECT_EQ(frame->SetOrientation(scene, 0, 0, 1, 0, 0, 2), D3DRMERR_BADVALUE);
    EXPECT_EQ(frame->SetOrientation(scene, 0, 0, 0, 0, 1, 0), D3DRMERR_BADVALUE);
    frame->Release();
    parent->Release();
    scene->Release();
}

TEST_F(FrameMaths, TransformsRejectNonsense) {
    IDirect3DRMFrame2* frame = NewFrame();
    EXPECT_EQ(frame->AddRotation(D3DRMCOMBINE_BEFORE, 0, 0, 0, 1), D3DRMERR_BADVALUE);
    EXPECT_EQ(frame->AddRotation(7, 0, 0, 1, 1), D3DRMERR_BADVALUE);
    EXPECT_EQ(frame->SetPosition(nullptr, NAN, 0, 0), D3DRMERR_BADVALUE);
    EXPECT_EQ(frame->GetPosition(nullptr, nullptr), D3DRMERR_BADVALUE);
    D3DRMMATRIX4D projective = {{1, 0, 0, 0.5f}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    EXPECT_EQ(frame->AddTransform(D3DRMCOMBINE_REPLACE, projective), D3DRMERR_BADVALUE);
    EXPECT_EQ(frame->LookAt(nullptr, nullptr, D3DRMCONSTRAIN_Y), D3DRMERR_BADOBJECT);
    // Nothing of the above changed the frame.
    D3DRMMATRIX4D m;
    frame->GetTransform(m);
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j)
            EXPECT_EQ(m[i][j], i == j ? 1.0f : 0.0f);
    }
    frame->Release();
}

// The game's rig: pivot at the scene origin, camera at (50, 0, -80) in the pivot, turned
// toward the pivot with the Y constraint.
class CameraRig : public RetainedTest {
  protected:
    void SetUp() override {
        RetainedTest::SetUp();
        scene = NewFrame();
        pivot = NewFrame(scene);
        camera = NewFrame(pivot);
        camera->SetPosition(scene, 50, 0, -80);
        ASSERT_EQ(camera->LookAt(pivot, scene, D3DRMCONSTRAIN_Y), D3DRM_OK);
    }
    void TearDown() override {
        camera->Release();
        pivot->Release();
        scene->Release();
        RetainedTest::TearDown();
    }
    D3DVECTOR InCamera(float x, float y, float z) {
        D3DVECTOR world{x, y, z}, local{};
        camera->InverseTransform(&local, &world);
        return local;
    }

    IDirect3DRMFrame2 *scene = nullptr, *pivot = nullptr, *camera = nullptr;
};

TEST_F(CameraRig, LooksDownOnTheBoardWithTheFarEdgeAtTheTop) {
    D3DVECTOR direction{}, up{};
    camera->GetOrientation(scene, &direction, &up);
    EXPECT_VEC_NEAR(direction, -0.530, 0, 0.848, 1e-3);
    EXPECT_VEC_NEAR(up, -0.848, 0, -0.530, 1e-3);

    D3DVECTOR centre = InCamera(0, 0, 0);
    EXPECT_NEAR(centre.x, 0, 1e-3);
    EXPECT_NEAR(centre.y, 0, 1e-3);
    EXPECT_NEAR(centre.z, std::sqrt(50.0f * 50 + 80 * 80), 1e-2);

    // The far edge (x = -8) is above the centre of the screen, the near edge below.
    D3DVECTOR far = InCamera(-8, 0, 0), nearEdge = InCamera(8, 0, 0);
    EXPECT_NEAR(far.y / far.z, 0.069, 1e-3);
    EXPECT_NEAR(nearEdge.y / nearEdge.z, -0.075, 1e-3);
    // The board's +y runs to the right of the screen.
    D3DVECTOR right = InCamera(0, 8, 0), left = InCamera(0, -8, 0);
    EXPECT_GT(right.x, 0);
    EXPECT_LT(left.x, 0);
}

TEST_F(CameraRig, OrbitingThePivotKeepsTheBoardCentreInView) {
    for (int press = 1; press <= 64; ++press) {
        pivot->AddRotation(D3DRMCOMBINE_BEFORE, 0, 0, 1, kPi / 32);
        camera->LookAt(pivot, scene, D3DRMCONSTRAIN_Y);
        D3DVECTOR centre = InCamera(0, 0, 0);
        ASSERT_NEAR(centre.x, 0, 1e-2) << press;
        ASSERT_NEAR(centre.y, 0, 1e-2) << press;
        // The camera stays at (50, 0, -80) in the pivot while the pivot turns.
        D3DVECTOR inPivot = PositionIn(camera, pivot);
        ASSERT_NEAR(inPivot.x, 50, 1e-2);
        ASSERT_NEAR(inPivot.z, -80, 1e-2);
        // Screen up keeps leaning away from the board: -z in the scene.
        D3DVECTOR direction{}, up{};
        camera->GetOrientation(scene, &direction, &up);
        ASSERT_LT(up.z, 0);
    }
    // 64 presses make a full circle.
    D3DVECTOR afterFull = PositionIn(camera, nullptr);
    EXPECT_VEC_NEAR(afterFull, 50, 0, -80, 0.05);
}

TEST_F(CameraRig, RaisingTheCameraStaysOnTheBoardCentre) {
    D3DVECTOR p = PositionIn(camera, pivot);
    ASSERT_EQ(camera->SetPosition(pivot, p.x, p.y, p.z + 3.1f), D3DRM_OK);
    camera->LookAt(pivot, scene, D3DRMCONSTRAIN_Y);
    EXPECT_VEC_NEAR(PositionIn(camera, pivot), 50, 0, -76.9, 1e-3);
    D3DVECTOR centre = InCamera(0, 0, 0);
    EXPECT_NEAR(centre.x, 0, 1e-3);
    EXPECT_NEAR(centre.y, 0, 1e-3);
}

TEST_F(FrameMaths, LookAtAlongTheConstrainedAxisKeepsTheOrientation) {
    IDirect3DRMFrame2* scene = NewFrame();
    IDirect3DRMFrame2* target = NewFrame(scene);
    IDirect3DRMFrame2* eye = NewFrame(scene);
    eye->SetPosition(scene, 0, 0, -10);
    eye->AddRotation(D3DRMCOMBINE_BEFORE, 0, 0, 1, 0.3f);
    D3DRMMATRIX4D before, after;
    eye->GetTransform(before);
    EXPECT_EQ(eye->LookAt(target, scene, D3DRMCONSTRAIN_Y), D3DRM_OK);  // straight along z
    eye->GetTransform(after);
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j)
            EXPECT_FLOAT_EQ(after[i][j], before[i][j]);
    }
    // The usual upright camera: up stays on the +y side.
    eye->SetPosition(scene, 0, -10, -10);
    EXPECT_EQ(eye->LookAt(target, scene, D3DRMCONSTRAIN_Z), D3DRM_OK);
    D3DVECTOR direction{}, up{};
    eye->GetOrientation(scene, &direction, &up);
    EXPECT_VEC_NEAR(direction, 0, 0.7071, 0.7071, 1e-3);
    EXPECT_VEC_NEAR(up, 0, 0.7071, -0.7071, 1e-3);
    eye->Release();
    target->Release();
    scene->Release();
}

}  // namespace
}  // namespace retained_test
