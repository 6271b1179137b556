// The levels: which consult the book, the draws FOOL makes and the squares it shuns, the
// fixed depths, and MASTER's thresholds and its deadline under a hand-driven clock.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ai/endgame_choice.h"
#include "ai/opening_book.h"
#include "ai/pattern_tables.h"
#include "ai/search.h"
#include "ai/skill_levels.h"
#include "game/random.h"
#include "platform/desktop/fake/fake_desktop.h"
#include "tests/ai/ai_test_support.h"

namespace {

class Levels : public ::testing::Test {
  protected:
    void SetUp() override {
        BuildOpeningBook();
        ASSERT_EQ(LoadPatternTables(), 1);
        desktop::fake::Reset();
    }
    void TearDown() override { desktop::fake::Reset(); }
};

std::vector<SquarePos> Moves(const std::string& text) {
    std::vector<SquarePos> moves;
    notation::TextError error;
    EXPECT_TRUE(notation::ParseMoveList(text, 60, moves, error)) << text;
    return moves;
}

Board AfterMoves(const std::vector<SquarePos>& moves, Side* sideToMove = nullptr) {
    Board board = InitialBoard();
    Side side = kBlack;
    for (const SquarePos& m : moves) {
        if (!IsLegalMove(board, m.x, m.y, side)) side = Opponent(side);
        ApplyMove(board, m.x, m.y, side);
        side = Opponent(side);
    }
    if (sideToMove) *sideToMove = side;
    return board;
}

TEST_F(Levels, OnlyExpertAndMasterConsultTheBook) {
    const std::vector<SquarePos> history = Moves("f5");
    const Board board = AfterMoves(history);
    struct Case {
        SkillLevel level;
        uint64_t draws;  // FOOL: one per legal move; POOR: one per leaf; book: 2000
        bool searches;
    };
    const Case cases[] = {
        {kLevelFool, 3, false},      {kLevelPoor, 3, true},       {kLevelNormal, 9, true},
        {kLevelExpert, 2000, false}, {kLevelMaster, 2000, false},
    };
    // NORMAL draws once per leaf its depth-2 search values.
    SeedRandom(1);
    uint64_t normalDraws = RandomDrawCount();
    RunSearch(board, 2, kWhite, 0);
    normalDraws = RandomDrawCount() - normalDraws;
    ASSERT_GT(normalDraws, 3u);
    for (const Case& c : cases) {
        SeedRandom(1);
        const uint64_t draws = RandomDrawCount();
        const uint64_t steps = SearchStepCount();
        const SquarePos move = ChooseComputerMove(board, kWhite, c.level, history.data(), 1);
        EXPECT_EQ(IsLegalMove(board, move.x, move.y, kWhite), 1) << c.level;
        EXPECT_EQ(RandomDrawCount() - draws, c.level == kLevelNormal ? normalDraws : c.draws)
            << c.level;
        EXPECT_EQ(SearchStepCount() > steps, c.searches) << c.level;
    }
}

TEST_F(Levels, BookAnswerThatIsNotLegalFallsBackToTheSearch) {
    // The history says f5 d6 but the board is the start: d6's continuations are not legal.
    const std::vector<SquarePos> history = Moves("f5d6");
    const uint64_t steps = SearchStepCount();
    SeedRandom(3);
    const SquarePos move =
        ChooseComputerMove(InitialBoard(), kBlack, kLevelExpert, history.data(), 2);
    EXPECT_EQ(IsLegalMove(InitialBoard(), move.x, move.y, kBlack), 1);
    EXPECT_GT(SearchStepCount(), steps);
}

TEST_F(Levels, FoolDrawsOncePerLegalMoveEvenInACrowdedPosition) {
    // 27 legal moves for white, more than a list of 24 could hold.
    const std::vector<SquarePos> history =
        Moves("f5d6c5f4e3b5d7c6f3g4b6c7f6d3g3f2c2c3e2g7f7e6g6c1b2");
    Side side;
    const Board board = AfterMoves(history, &side);
    notation::Position expected;
    notation::TextError error;
    ASSERT_TRUE(notation::ParsePosition(
        "--O------XO-XO----XOXXX----XXXO--OXOXX---XXOOXX---OX-XO--------- O", expected, error));
    ASSERT_EQ(board, expected.board);
    ASSERT_EQ(side, kWhite);
    SquarePos legal[64];
    ASSERT_EQ(ListLegalMoves(board, legal, kWhite), 27);
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        SeedRandom(seed);
        const uint64_t draws = RandomDrawCount();
        const SquarePos move = ChooseFoolMove(board, kWhite);
        EXPECT_EQ(RandomDrawCount() - draws, 27u);
        EXPECT_EQ(IsLegalMove(board, move.x, move.y, kWhite), 1);
        EXPECT_EQ(kFoolSquareMarks[SquareIndex(move.x, move.y)] % 2, 0);
    }
}

TEST_F(Levels, FoolShunsTheSquaresInsideTheCornersUnlessNothingElseIsLegal) {
    struct Case {
        const char* name;
        Board board;
        Side side;
        const char* move;
    };
    const Case cases[] = {
        // b2 and g7 are the only moves (b2 over c3 to d4, g7 over f6 to e5): the first wins.
        {"only shunned",
         BoardFromRows({"--------", "--------", "--O-----", "---X----", "----X---", "-----O--",
                        "--------", "--------"}),
         kBlack, "b2"},
        // f1 turns four discs, h6 one: f1 wins whatever the draws.
        {"clear winner",
         BoardFromRows({"OXXXX---", "--------", "--------", "--------", "--------", "--------",
                        "-------X", "-------O"}),
         kWhite, "f1"},
        // b2 and c4 turn two each and b2 comes first in row-major order, but it is shunned.
        {"shunned despite more discs",
         BoardFromRows({"--O-----", "--X-----", "--XX----", "---X----", "----O---", "--------",
                        "--------", "--------"}),
         kWhite, "c4"},
    };
    for (const Case& c : cases) {
        for (uint32_t seed = 1; seed <= 30; ++seed) {
            SeedRandom(seed);
            EXPECT_EQ(notation::SquareName(ChooseFoolMove(c.board, c.side)), c.move) << c.name;
        }
    }
}

// The random bonus is 0, 1 or 2 on top of the discs turned. Here black's moves a1, a3 and a5
// turn one, two and three discs: a1 wins only when its bonus is 2 and a5's is 0 (seed 24),
// a3 whenever its bonus beats a5's by more than one disc's worth. The choices of thirty
// seeds are pinned: a bonus of 0..1 would never play a1, one of 0..3 more often, and any
// other draw per move would move the pattern.
TEST_F(Levels, FoolsRandomBonusDecidesBetweenMovesOneOrTwoDiscsApart) {
    const Board board = BoardFromRows({"-OX-----", "--------", "-OOX----", "--------", "-OOOX---",
                                       "--------", "--------", "--------"});
    SquarePos legal[64];
    ASSERT_EQ(ListLegalMoves(board, legal, kBlack), 3);
    const char* const expected[30] = {
        "a3", "a3", "a3", "a3", "a3", "a5", "a5", "a5", "a5", "a5",  // seeds 1..10
        "a5", "a5", "a3", "a3", "a5", "a3", "a5", "a5", "a5", "a5",  // seeds 11..20
        "a5", "a5", "a3", "a1", "a3", "a5", "a5", "a5", "a5", "a5",  // seeds 21..30
    };
    for (uint32_t seed = 1; seed <= 30; ++seed) {
        SeedRandom(seed);
        EXPECT_EQ(notation::SquareName(ChooseFoolMove(board, kBlack)), expected[seed - 1])
            << "seed " << seed;
    }
}

TEST_F(Levels, FixedDepthLevelsSearchTheirDepthWithoutTheBook) {
    const notation::Position position = RandomPlayPosition(11, 20);
    struct Case {
        SkillLevel level;
        int32_t depth;
    };
    for (const Case c : {Case{kLevelPoor, 1}, Case{kLevelNormal, 2}, Case{kLevelExpert, 4}}) {
        SeedRandom(9);
        RunSearch(position.board, c.depth, position.sideToMove, 0);
        SquarePos expected;
        PickRootMove(&expected);
        SeedRandom(9);
        // A history of 20 moves is past the book, so EXPERT draws nothing for it.
        std::vector<SquarePos> history(20, SquarePos{3, 2});
        EXPECT_EQ(
            ChooseComputerMove(position.board, position.sideToMove, c.level, history.data(), 20),
            expected)
            << c.level;
    }
}

// A clock that reads start at the start of the choice, then start + offset(0) at the check
// before the first exact step and start + offset(k) after exact step k.
void DriveClock(uint32_t start, std::function<uint32_t(uint64_t)> offset) {
    auto readings = std::make_shared<uint64_t>(0);
    desktop::fake::SetTickSource([=]() -> uint32_t {
        const uint64_t reading = ++*readings;
        if (reading == 1) return start;
        return start + offset(reading - 2);
    });
}

TEST_F(Levels, MasterFirstDepthAndExactThresholdsFollowTheDiscCount) {
    int skippedForValue = 0;
    int exactRuns = 0;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        for (const int moves : {39, 40, 50, 51, 56}) {
            const notation::Position p = RandomPlayPosition(seed, moves);
            const int discs = 64 - EmptySquares(p.board);
            SquarePos legal[64];
            if (ListLegalMoves(p.board, legal, p.sideToMove) == 0) continue;
            DriveClock(100, [](uint64_t k) { return static_cast<uint32_t>(k); });
            ChooseMasterMove(p.board, p.sideToMove);
            EXPECT_EQ(gMasterTrace.firstDepth, discs <= 54 ? 6 : 64 - discs);
            const bool exactExpected = discs >= 44 && gMasterTrace.firstValue < 1000;
            EXPECT_EQ(gMasterTrace.exactStarted, exactExpected ? 1 : 0) << discs;
            if (discs >= 44 && gMasterTrace.firstValue >= 1000) ++skippedForValue;
            exactRuns += exactExpected;
        }
    }
    EXPECT_GT(skippedForValue, 0);
    EXPECT_GT(exactRuns, 0);
}

// A position of 20 empty squares whose first search value is below 1000 and whose exact
// search, on the fast solver, needs a few dozen stop tests.
notation::Position SlowExactSearchPosition() {
    for (uint32_t seed = 1; seed < 200; ++seed) {
        const notation::Position p = RandomPlayPosition(seed, 40);
        SquarePos legal[64];
        if (ListLegalMoves(p.board, legal, p.sideToMove) < 2) continue;
        RunSearch(p.board, 6, p.sideToMove, 0);
        SquarePos first;
        if (PickRootMove(&first) >= 1000) continue;
        const ExactChoice exact = ChooseExactWin(p.board, p.sideToMove, nullptr);
        if (exact.wins && !(exact.move == first) && exact.nodes > 20 * 4096) return p;
    }
    ADD_FAILURE() << "no position found";
    return {};
}

TEST_F(Levels, MasterExactSearchStopsAtTheDeadlineCountedFromTheStart) {
    const notation::Position p = SlowExactSearchPosition();
    SeedRandom(4);
    RunSearch(p.board, 6, p.sideToMove, 0);
    SquarePos first;
    PickRootMove(&first);
    const ExactChoice exact = ChooseExactWin(p.board, p.sideToMove, nullptr);
    // The clock readings of a choice that is never short of time: the start, then the
    // solver's stop tests.
    desktop::fake::SetTickCount(500);
    const uint64_t readingsBefore = desktop::fake::TickReadings();
    SeedRandom(4);
    ASSERT_EQ(ChooseMasterMove(p.board, p.sideToMove), exact.move);
    const uint64_t tests = desktop::fake::TickReadings() - readingsBefore - 1;
    ASSERT_GT(tests, 10u);

    struct Case {
        const char* name;
        uint32_t start;
        std::function<uint32_t(uint64_t)> offset;  // by stop test, from 0
        int finished;
        uint64_t lastTest;  // the stop test at which the search ends
    };
    const Case cases[] = {
        {"first search used the budget", 500, [](uint64_t) { return 3000u; }, 0, 0},
        {"never short of time", 500, [](uint64_t) { return 2999u; }, 1, tests - 1},
        {"runs out at the last stop test", 500,
         [tests](uint64_t k) { return k >= tests - 1 ? 3000u : 2999u; }, 0, tests - 1},
        {"runs out at the third stop test", 500, [](uint64_t k) { return k >= 2 ? 3000u : 0u; }, 0,
         2},
        {"the counter wraps during the choice", 0xFFFFFFFFu - 5,
         [](uint64_t k) { return static_cast<uint32_t>(k % 2999); }, 1, tests - 1},
        {"wraps and runs out at the last stop test", 0xFFFFFFF0u,
         [tests](uint64_t k) { return k >= tests - 1 ? 3000u : 20u; }, 0, tests - 1},
    };
    for (const Case& c : cases) {
        SeedRandom(4);
        DriveClock(c.start, c.offset);
        const uint64_t readings = desktop::fake::TickReadings();
        const SquarePos chosen = ChooseMasterMove(p.board, p.sideToMove);
        EXPECT_EQ(gMasterTrace.exactStarted, 1) << c.name;
        EXPECT_EQ(gMasterTrace.exactFinished, c.finished) << c.name;
        EXPECT_EQ(chosen, c.finished ? exact.move : first) << c.name;
        // One reading for the start, one per stop test made.
        EXPECT_EQ(desktop::fake::TickReadings() - readings, c.lastTest + 2) << c.name;
        // A stop test every few thousand nodes: a stopped search ends within one interval.
        if (!c.finished) {
            EXPECT_LE(gMasterTrace.exactNodes, (c.lastTest + 2) * 4096) << c.name;
        }
        EXPECT_LE(desktop::fake::Trace().size(), 2u) << c.name;
    }
}

TEST_F(Levels, SideWithoutAMoveGetsNoChoice) {
    const Board board = BoardFromRows({"XXXXXXXX", "--------", "--------", "--------", "--------",
                                       "--------", "--------", "--------"});
    const uint64_t draws = RandomDrawCount();
    const uint64_t steps = SearchStepCount();
    for (SkillLevel level = kLevelFool; level <= kLevelMaster; ++level) {
        EXPECT_EQ(ChooseComputerMove(board, kWhite, level, nullptr, 0), (SquarePos{0, 0}));
    }
    EXPECT_EQ(RandomDrawCount(), draws);
    EXPECT_EQ(SearchStepCount(), steps);
}

}  // namespace
