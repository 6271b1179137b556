// A human move played through the match flow with the view's own operations installed, as
// the program wires them: markers, pick at the last cursor position, the placed disc, the
// flip animation with its sound, and the rebuild that puts every disc back at rest.
#include "view/flip_animation.h"
#include "view/picking_camera.h"
#include "view_test_support.h"

namespace view_test {
namespace {

using namespace retained;

desktop::POINT gCursor;

int PickAtCursor(SquarePos* square) {
    return PickSquare(gCursor, square);
}

SquarePos NoComputerMove(const Board&, Side, SkillLevel, const SquarePos*, int32_t) {
    ADD_FAILURE() << "no computer plays in this game";
    return {0, 0};
}
void Nothing() {}
void NoLevel(SkillLevel) {}
int PatternsLoaded() {
    return 1;
}

int MarkerCount() {
    int count = 0;
    for (int i = 64; i < 128; ++i)
        count += static_cast<int>(VisualsOf(gScene.framePool[i]).size());
    return count;
}

int Sounds(const char* name) {
    int count = 0;
    for (const auto& call : desktop::fake::SoundCalls())
        count += call.name == name;
    return count;
}

TEST_F(ViewTest, HumanMovePlaysThroughTheView) {
    StartView();
    InstallMatchOperations({NoComputerMove, ScheduleFlipAnimation, PickAtCursor, AddDiscVisual,
                            AddMoveMarker, RebuildDiscs, RequestRepaint, Nothing, Nothing, NoLevel,
                            Nothing, PatternsLoaded});
    gMatch.mode = kModeTwoHumans;
    gMatch.settings = {1, 1, 1};
    StartNewGame();
    gMatch.tickHandler();  // BeginHumanTurn: black's four markers
    EXPECT_EQ(MarkerCount(), 4);
    ASSERT_EQ(gMatch.clickHandler, &OnHumanClick);

    // A click counts where the mouse last moved: first over a disc, then over d3.
    D3DVECTOR world{-1, -1, -0.4f}, screen{};
    ASSERT_EQ(gScene.viewport->Transform(&screen, &world), D3DRM_OK);
    gCursor = {static_cast<LONG>(screen.x), static_cast<LONG>(screen.y)};
    gMatch.clickHandler();
    EXPECT_EQ(gMatch.clickHandler, &OnHumanClick) << "a click on a disc does nothing";
    world = {-1, -3, 0};
    ASSERT_EQ(gScene.viewport->Transform(&screen, &world), D3DRM_OK);
    gCursor = {static_cast<LONG>(screen.x), static_cast<LONG>(screen.y)};
    gMatch.clickHandler();
    EXPECT_EQ(gMatch.board[2 * 8 + 3], kBlack);
    EXPECT_EQ(VisualsOf(gScene.framePool[19]).size(), 2u) << "the placed disc and its shadow";
    EXPECT_EQ(Sounds("click"), 1);

    // Eight ticks of animation with the markers still shown, the 9th arms AdvanceTurn, the
    // 10th runs it and the rebuild leaves five discs at rest and no marker.
    for (int tick = 1; tick <= 9; ++tick) {
        ASSERT_EQ(gMatch.tickHandler, &StepFlipAnimation) << tick;
        gMatch.tickHandler();
        EXPECT_EQ(MarkerCount(), 4) << tick;
    }
    ASSERT_EQ(gMatch.tickHandler, &AdvanceTurn);
    gMatch.tickHandler();
    EXPECT_EQ(Sounds("put"), 1);
    EXPECT_EQ(MarkerCount(), 0);
    int discs = 0;
    for (int i = 0; i < 64; ++i)
        discs += VisualsOf(gScene.framePool[i]).size() == 2;
    EXPECT_EQ(discs, 5);
    IDirect3DRMFrame2* d4 = gScene.framePool[27];
    D3DVECTOR direction{}, up{};
    ASSERT_EQ(d4->GetOrientation(gScene.sceneFrame, &direction, &up), D3DRM_OK);
    EXPECT_NEAR(direction.z, 1.0, 1e-5) << "d4 rests black side up";
    EXPECT_NEAR(up.y, 1.0, 1e-5);
    EXPECT_NEAR(PositionOf(d4, gScene.sceneFrame).z, -0.2, 1e-5);
    EXPECT_EQ(gMatch.sideToMove, kWhite);
    gMatch.tickHandler();  // white's turn begins with white's markers
    EXPECT_EQ(MarkerCount(), 3);
}

}  // namespace
}  // namespace view_test
