// Pick: nearest first with the frame path from the scene root, the face index, nothing
// outside the viewport, back faces and shadows never picked, and every square of the game's
// board grid found at its centre pixel under the game's camera.
#include "tests/retained/render_test_support.h"

namespace retained_test {
namespace {

using Pick = SceneTest;

struct PickResult {
    IDirect3DRMVisual* visual = nullptr;
    std::vector<IDirect3DRMFrame*> frames;
    D3DRMPICKDESC description{};
};

// Every pick at the pixel, with its objects released.
std::vector<PickResult> PickAt(IDirect3DRMViewport* viewport, LONG x, LONG y) {
    std::vector<PickResult> results;
    IDirect3DRMPickedArray* picked = nullptr;
    EXPECT_EQ(viewport->Pick(x, y, &picked), D3DRM_OK);
    if (!picked) return results;
    for (DWORD i = 0; i < picked->GetSize(); ++i) {
        PickResult r;
        IDirect3DRMFrameArray* frames = nullptr;
        EXPECT_EQ(picked->GetPick(i, &r.visual, &frames, &r.description), D3DRM_OK);
        for (DWORD f = 0; f < frames->GetSize(); ++f) {
            IDirect3DRMFrame* frame = nullptr;
            frames->GetElement(f, &frame);
            r.frames.push_back(frame);
            frame->Release();  // still held by the scene
        }
        frames->Release();
        r.visual->Release();
        results.push_back(r);
    }
    picked->Release();
    return results;
}

TEST_F(Pick, OverlappingQuadsComeBackNearestFirstWithTheirFramePaths) {
    MakeDevice(640, 480, D3DRMRENDER_FLAT);
    camera->SetPosition(scene, 0, 0, -20);
    IDirect3DRMFrame2* group = NewFrame(scene);
    IDirect3DRMMeshBuilder2 *farQuad = nullptr, *nearQuad = nullptr;
    IDirect3DRMFrame2* farFrame = AddQuad(group, 0, 0, 0, 5, &farQuad);
    IDirect3DRMFrame2* nearFrame = AddQuad(scene, 0, 0, -5, 1, &nearQuad);
    // Added in the far-then-near order, so the sort has work to do.

    std::vector<PickResult> hits = PickAt(viewport, 320, 240);
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].visual, static_cast<IDirect3DRMVisual*>(nearQuad));
    EXPECT_EQ(hits[0].frames, (std::vector<IDirect3DRMFrame*>{scene, nearFrame}));
    EXPECT_EQ(hits[1].visual, static_cast<IDirect3DRMVisual*>(farQuad));
    EXPECT_EQ(hits[1].frames, (std::vector<IDirect3DRMFrame*>{scene, group, farFrame}));
    EXPECT_EQ(hits[0].description.ulFaceIdx, 0u);
    EXPECT_EQ(hits[0].description.lGroupIdx, 0);
    EXPECT_VEC_NEAR(hits[0].description.vPosition, 0, 0, -5, 0.05);
    EXPECT_VEC_NEAR(hits[1].description.vPosition, 0, 0, 0, 0.05);

    // Beside the near quad only the far one is there.
    D3DVECTOR side{};
    D3DVECTOR world{3, 0, 0};
    viewport->Transform(&side, &world);
    hits = PickAt(viewport, static_cast<LONG>(side.x), static_cast<LONG>(side.y));
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].visual, static_cast<IDirect3DRMVisual*>(farQuad));

    for (auto* o :
         std::initializer_list<IUnknown*>{group, farFrame, nearFrame, farQuad, nearQuad}) {
        o->Release();
    }
}

TEST_F(Pick, OutsideTheViewportOrBehindTheClipPlanesNothingIsPicked) {
    MakeDevice(640, 480, D3DRMRENDER_FLAT);
    camera->SetPosition(scene, 0, 0, -20);
    IDirect3DRMMeshBuilder2* wall = nullptr;
    IDirect3DRMFrame2* frame = AddQuad(scene, 0, 0, 0, 100, &wall);  // covers every pixel
    EXPECT_EQ(PickAt(viewport, 0, 0).size(), 1u);
    EXPECT_EQ(PickAt(viewport, 639, 479).size(), 1u);
    const LONG outside[][2] = {{-1, 10}, {10, -1}, {640, 10}, {10, 480}, {-5000, -5000}};
    for (const auto& p : outside)
        EXPECT_EQ(PickAt(viewport, p[0], p[1]).size(), 0u);

    viewport->SetBack(15);  // the wall is 20 away: beyond the back plane
    EXPECT_EQ(PickAt(viewport, 320, 240).size(), 0u);
    viewport->SetBack(100);
    camera->SetPosition(scene, 0, 0, -0.5f);  // nearer than the front plane
    EXPECT_EQ(PickAt(viewport, 320, 240).size(), 0u);
    frame->Release();
    wall->Release();
}

TEST_F(Pick, BackFacesAndShadowsAreNeverPicked) {
    MakeDevice(320, 240, D3DRMRENDER_FLAT);
    camera->SetPosition(scene, 0, 0, -20);
    IDirect3DRMLight* sun = nullptr;
    root->CreateLightRGB(D3DRMLIGHT_DIRECTIONAL, 1, 1, 1, &sun);
    IDirect3DRMFrame2* lightFrame = NewFrame(scene);
    lightFrame->SetOrientation(scene, 1, 0, 1, 0, 1, 0);
    lightFrame->AddLight(sun);
    IDirect3DRMMeshBuilder2* caster = nullptr;
    IDirect3DRMFrame2* casterFrame = AddQuad(scene, 0, 0, 0, 0.5f, &caster);
    casterFrame->SetPosition(scene, 0, 0, -2);
    IDirect3DRMVisual* shadow = nullptr;
    root->CreateShadow(caster, sun, 0, 0, 0, 0, 0, 1, &shadow);
    casterFrame->AddVisual(shadow);
    // A wireframe board in the shadow's plane, as in the game.
    IDirect3DRMMeshBuilder2* board = nullptr;
    IDirect3DRMFrame2* boardFrame = AddQuad(scene, 0, 0, 0, 4, &board);
    board->SetQuality(D3DRMRENDER_WIREFRAME);
    RenderAndPresent();

    D3DVECTOR onShadow{}, onCaster{};
    D3DVECTOR shadowWorld{2, 0, 0}, casterWorld{0, 0, -2};
    viewport->Transform(&onShadow, &shadowWorld);
    viewport->Transform(&onCaster, &casterWorld);
    ASSERT_EQ(target.At(static_cast<int>(onShadow.x), static_cast<int>(onShadow.y)), 0u);
    // A click on the shadow finds the board under it, not the caster that owns the shadow.
    std::vector<PickResult> hits =
        PickAt(viewport, static_cast<LONG>(onShadow.x), static_cast<LONG>(onShadow.y));
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].visual, static_cast<IDirect3DRMVisual*>(board));
    hits = PickAt(viewport, static_cast<LONG>(onCaster.x), static_cast<LONG>(onCaster.y));
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].visual, static_cast<IDirect3DRMVisual*>(caster));
    EXPECT_EQ(hits[1].visual, static_cast<IDirect3DRMVisual*>(board));

    // Turned around, the caster shows its back to the camera and is not picked either.
    casterFrame->SetOrientation(scene, 0, 0, -1, 0, 1, 0);
    hits = PickAt(viewport, static_cast<LONG>(onCaster.x), static_cast<LONG>(onCaster.y));
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].visual, static_cast<IDirect3DRMVisual*>(board));

    for (auto* o : std::initializer_list<IUnknown*>{shadow, casterFrame, caster, lightFrame, sun,
                                                    boardFrame, board}) {
        o->Release();
    }
}

// The game's board grid and camera rig: every square is found at its centre pixel with its
// face index, through the tagged board frame, and the grid lines are drawn there.
TEST_F(Pick, EverySquareOfTheBoardGridAtItsCentrePixel) {
    MakeDevice(640, 480, D3DRMRENDER_FLAT);
    viewport->SetBack(200);
    viewport->SetFront(4.5f);
    viewport->SetField(0.5f);
    IDirect3DRMFrame2* pivot = NewFrame(scene);
    pivot->AddChild(camera);
    camera->SetPosition(scene, 50, 0, -80);
    camera->LookAt(pivot, scene, D3DRMCONSTRAIN_Y);

    std::vector<D3DVECTOR> vertices;
    for (int r = 0; r <= 8; ++r) {
        for (int c = 0; c <= 8; ++c)
            vertices.push_back({-8.0f + 2 * c, -8.0f + 2 * r, 0});
    }
    std::vector<DWORD> faceData;
    for (DWORD y = 0; y < 8; ++y) {
        for (DWORD x = 0; x < 8; ++x) {
            faceData.insert(faceData.end(),
                            {4, 9 * y + x, 9 * (y + 1) + x, 9 * (y + 1) + x + 1, 9 * y + x + 1});
        }
    }
    faceData.push_back(0);
    IDirect3DRMMeshBuilder2* board = nullptr;
    root->CreateMeshBuilder(&board);
    ASSERT_EQ(board->AddFaces(81, vertices.data(), 0, nullptr, faceData.data(), nullptr), D3DRM_OK);
    board->SetQuality(D3DRMRENDER_WIREFRAME);
    board->SetColorRGB(0, 0, 0);
    IDirect3DRMFrame2* boardFrame = NewFrame(scene);
    boardFrame->AddVisual(board);
    boardFrame->SetAppData(10);
    RenderAndPresent();

    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            D3DVECTOR s = Project(2.0f * x - 7, 2.0f * y - 7, 0);
            std::vector<PickResult> hits =
                PickAt(viewport, static_cast<LONG>(s.x), static_cast<LONG>(s.y));
            ASSERT_EQ(hits.size(), 1u) << x << "," << y;
            EXPECT_EQ(hits[0].description.ulFaceIdx, static_cast<ULONG>(8 * y + x));
            ASSERT_EQ(hits[0].frames.size(), 2u);
            EXPECT_EQ(hits[0].frames[1]->GetAppData(), 10u);
            // The square's centre is empty grid: background.
            EXPECT_EQ(target.At(static_cast<int>(s.x), static_cast<int>(s.y)), kBackground);
        }
    }
    // Far edge at the top, board +y to the right.
    EXPECT_LT(Project(-8, 0, 0).y, Project(8, 0, 0).y);
    EXPECT_GT(Project(0, 8, 0).x, Project(0, -8, 0).x);
    // A grid line crossing the middle of the screen is drawn black near its projection.
    D3DVECTOR line = Project(0, 1, 0);
    bool black = false;
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            black |= target.At(static_cast<int>(line.x) + dx, static_cast<int>(line.y) + dy) == 0;
        }
    }
    EXPECT_TRUE(black);
    // Off the board: nothing.
    EXPECT_EQ(PickAt(viewport, 5, 5).size(), 0u);

    boardFrame->Release();
    board->Release();
    pivot->Release();
}

TEST_F(Pick, InjectedFailuresReachPickAndGetPick) {
    MakeDevice(64, 48, D3DRMRENDER_FLAT);
    camera->SetPosition(scene, 0, 0, -20);
    IDirect3DRMMeshBuilder2* wall = nullptr;
    IDirect3DRMFrame2* frame = AddQuad(scene, 0, 0, 0, 100, &wall);
    retained::testing::FailCall(retained::testing::CallId::Pick);
    IDirect3DRMPickedArray* picked = reinterpret_cast<IDirect3DRMPickedArray*>(1);
    EXPECT_LT(viewport->Pick(10, 10, &picked), 0);
    EXPECT_EQ(picked, nullptr);
    ASSERT_EQ(viewport->Pick(10, 10, &picked), D3DRM_OK);
    retained::testing::FailCall(retained::testing::CallId::GetPick);
    IDirect3DRMVisual* visual = reinterpret_cast<IDirect3DRMVisual*>(1);
    IDirect3DRMFrameArray* frames = reinterpret_cast<IDirect3DRMFrameArray*>(1);
    D3DRMPICKDESC description{};
    EXPECT_LT(picked->GetPick(0, &visual, &frames, &description), 0);
    EXPECT_EQ(visual, nullptr);
    EXPECT_EQ(frames, nullptr);
    EXPECT_EQ(picked->GetPick(1, &visual, &frames, &description), D3DRMERR_BADVALUE);
    picked->Release();
    frame->Release();
    wall->Release();
}

}  // namespace
}  // namespace retained_test
