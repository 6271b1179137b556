// The flip animation: the ripple order of the schedule, the ticks a move takes, the disc's
// pose on each step, one "put" per landed disc, and AdvanceTurn armed when all have landed.
#include <string>

#include "view/flip_animation.h"
#include "view_test_support.h"

namespace view_test {
namespace {

using namespace retained;

// A board from 8 rows of text, rank 1 first: 'X' black, 'O' white, '-' empty.
Board BoardFrom(const char* const rows[8]) {
    Board board{};
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const char c = rows[y][x];
            board[y * 8 + x] = c == 'X' ? 1 : c == 'O' ? 2 : 0;
        }
    }
    return board;
}

int PutSounds() {
    int count = 0;
    for (const auto& call : desktop::fake::SoundCalls()) {
        if (call.name == "put") {
            EXPECT_EQ(call.flags, 0x40007u);
            ++count;
        }
    }
    return count;
}

TEST(FlipSchedule, RippleOrderFollowsEachTurnedLine) {
    const struct {
        const char* rows[8];
        int x, y;
        Side side;
        // Expected counters per square (only active entries listed, the rest must be idle).
        std::vector<std::pair<int, int>> counters;
    } cases[] = {
        // Six white discs in a row: the nearest starts at once, the farthest five ticks later.
        {{"XOOOOOO-", "--------", "--------", "--------", "--------", "--------", "--------",
          "--------"},
         7,
         0,
         kBlack,
         {{6, 0}, {5, -1}, {4, -2}, {3, -3}, {2, -4}, {1, -5}}},
        // Lines in five directions from d4 for white; the line toward the north-east has no
        // flanking disc and turns nothing.
        {{"---O----", "---X-X--", "---XX---", "-OX-XXXO", "---XX---", "---X-O--", "---O----",
          "--------"},
         3,
         3,
         kWhite,
         {{19, 0}, {11, -1}, {28, 0}, {29, -1}, {30, -2}, {36, 0}, {35, 0}, {43, -1}, {26, 0}}},
        // No flanking disc anywhere: nothing is scheduled.
        {{"--------", "--------", "--------", "---OO---", "--------", "--------", "--------",
          "--------"},
         2,
         3,
         kBlack,
         {}},
    };
    for (const auto& c : cases) {
        const Board board = BoardFrom(c.rows);
        for (FlipEntry& e : gFlipSchedule)
            e = {1, 99};  // the previous move's leftovers
        gMatch.tickHandler = nullptr;
        gMatch.clickHandler = BeginHumanTurn;
        ScheduleFlipAnimation(board, c.x, c.y, c.side);
        FlipEntry expected[64] = {};
        for (auto [square, counter] : c.counters)
            expected[square] = {1, counter};
        for (int i = 0; i < 64; ++i) {
            EXPECT_EQ(gFlipSchedule[i].active, expected[i].active) << "square " << i;
            EXPECT_EQ(gFlipSchedule[i].counter, expected[i].counter) << "square " << i;
        }
        EXPECT_EQ(gMatch.tickHandler, &StepFlipAnimation);
        EXPECT_EQ(gMatch.clickHandler, nullptr);
    }
}

TEST_F(ViewTest, OneTurnedDiscTakesEightTicksThenArmsAdvanceTurn) {
    StartView();
    // Black d3 turns the white disc on d4.
    ScheduleFlipAnimation(gMatch.board, 3, 2, kBlack);
    AddDiscVisual(3, 2, kBlack);
    ApplyMove(gMatch.board, 3, 2, kBlack);
    IDirect3DRMFrame2* d4 = gScene.framePool[27];
    // The disc's height on each pose: it rises toward the camera (more negative z), turns at
    // its highest and lands back on its resting height of -0.2.
    const double kExpectedZ[8] = {-1.0333333, -1.3666667, -1.5,       -1.5666667,
                                  -1.5,       -1.3666667, -1.0333333, -0.2};
    const size_t invalidationsBefore = desktop::fake::InvalidateCalls().size();
    for (int tick = 1; tick <= 8; ++tick) {
        ASSERT_EQ(gMatch.tickHandler, &StepFlipAnimation) << "tick " << tick;
        gMatch.tickHandler();
        const D3DVECTOR p = PositionOf(d4, gScene.sceneFrame);
        EXPECT_NEAR(p.x, -1.0, 1e-5);
        EXPECT_NEAR(p.y, -1.0, 1e-5);
        EXPECT_NEAR(p.z, kExpectedZ[tick - 1], 1e-5) << "tick " << tick;
        EXPECT_EQ(PutSounds(), tick == 8 ? 1 : 0) << "tick " << tick;
        EXPECT_EQ(desktop::fake::InvalidateCalls().size(), invalidationsBefore + tick);
        EXPECT_EQ(desktop::fake::InvalidateCalls().back().erase, desktop::TRUE);
    }
    // Half a turn about the disc's diagonal: the black half now faces the camera.
    D3DVECTOR direction{}, up{};
    ASSERT_EQ(d4->GetOrientation(gScene.sceneFrame, &direction, &up), D3DRM_OK);
    EXPECT_NEAR(direction.z, 1.0, 1e-4);
    EXPECT_EQ(gMatch.tickHandler, &StepFlipAnimation);
    gMatch.tickHandler();  // the 9th tick finds nothing to step
    EXPECT_EQ(gMatch.tickHandler, &AdvanceTurn);
    EXPECT_EQ(gMatch.clickHandler, nullptr);
    EXPECT_EQ(PutSounds(), 1);
    EXPECT_EQ(desktop::fake::InvalidateCalls().size(), invalidationsBefore + 9);
}

TEST_F(ViewTest, SixDiscLineRipplesOutOneTickApartWithOnePutEach) {
    const char* rows[8] = {"XOOOOOO-", "-O------", "-X------", "--------",
                           "--------", "--------", "--------", "--------"};
    gMatch.board = BoardFrom(rows);
    StartView();
    // Black h1 turns b1..g1; the white disc on b2 lies on no line from h1.
    ScheduleFlipAnimation(gMatch.board, 7, 0, kBlack);
    int ticks = 0;
    int firstPoseOfB1 = 0;
    int landingOfB1 = 0;
    const D3DVECTOR rest = PositionOf(gScene.framePool[1], gScene.sceneFrame);
    while (gMatch.tickHandler == &StepFlipAnimation && ticks < 50) {
        ++ticks;
        const int putsBefore = PutSounds();
        gMatch.tickHandler();
        const D3DVECTOR b1 = PositionOf(gScene.framePool[1], gScene.sceneFrame);
        if (!firstPoseOfB1 && b1.z != rest.z) firstPoseOfB1 = ticks;
        if (gFlipSchedule[1].counter == 8 && !landingOfB1) {
            landingOfB1 = ticks;
            EXPECT_EQ(PutSounds(), putsBefore + 1);
        }
    }
    EXPECT_EQ(firstPoseOfB1, 6);
    EXPECT_EQ(landingOfB1, 13);
    EXPECT_EQ(ticks, 14) << "13 ticks of steps, the 14th arms AdvanceTurn";
    EXPECT_EQ(gMatch.tickHandler, &AdvanceTurn);
    EXPECT_EQ(PutSounds(), 6);
    // b2 was never part of the move.
    EXPECT_EQ(gFlipSchedule[9].active, 0);
}

TEST_F(ViewTest, WaitingDiscsAreLeftUntouched) {
    StartView();
    IDirect3DRMFrame2* frame = gScene.framePool[27];
    const D3DVECTOR before = PositionOf(frame, gScene.sceneFrame);
    for (int counter : {-3, -1, 8, 9}) {
        gFlipSchedule[27] = {1, counter};
        ApplyFlipPose(3, 3);
        const D3DVECTOR after = PositionOf(frame, gScene.sceneFrame);
        EXPECT_EQ(after.z, before.z) << counter;
    }
    ApplyFlipPose(-1, 3);  // off the board: nothing, and no crash
    ApplyFlipPose(3, 8);
}

}  // namespace
}  // namespace view_test
