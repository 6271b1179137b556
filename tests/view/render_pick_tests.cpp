// The rendered frame and the pick, through the view's own scene: background, grid lines,
// disc shades, shadows and markers at the pixels where the scene projects them, and the
// square found under the cursor for every empty square from three camera positions.
#include <cstdio>
#include <string>

#include "view/picking_camera.h"
#include "view_test_support.h"

namespace view_test {
namespace {

using namespace retained;

constexpr uint32_t kBackground = 0x663F00;

struct Pixel {
    int x;
    int y;
};

class RenderTest : public ViewTest {
  protected:
    // Renders the board through the view as a paint would, with the legal-move markers.
    void Render(DWORD quality, bool markers) {
        gRenderSettings.quality = quality;
        ASSERT_NE(RecreateDevice(window, kSceneWidth, kSceneHeight), 0);
        RebuildDiscs();
        if (markers) {
            for (int y = 0; y < 8; ++y) {
                for (int x = 0; x < 8; ++x) {
                    if (IsLegalMove(gMatch.board, x, y, gMatch.sideToMove)) AddMoveMarker(x, y);
                }
            }
        }
        RenderScene();
        image = desktop::fake::LastPresented(window);
        ASSERT_EQ(image.width, kSceneWidth);
        ASSERT_EQ(image.height, kSceneHeight);
    }

    Pixel Project(float x, float y, float z) {
        D3DVECTOR world{x, y, z}, screen{};
        EXPECT_EQ(gScene.viewport->Transform(&screen, &world), D3DRM_OK);
        return {static_cast<int>(screen.x), static_cast<int>(screen.y)};
    }

    uint32_t At(Pixel p) {
        if (p.x < 0 || p.y < 0 || p.x >= image.width || p.y >= image.height) return 0xFFFFFFFF;
        return image.pixels[static_cast<size_t>(p.y) * image.width + p.x] & 0xFFFFFF;
    }

    bool BlackNear(Pixel p) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                if (At({p.x + dx, p.y + dy}) == 0) return true;
            }
        }
        return false;
    }

    desktop::fake::PresentedImage image;
};

int Channel(uint32_t colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFF);
}

// One black disc on c6 and one white on f3, far from each other: room around each for its
// shadow and for the background on the side away from the light.
void PlaceTwoDiscs() {
    gMatch.board = Board{};
    gMatch.board[5 * 8 + 2] = kBlack;
    gMatch.board[2 * 8 + 5] = kWhite;
}

TEST_F(RenderTest, EmptySquaresShowTheBackgroundInsideTheGridLines) {
    gMatch.board = Board{};
    StartView();
    for (DWORD quality : {D3DRMRENDER_FLAT, D3DRMRENDER_GOURAUD, D3DRMRENDER_WIREFRAME}) {
        SCOPED_TRACE(quality);
        Render(quality, false);
        for (int square = 0; square < 64; ++square) {
            const float cx = 2.0f * (square % 8) - 7;
            const float cy = 2.0f * (square / 8) - 7;
            EXPECT_EQ(At(Project(cx, cy, 0)), kBackground) << "square " << square;
        }
        // Every grid line, at the middle of each square's side, and the board's four edges.
        for (int line = 0; line <= 8; ++line) {
            for (int along = 0; along < 8; ++along) {
                const float l = 2.0f * line - 8;
                const float a = 2.0f * along - 7;
                EXPECT_TRUE(BlackNear(Project(l, a, 0))) << "line x=" << l << " at y=" << a;
                EXPECT_TRUE(BlackNear(Project(a, l, 0))) << "line y=" << l << " at x=" << a;
            }
        }
        // Outside the board there is only the background.
        for (Pixel corner : {Pixel{2, 2}, Pixel{kSceneWidth - 3, 2}, Pixel{2, kSceneHeight - 3},
                             Pixel{kSceneWidth - 3, kSceneHeight - 3}}) {
            EXPECT_EQ(At(corner), kBackground) << corner.x << "," << corner.y;
        }
    }
}

TEST_F(RenderTest, DiscsAreShadedGreysWithTheirShadowAwayFromTheLight) {
    PlaceTwoDiscs();
    StartView();
    for (DWORD quality : {D3DRMRENDER_FLAT, D3DRMRENDER_GOURAUD}) {
        SCOPED_TRACE(quality);
        Render(quality, false);
        const uint32_t black = At(Project(-3, 3, -0.4f));
        const uint32_t white = At(Project(3, -3, -0.4f));
        // The colour-ramp device shades greys: all three channels equal.
        for (uint32_t c : {black, white}) {
            EXPECT_EQ(Channel(c, 16), Channel(c, 8)) << std::hex << c;
            EXPECT_EQ(Channel(c, 8), Channel(c, 0)) << std::hex << c;
        }
        EXPECT_GE(Channel(white, 0), 0xE0) << std::hex << white;
        EXPECT_LT(Channel(black, 0), Channel(white, 0)) << std::hex << black;
        // The light shines along (5, 2, 3), away from the camera: the shadow falls toward
        // +x and +y of each disc, and the side toward the light keeps the background.
        for (const auto& centre : {Pixel{-3, 3}, Pixel{3, -3}}) {
            const float cx = static_cast<float>(centre.x);
            const float cy = static_cast<float>(centre.y);
            EXPECT_EQ(At(Project(cx + 1.3f, cy + 0.5f, 0)), 0u) << cx << "," << cy;
            EXPECT_EQ(At(Project(cx + 1.4f, cy - 0.2f, 0)), 0u) << cx << "," << cy;
            EXPECT_EQ(At(Project(cx - 1.5f, cy - 0.5f, 0)), kBackground) << cx << "," << cy;
            EXPECT_EQ(At(Project(cx - 1.4f, cy + 0.2f, 0)), kBackground) << cx << "," << cy;
        }
    }
}

TEST_F(RenderTest, MarkersShowOnTheLegalSquaresOnly) {
    StartView();
    Render(D3DRMRENDER_FLAT, true);
    for (int square = 0; square < 64; ++square) {
        if (gMatch.board[square] != kEmpty) continue;
        const uint32_t c = At(Project(2.0f * (square % 8) - 7, 2.0f * (square / 8) - 7, 0.1f));
        if (IsLegalMove(gMatch.board, square % 8, square / 8, kBlack)) {
            EXPECT_GT(Channel(c, 16), Channel(c, 8)) << "orange at " << square;
            EXPECT_GT(Channel(c, 8), 0x60) << "orange at " << square;
            EXPECT_EQ(Channel(c, 0), 0) << "orange at " << square;
        } else {
            EXPECT_EQ(c, kBackground) << "square " << square;
        }
    }
}

TEST_F(RenderTest, PickFindsEveryEmptySquareAtThreeCameras) {
    gMatch.board = InitialBoard();
    ApplyMove(gMatch.board, 3, 2, kBlack);
    ApplyMove(gMatch.board, 2, 2, kWhite);
    ApplyMove(gMatch.board, 5, 5, kBlack);
    StartView();
    AddMoveMarker(2, 4);  // a marker lies beyond the board plane and never hides the grid
    const struct {
        int orbit;   // presses of the right arrow (negative: left)
        int height;  // presses of the up arrow (negative: down)
    } cameras[] = {{0, 0}, {10, -5}, {-20, -8}};
    for (const auto& camera : cameras) {
        SCOPED_TRACE(::testing::Message() << "camera " << camera.orbit << "," << camera.height);
        for (int i = 0; i < (camera.orbit < 0 ? -camera.orbit : camera.orbit); ++i) {
            OrbitCamera(camera.orbit < 0 ? -kOrbitStep : kOrbitStep);
        }
        for (int i = 0; i < (camera.height < 0 ? -camera.height : camera.height); ++i) {
            ShiftCameraHeight(camera.height < 0 ? -kHeightStep : kHeightStep);
        }
        for (int square = 0; square < 64; ++square) {
            const float cx = 2.0f * (square % 8) - 7;
            const float cy = 2.0f * (square / 8) - 7;
            SquarePos found{42, 42};
            if (gMatch.board[square] == kEmpty) {
                const Pixel p = Project(cx, cy, 0);
                ASSERT_NE(PickSquare({p.x, p.y}, &found), 0)
                    << "square " << square << " at " << p.x << "," << p.y;
                EXPECT_EQ(found, (SquarePos{square % 8, square / 8}));
            } else {
                const Pixel p = Project(cx, cy, -0.4f);
                EXPECT_EQ(PickSquare({p.x, p.y}, &found), 0) << "disc on " << square;
                EXPECT_EQ(found, (SquarePos{42, 42}));
            }
        }
        SquarePos found{42, 42};
        const Pixel off = Project(-11, 0, 0);
        EXPECT_EQ(PickSquare({off.x, off.y}, &found), 0);
        for (desktop::POINT outside :
             {desktop::POINT{-1, 5}, desktop::POINT{5, -1}, desktop::POINT{kSceneWidth, 5},
              desktop::POINT{5, kSceneHeight + 3}}) {
            EXPECT_EQ(PickSquare(outside, &found), 0) << outside.x << "," << outside.y;
        }
        EXPECT_EQ(found, (SquarePos{42, 42}));
    }
}

TEST_F(RenderTest, PickThroughAShadowFindsTheBoard) {
    PlaceTwoDiscs();
    StartView();
    // c6's shadow reaches into d6, which is empty.
    Render(D3DRMRENDER_FLAT, false);
    const Pixel shadow = Project(-3 + 1.3f, 3 + 0.5f, 0);
    ASSERT_EQ(At(shadow), 0u);
    SquarePos found{};
    ASSERT_NE(PickSquare({shadow.x, shadow.y}, &found), 0);
    EXPECT_EQ(found, (SquarePos{3, 5}));
}

TEST_F(RenderTest, PickSkipsWhatTheLayerRefused) {
    StartView();
    const Pixel a1 = Project(-7, -7, 0);
    SquarePos found{42, 42};
    const long live = LiveObjectCount();
    for (CallId call : {CallId::Pick, CallId::GetPick, CallId::GetElement}) {
        retained::testing::ResetFailures();
        retained::testing::FailEveryCall(call);
        EXPECT_EQ(PickSquare({a1.x, a1.y}, &found), 0) << static_cast<int>(call);
        EXPECT_EQ(found, (SquarePos{42, 42}));
        EXPECT_EQ(LiveObjectCount(), live) << "the pick keeps nothing";
    }
    retained::testing::ResetFailures();
    EXPECT_NE(PickSquare({a1.x, a1.y}, &found), 0);
    EXPECT_EQ(found, (SquarePos{0, 0}));
}

}  // namespace
}  // namespace view_test
