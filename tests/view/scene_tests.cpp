// The scene's shapes and the frame pool: what a rebuild shows, where discs and markers rest,
// the board grid whose face index is the square, and the per-move operations when the
// retained layer refuses one of their calls.
#include "view_test_support.h"

namespace view_test {
namespace {

using namespace retained;

IDirect3DRMVisual* AsVisual(IDirect3DRMMeshBuilder2* mesh) {
    return static_cast<IDirect3DRMVisual*>(mesh);
}

// Disc frames (with shadow), marker frames and the board, as a rebuild must leave them.
void ExpectPoolShowsBoard(const Board& board) {
    for (int i = 0; i < 64; ++i) {
        const auto visuals = VisualsOf(gScene.framePool[i]);
        if (board[i] == kEmpty) {
            EXPECT_TRUE(visuals.empty()) << "square " << i;
        } else {
            ASSERT_EQ(visuals.size(), 2u) << "square " << i;
            EXPECT_EQ(visuals[0], AsVisual(gScene.discMesh));
            EXPECT_NE(visuals[1], AsVisual(gScene.discMesh)) << "the second visual is the shadow";
        }
        EXPECT_TRUE(VisualsOf(gScene.framePool[64 + i]).empty()) << "marker " << i;
    }
    const auto grid = VisualsOf(gScene.framePool[kBoardPoolEntry]);
    ASSERT_EQ(grid.size(), 1u);
    EXPECT_EQ(grid[0], AsVisual(gScene.boardMesh));
    EXPECT_EQ(gScene.framePool[kBoardPoolEntry]->GetAppData(), kBoardPickTag);
    for (int i = 129; i < kFramePoolSize; ++i) {
        EXPECT_TRUE(VisualsOf(gScene.framePool[i]).empty()) << "entry " << i;
    }
}

TEST_F(ViewTest, RebuildShowsDiscsShadowsAndTheTaggedBoardOnly) {
    StartView();
    ExpectPoolShowsBoard(gMatch.board);
    EXPECT_EQ(kBoardPickTag, 10u);

    // Markers and an extra disc go at the next rebuild, which follows the board.
    AddMoveMarker(3, 2);
    AddMoveMarker(2, 3);
    AddDiscVisual(3, 2, kBlack);
    EXPECT_EQ(VisualsOf(gScene.framePool[64 + 19]).size(), 1u);
    ApplyMove(gMatch.board, 3, 2, kBlack);
    RebuildDiscs();
    ExpectPoolShowsBoard(gMatch.board);

    // A full board keeps the tag and the empty tail.
    for (int i = 0; i < 64; ++i)
        gMatch.board[i] = static_cast<uint8_t>(i % 3 == 0 ? 2 : 1);
    RebuildDiscs();
    ExpectPoolShowsBoard(gMatch.board);
    RebuildDiscs();
    ExpectPoolShowsBoard(gMatch.board);
}

TEST_F(ViewTest, DiscsRestOnTheirSquaresWithTheirColourTowardTheCamera) {
    StartView();
    const struct {
        int x, y;
        Side side;
        float cx, cy, dz;
    } cases[] = {{0, 0, kBlack, -7, -7, 1}, {7, 7, kWhite, 7, 7, -1}, {2, 5, kBlack, -3, 3, 1}};
    for (const auto& c : cases) {
        AddDiscVisual(c.x, c.y, c.side);
        IDirect3DRMFrame2* frame = gScene.framePool[c.y * 8 + c.x];
        const D3DVECTOR p = PositionOf(frame, gScene.sceneFrame);
        EXPECT_NEAR(p.x, c.cx, 1e-5);
        EXPECT_NEAR(p.y, c.cy, 1e-5);
        EXPECT_NEAR(p.z, -0.2, 1e-5);
        D3DVECTOR direction{}, up{};
        ASSERT_EQ(frame->GetOrientation(gScene.sceneFrame, &direction, &up), D3DRM_OK);
        EXPECT_NEAR(direction.z, c.dz, 1e-5);
        EXPECT_NEAR(up.y, 1.0, 1e-5);
    }
    // A disc turned and lifted by an animation is put back at rest by the next rebuild.
    IDirect3DRMFrame2* d4 = gScene.framePool[27];
    d4->AddRotation(D3DRMCOMBINE_BEFORE, 1, 1, 0, 1.0f);
    d4->SetPosition(gScene.sceneFrame, 0, 0, -3);
    RebuildDiscs();
    D3DVECTOR direction{}, up{};
    ASSERT_EQ(d4->GetOrientation(gScene.sceneFrame, &direction, &up), D3DRM_OK);
    EXPECT_NEAR(direction.z, -1.0, 1e-5);  // d4 is white
    EXPECT_NEAR(PositionOf(d4, gScene.sceneFrame).z, -0.2, 1e-5);

    AddMoveMarker(4, 5);
    const D3DVECTOR m = PositionOf(gScene.framePool[64 + 44], gScene.sceneFrame);
    EXPECT_NEAR(m.x, 1.0, 1e-5);
    EXPECT_NEAR(m.y, 3.0, 1e-5);
    EXPECT_NEAR(m.z, 0.0, 1e-5);
}

TEST_F(ViewTest, BoardGridFacesAreTheSquaresInRowMajorOrder) {
    StartView();
    ASSERT_EQ(gScene.boardMesh->GetFaceCount(), 64);
    EXPECT_EQ(gScene.boardMesh->GetVertexCount(), 81);
    EXPECT_EQ(gScene.boardMesh->GetQuality(), D3DRMRENDER_WIREFRAME);
    for (int square : {0, 7, 9, 36, 56, 63}) {
        const float x0 = 2.0f * (square % 8) - 8.0f;
        const float y0 = 2.0f * (square / 8) - 8.0f;
        const float corners[4][2] = {{x0, y0}, {x0, y0 + 2}, {x0 + 2, y0 + 2}, {x0 + 2, y0}};
        IDirect3DRMFace* face = nullptr;
        ASSERT_EQ(gScene.boardMesh->GetFace(square, &face), D3DRM_OK);
        ASSERT_EQ(face->GetVertexCount(), 4);
        EXPECT_EQ(face->GetColor() & 0xFFFFFFu, 0u) << "black lines";
        for (int v = 0; v < 4; ++v) {
            D3DVECTOR vertex{}, normal{};
            ASSERT_EQ(face->GetVertex(v, &vertex, &normal), D3DRM_OK);
            EXPECT_FLOAT_EQ(vertex.x, corners[v][0]) << square << " " << v;
            EXPECT_FLOAT_EQ(vertex.y, corners[v][1]) << square << " " << v;
            EXPECT_FLOAT_EQ(vertex.z, 0.0f);
        }
        face->Release();
    }
    ASSERT_EQ(gScene.markerMesh->GetFaceCount(), 1);
    IDirect3DRMFace* marker = nullptr;
    ASSERT_EQ(gScene.markerMesh->GetFace(0, &marker), D3DRM_OK);
    EXPECT_EQ(marker->GetColor() & 0xFFFFFFu, D3DRMCreateColorRGB(0.9f, 0.6f, 0.0f) & 0xFFFFFFu);
    D3DVECTOR first{}, normal{};
    ASSERT_EQ(marker->GetVertex(0, &first, &normal), D3DRM_OK);
    EXPECT_FLOAT_EQ(first.y, -0.2f);
    EXPECT_FLOAT_EQ(first.z, 0.1f);
    marker->Release();
    EXPECT_EQ(gScene.discMesh->GetFaceCount(), 144);
}

TEST_F(ViewTest, PerMoveOperationsSkipWhatTheLayerRefused) {
    StartView();
    const long live = LiveObjectCount();

    // No shadow: the disc stays on its own.
    retained::testing::FailCall(CallId::CreateShadow);
    AddDiscVisual(3, 2, kBlack);
    auto visuals = VisualsOf(gScene.framePool[19]);
    ASSERT_EQ(visuals.size(), 1u);
    EXPECT_EQ(visuals[0], AsVisual(gScene.discMesh));

    // No visual array: that frame keeps its visuals, the others are cleared.
    retained::testing::ResetFailures();
    retained::testing::FailCall(CallId::GetVisuals, 20);
    RebuildDiscs();
    EXPECT_EQ(VisualsOf(gScene.framePool[19]).size(), 1u) << "entry 19 was not cleared";
    EXPECT_EQ(VisualsOf(gScene.framePool[27]).size(), 2u);

    // A missing element is skipped; the rest of that frame's visuals go.
    retained::testing::ResetFailures();
    retained::testing::FailCall(CallId::GetElement, 1);
    RebuildDiscs();
    EXPECT_EQ(VisualsOf(gScene.framePool[19]).size(), 1u) << "its one element was refused";
    retained::testing::ResetFailures();
    RebuildDiscs();
    ExpectPoolShowsBoard(gMatch.board);

    // Out-of-board squares never reach the pool.
    AddDiscVisual(-1, 0, kBlack);
    AddDiscVisual(8, 7, kWhite);
    AddMoveMarker(0, 8);
    AddMoveMarker(-3, -3);
    ExpectPoolShowsBoard(gMatch.board);
    EXPECT_EQ(LiveObjectCount(), live);
}

}  // namespace
}  // namespace view_test
