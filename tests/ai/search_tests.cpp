// The search engine: move generation and ordering, the backed-up values and both cuts, the
// valuation of finished games and leaves, passes, the root choice, and the 40-move bound.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ai/search.h"
#include "game/random.h"
#include "tests/ai/ai_test_support.h"
#include "tools/notation/notation.h"

namespace {

std::vector<std::string> RootOrder() {
    std::vector<std::string> names;
    for (int i = 0; i < gSearchFrames[0].moveCount; ++i) {
        names.push_back(
            notation::SquareName({gSearchFrames[0].moves[i].x, gSearchFrames[0].moves[i].y}));
    }
    return names;
}

TEST(SearchOrdering, InitialMovesScoreZeroAndKeepRowMajorOrder) {
    BeginSearch(InitialBoard(), 1, kBlack, 0);
    SearchStep();  // generates the root list and makes its first move
    EXPECT_EQ(RootOrder(), (std::vector<std::string>{"d3", "c4", "f5", "e6"}));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(gSearchFrames[0].moves[i].score, 0);
        EXPECT_EQ(gSearchFrames[0].moves[i].flipCount, 1);
    }
    EXPECT_EQ(gSearch.ply, 1);
}

TEST(SearchOrdering, CornerMoveCountsItsOwnEmptySquareAmongTheNeighbours) {
    // a1 turns b1 against c1; b1's empty neighbours are a1 (3), a2 (2), b2 (1) and c2 (2).
    const Board board = BoardFromRows({"-OX-----", "--------", "--------", "--------", "--------",
                                       "--------", "--------", "--------"});
    BeginSearch(board, 0, kBlack, 0);
    EXPECT_EQ(TestMove(gSearch.board, 0, 0, 0), 1);
    EXPECT_EQ(gSearchFrames[0].moves[0].score, 2);
    EXPECT_EQ(gSearchFrames[0].moves[0].flips[0], (SquarePos{1, 0}));
}

TEST(SearchOrdering, TurnedDiscsAreListedFarthestFirstInDirectionOrder) {
    // d4 for black turns f4, e4 (east, farthest first), then d6, d5 (south): east comes
    // before south in the direction order.
    const Board board = BoardFromRows({"--------", "--------", "--------", "----OOX-", "---O----",
                                       "---O----", "---X----", "--------"});
    Board occupied = board;
    occupied[SquareIndex(3, 3)] = kWhite;
    BeginSearch(occupied, 0, kBlack, 0);
    gSearchFrames[0].moves[0].score = 123;
    EXPECT_EQ(TestMove(gSearch.board, 3, 3, 0), 0);
    EXPECT_EQ(gSearchFrames[0].moves[0].score, 123);  // nothing written for an occupied square
    BeginSearch(board, 0, kBlack, 0);
    ASSERT_EQ(TestMove(gSearch.board, 3, 3, 0), 4);
    const SquarePos* flips = gSearchFrames[0].moves[0].flips;
    EXPECT_EQ(flips[0], (SquarePos{5, 3}));
    EXPECT_EQ(flips[1], (SquarePos{4, 3}));
    EXPECT_EQ(flips[2], (SquarePos{3, 5}));
    EXPECT_EQ(flips[3], (SquarePos{3, 4}));
}

// A tester that declares the squares of a script legal with the script's scores.
struct ScriptedMove {
    int x;
    int y;
    int32_t score;
};
std::vector<ScriptedMove> gScript;
int gHighestSlot = -1;

int32_t ScriptedTester(const Board&, int x, int y, int slot) {
    if (slot > gHighestSlot) gHighestSlot = slot;
    MoveEntry& entry = gSearchFrames[gSearch.ply].moves[slot];
    entry.score = -99;  // written before legality is known, as TestMove does
    entry.flipCount = 0;
    for (const ScriptedMove& m : gScript) {
        if (m.x == x && m.y == y) {
            entry.score = m.score;
            entry.flipCount = 1;
            return 1;
        }
    }
    return 0;
}

int32_t EverySquareTester(const Board&, int x, int y, int slot) {
    if (slot > gHighestSlot) gHighestSlot = slot;
    MoveEntry& entry = gSearchFrames[gSearch.ply].moves[slot];
    entry.score = x + y;
    entry.flipCount = 1;
    return 1;
}

class ScriptedGeneration : public ::testing::Test {
  protected:
    void SetUp() override {
        gHighestSlot = -1;
        SetMoveTesterForTesting(ScriptedTester);
    }
    void TearDown() override { SetMoveTesterForTesting(nullptr); }
};

TEST_F(ScriptedGeneration, ExchangeSortOrderIsPinned) {
    struct Case {
        std::vector<int32_t> scores;  // in generation order: squares a1, b1, c1, ...
        std::vector<int> order;       // generation indices in searched order
    };
    const Case cases[] = {
        {{1, 1, 2}, {2, 1, 0}},  // m1 m2 m3 -> m3 m2 m1
        {{0, 0, 0, 0}, {0, 1, 2, 3}}, {{1, 2, 3}, {2, 1, 0}},       {{3, 2, 1}, {0, 1, 2}},
        {{2, 1, 2}, {0, 2, 1}},       {{1, 3, 3, 2}, {1, 2, 3, 0}},
    };
    for (const Case& c : cases) {
        gScript.clear();
        for (size_t i = 0; i < c.scores.size(); ++i) {
            gScript.push_back({static_cast<int>(i), 0, c.scores[i]});
        }
        BeginSearch(InitialBoard(), 1, kBlack, 0);
        GenerateMoves();
        ASSERT_EQ(gSearchFrames[0].moveCount, static_cast<int32_t>(c.scores.size()));
        std::vector<int> order;
        for (int i = 0; i < gSearchFrames[0].moveCount; ++i) {
            order.push_back(gSearchFrames[0].moves[i].x);
        }
        EXPECT_EQ(order, c.order) << "scores " << ::testing::PrintToString(c.scores);
    }
}

int32_t ReferenceTester(const Board& board, int x, int y, int slot) {
    return TestMove(board, x, y, slot);
}

TEST_F(ScriptedGeneration, GenerationMatchesTestingEverySquareInRowMajorOrder) {
    // The search's own generation skips squares that cannot turn anything; the lists it
    // builds must be those of TestMove on every square, entry for entry and in sorted order.
    int positions = 0;
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        for (int moves = 0; moves < 60; moves += 7) {
            const notation::Position p = RandomPlayPosition(seed, moves);
            for (const Side side : {kBlack, kWhite}) {
                SetMoveTesterForTesting(nullptr);
                BeginSearch(p.board, 1, side, 0);
                GenerateMoves();
                const SearchFrame fast = gSearchFrames[0];
                SetMoveTesterForTesting(ReferenceTester);
                BeginSearch(p.board, 1, side, 0);
                GenerateMoves();
                const SearchFrame& slow = gSearchFrames[0];
                ASSERT_EQ(fast.moveCount, slow.moveCount);
                ASSERT_EQ(fast.best, slow.best);
                for (int i = 0; i < fast.moveCount; ++i) {
                    const MoveEntry& a = fast.moves[i];
                    const MoveEntry& b = slow.moves[i];
                    ASSERT_EQ(a.x, b.x) << seed << " " << moves << " entry " << i;
                    ASSERT_EQ(a.y, b.y);
                    ASSERT_EQ(a.score, b.score);
                    ASSERT_EQ(a.flipCount, b.flipCount);
                    for (int f = 0; f < a.flipCount; ++f)
                        ASSERT_EQ(a.flips[f], b.flips[f]);
                }
                ++positions;
            }
        }
    }
    EXPECT_GT(positions, 900);
}

// The legal moves TestMove finds on board for side, in row-major order. TestMove writes into
// the current frame's slot 0, so this is called only on a frame about to generate its list.
std::vector<MoveEntry> ReferenceMoves(const Board& board, Side side) {
    SearchFrame& frame = gSearchFrames[gSearch.ply];
    const Side saved = frame.side;
    frame.side = side;
    std::vector<MoveEntry> moves;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            if (TestMove(board, x, y, 0) > 0) {
                moves.push_back(frame.moves[0]);
                moves.back().x = x;
                moves.back().y = y;
            }
        }
    }
    frame.side = saved;
    return moves;
}

// Steps a whole search and checks every list generated on the way against TestMove on the
// search board as it stood: the generator reads its own copy of the board, kept up to date
// by each move made and undone, and a slip there shows as a different list deep in a search.
int CheckEveryGeneratedList(const Board& root, int depth, Side side, int exact) {
    int checked = 0;
    BeginSearch(root, depth, side, exact);
    while (gSearch.ply >= 0) {
        const int ply = gSearch.ply;
        const SearchFrame& frame = gSearchFrames[ply];
        const bool generates =
            frame.moveCount == 0 && ply + gSearch.rootDiscs < 64 && ply < gSearch.depthLimit;
        const Side mover = frame.side;
        std::vector<MoveEntry> forMover;
        std::vector<MoveEntry> forOpponent;
        if (generates) {
            forMover = ReferenceMoves(gSearch.board, mover);
            forOpponent = ReferenceMoves(gSearch.board, Opponent(mover));
        }
        SearchStep();
        if (!generates) continue;
        // After a pass the list is the opponent's; either way it is in score order.
        const std::vector<MoveEntry>& expected = frame.side == mover ? forMover : forOpponent;
        EXPECT_EQ(frame.moveCount, static_cast<int32_t>(expected.size())) << "ply " << ply;
        if (frame.moveCount != static_cast<int32_t>(expected.size())) return checked;
        for (int i = 0; i < frame.moveCount; ++i) {
            const MoveEntry& got = frame.moves[i];
            const auto match =
                std::find_if(expected.begin(), expected.end(),
                             [&](const MoveEntry& m) { return m.x == got.x && m.y == got.y; });
            EXPECT_NE(match, expected.end()) << "ply " << ply;
            if (match == expected.end()) return checked;
            EXPECT_EQ(got.score, match->score);
            EXPECT_EQ(got.flipCount, match->flipCount);
            for (int f = 0; f < got.flipCount; ++f)
                EXPECT_EQ(got.flips[f], match->flips[f]);
        }
        ++checked;
    }
    return checked;
}

TEST(SearchGeneration, EveryListOfASearchMatchesTestMoveOnTheSearchBoard) {
    int lists = 0;
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        const notation::Position middle = RandomPlayPosition(seed, 24);
        lists += CheckEveryGeneratedList(middle.board, 3, middle.sideToMove, 0);
        const notation::Position end = RandomPlayPosition(seed, 50);
        lists += CheckEveryGeneratedList(end.board, EmptySquares(end.board), end.sideToMove, 1);
    }
    EXPECT_GT(lists, 1000);
}

TEST_F(ScriptedGeneration, GenerationStopsBeforeTheFortyFirstSlot) {
    SetMoveTesterForTesting(EverySquareTester);
    Board board{};  // every square "legal": 64 candidates for 40 slots
    BeginSearch(board, 1, kBlack, 0);
    GenerateMoves();
    EXPECT_EQ(gSearchFrames[0].moveCount, kMaxMoves);
    EXPECT_EQ(gHighestSlot, kMaxMoves - 1);
    // The 40 kept are the first 40 in row-major order: rows 1..5 (a1..h5).
    int highestIndex = 0;
    for (int i = 0; i < kMaxMoves; ++i) {
        const MoveEntry& m = gSearchFrames[0].moves[i];
        highestIndex = std::max(highestIndex, SquareIndex(m.x, m.y));
    }
    EXPECT_EQ(highestIndex, 39);
    // The neighbouring frame is untouched by the full list.
    EXPECT_EQ(gSearchFrames[1].side, 0);
    EXPECT_EQ(gSearchFrames[1].moveCount, 0);
}

TEST_F(ScriptedGeneration, FullRootListSearchesAndPicksWithinBounds) {
    SetMoveTesterForTesting(EverySquareTester);
    Board board{};
    RunSearch(board, 1, kBlack, 1);  // exact mode: every leaf -9999, no evaluation
    EXPECT_EQ(gSearch.ply, -1);
    SquarePos chosen;
    EXPECT_EQ(PickRootMove(&chosen), -kWinValue);
}

// Frames set by hand to drive Backtrack through the cases of its two cuts.
struct BacktrackCase {
    const char* name;
    int32_t exact;
    Side grandSide;  // frame 0 (the root side is black)
    int32_t grandBest;
    Side parentSide;  // frame 1
    int32_t parentBest;
    int32_t childValue;  // frame 2's best
    bool cut;
    int32_t parentBestAfter;
};

TEST(SearchBacktrack, ShallowCutAndExactStopAreDecidedOneLevelUp) {
    const BacktrackCase cases[] = {
        {"reply below root best is cut", 0, kBlack, 50, kWhite, kWinValue, 40, true, 40},
        {"reply equal to root best is cut", 0, kBlack, 50, kWhite, kWinValue, 50, true, 50},
        {"reply above root best goes on", 0, kBlack, 50, kWhite, kWinValue, 51, false, 51},
        {"minimising grandparent cuts a high maximiser", 0, kWhite, 10, kBlack, -kWinValue, 10,
         true, 10},
        {"minimising grandparent lets a low maximiser go on", 0, kWhite, 10, kBlack, -kWinValue, 9,
         false, 9},
        {"same kind after a pass is never cut", 0, kBlack, 50, kBlack, -kWinValue, -500, false,
         -500},
        {"same kind minimisers are never cut", 0, kWhite, -50, kWhite, kWinValue, 500, false, 500},
        {"exact stop for a maximiser that reached 9999", 1, kWhite, -kWinValue, kBlack, -kWinValue,
         kWinValue, true, kWinValue},
        {"exact stop for a minimiser that reached -9999", 1, kBlack, kWinValue, kWhite, kWinValue,
         -kWinValue, true, -kWinValue},
        {"normal mode has no stop at 9999 when the grandparent is higher", 0, kWhite, kWinValue,
         kBlack, -kWinValue, 9998, false, 9998},
    };
    for (const BacktrackCase& c : cases) {
        Board board = InitialBoard();
        BeginSearch(board, 5, kBlack, c.exact);
        gSearchFrames[0] = {};
        gSearchFrames[0].side = c.grandSide;
        gSearchFrames[0].best = c.grandBest;
        gSearchFrames[0].moveCount = 2;
        gSearchFrames[0].moves[0] = {2, 2, 0, 0, {}};
        gSearchFrames[0].moves[1] = {2, 3, 0, 0, {}};
        gSearchFrames[1].side = c.parentSide;
        gSearchFrames[1].best = c.parentBest;
        gSearchFrames[1].moveCount = 3;
        gSearchFrames[1].moves[0] = {5, 5, 0, 0, {}};
        gSearchFrames[2].best = c.childValue;
        gSearch.ply = 2;
        Backtrack();
        EXPECT_EQ(gSearch.ply, 1) << c.name;
        EXPECT_EQ(gSearchFrames[1].best, c.parentBestAfter) << c.name;
        EXPECT_EQ(gSearchFrames[1].moveIndex, c.cut ? 3 : 1) << c.name;
        EXPECT_EQ(gSearchFrames[2].moveCount, 0) << c.name;
    }
}

TEST(SearchBacktrack, CutReplyFrameHandsItsValueToTheRoot) {
    // The root has 50 from its first move; the second move's reply frame backs up 40 first.
    BeginSearch(InitialBoard(), 5, kBlack, 0);
    gSearchFrames[0].best = 50;
    gSearchFrames[0].moveCount = 2;
    gSearchFrames[0].moveIndex = 1;
    gSearchFrames[0].moves[1] = {2, 3, 7, 1, {}};
    gSearch.rootValues[0] = 50;
    gSearchFrames[1].side = kWhite;
    gSearchFrames[1].best = kWinValue;
    gSearchFrames[1].moveCount = 3;
    gSearchFrames[1].moves[0] = {5, 5, 0, 0, {}};
    gSearchFrames[2].best = 40;
    gSearch.ply = 2;
    Backtrack();
    ASSERT_EQ(gSearchFrames[1].moveIndex, 3);
    gSearch.ply = 1;
    SearchStep();  // the exhausted reply frame backs up to the root
    EXPECT_EQ(gSearch.ply, 0);
    EXPECT_EQ(gSearch.rootValues[1], 40);
    EXPECT_EQ(gSearchFrames[0].best, 50);
    EXPECT_EQ(gSearchFrames[0].moveIndex, 2);  // the root itself is never cut
    EXPECT_EQ(gSearch.pathScore, -7);          // the second root move's score was undone
    SquarePos chosen;
    EXPECT_EQ(PickRootMove(&chosen), 50);
}

TEST(SearchBacktrack, ExactWinAtTheRootLeavesLaterRootValuesAtZero) {
    BeginSearch(InitialBoard(), 5, kBlack, 1);
    gSearchFrames[0].moveCount = 4;
    gSearchFrames[0].best = -kWinValue;
    gSearchFrames[0].moveIndex = 1;
    gSearchFrames[0].moves[1] = {2, 3, 0, 0, {}};
    gSearchFrames[1].best = kWinValue;
    gSearch.ply = 1;
    Backtrack();
    EXPECT_EQ(gSearchFrames[0].moveIndex, 4);
    EXPECT_EQ(gSearch.rootValues[1], kWinValue);
    EXPECT_EQ(gSearch.rootValues[2], 0);
    SquarePos chosen;
    EXPECT_EQ(PickRootMove(&chosen), kWinValue);
    EXPECT_EQ(chosen, (SquarePos{2, 3}));
}

TEST(SearchRootChoice, FirstOfEqualMaximaWinsAndNothingAboveFloorTakesEntryZero) {
    struct Case {
        std::vector<int32_t> values;
        int32_t expectedValue;
        int expectedIndex;
    };
    const Case cases[] = {
        {{3, 7, 7, 1}, 7, 1},
        {{-5, -5}, -5, 0},
        {{kRootFloor, kRootFloor}, kRootFloor, 0},
        {{kRootFloor, kRootFloor + 1}, kRootFloor + 1, 1},
        {{0, 0, 9999}, 9999, 2},
    };
    for (const Case& c : cases) {
        BeginSearch(InitialBoard(), 1, kBlack, 0);
        gSearchFrames[0].moveCount = static_cast<int32_t>(c.values.size());
        for (size_t i = 0; i < c.values.size(); ++i) {
            gSearchFrames[0].moves[i] = {static_cast<int32_t>(i), 7, 0, 1, {}};
            gSearch.rootValues[i] = c.values[i];
        }
        SquarePos chosen;
        EXPECT_EQ(PickRootMove(&chosen), c.expectedValue);
        EXPECT_EQ(chosen, (SquarePos{c.expectedIndex, 7}));
    }
}

// Black to move at h8, which turns g8 only and fills the board. blackAfter is black's count
// once the move is played.
Board LastSquareBoard(int blackAfter) {
    Board board{};
    for (int i = 0; i < 64; ++i)
        board[i] = kWhite;
    board[SquareIndex(7, 7)] = kEmpty;
    board[SquareIndex(6, 7)] = kWhite;
    board[SquareIndex(5, 7)] = kBlack;
    board[SquareIndex(7, 6)] = kBlack;
    board[SquareIndex(6, 6)] = kBlack;
    int black = 3 + 2;  // f8, h7, g7, then h8 and g8 after the move
    for (int i = 0; i < 64 && black < blackAfter; ++i) {
        const int x = i % 8;
        const int y = i / 8;
        if (y >= 6 && x >= 5) continue;  // keep the corner block as set
        board[i] = kBlack;
        ++black;
    }
    return board;
}

TEST(SearchValues, FinishedGamesAreValuedByDiscsOrByResultInExactMode) {
    struct Case {
        int blackAfter;
        Side rootSide;  // black moves; the value is for the root side
        int32_t exact;
        int32_t value;
    };
    const Case cases[] = {
        {33, kBlack, 0, 1020}, {31, kBlack, 0, -1020}, {32, kBlack, 0, 0},
        {33, kBlack, 1, 9999}, {31, kBlack, 1, -9999}, {32, kBlack, 1, -9999},
        {40, kBlack, 0, 1160},
    };
    for (const Case& c : cases) {
        const Board board = LastSquareBoard(c.blackAfter);
        ASSERT_EQ(IsLegalMove(board, 7, 7, kBlack), 1);
        const uint64_t draws = RandomDrawCount();
        // Depth 1: the board is full exactly at the depth limit, so no leaf evaluation.
        RunSearch(board, 1, c.rootSide, c.exact);
        EXPECT_EQ(RandomDrawCount(), draws);
        SquarePos chosen;
        EXPECT_EQ(PickRootMove(&chosen), c.value) << c.blackAfter << " exact " << c.exact;
        EXPECT_EQ(chosen, (SquarePos{7, 7}));
        Board after = board;
        ApplyMove(after, 7, 7, kBlack);
        EXPECT_EQ(CountDiscs(after).black, c.blackAfter);
    }
}

TEST(SearchValues, GameOverAtTheDepthLimitIsALeafButAboveItIsFinished) {
    // a1 takes White's only disc; afterwards neither side can move on a board far from full.
    const Board board = BoardFromRows({"-OX-----", "--------", "--------", "--------", "--------",
                                       "--------", "--------", "--------"});
    uint64_t draws = RandomDrawCount();
    RunSearch(board, 1, kBlack, 0);
    EXPECT_EQ(RandomDrawCount(), draws + 1);  // valued by the evaluation
    draws = RandomDrawCount();
    RunSearch(board, 2, kBlack, 0);
    EXPECT_EQ(RandomDrawCount(), draws);
    SquarePos chosen;
    EXPECT_EQ(PickRootMove(&chosen), 1030);  // 3 discs to 0, won
    RunSearch(board, 1, kBlack, 1);
    EXPECT_EQ(PickRootMove(&chosen), -kWinValue);  // an exact leaf short of the end
}

TEST(SearchPasses, APassStaysInTheFrameAndConsumesNoPly) {
    // Whichever of a1 (over b1) and h3 (over h2) black plays, white has no move and black
    // plays the other from the same frame.
    const Board board = BoardFromRows({"-OXXXXXX", "-------O", "--------", "--------", "--------",
                                       "--------", "--------", "--------"});
    BeginSearch(board, 2, kBlack, 0);
    bool sawPass = false;
    while (gSearch.ply >= 0) {
        SearchStep();
        if (gSearch.ply == 2) {
            // The second ply was made by black again from frame 1.
            EXPECT_EQ(gSearchFrames[1].side, kBlack);
            EXPECT_EQ(gSearchFrames[2].side, kWhite);
            sawPass = true;
        }
    }
    EXPECT_TRUE(sawPass);
}

TEST(SearchLifecycle, FinishedSearchRestoresTheBoardAndThePathScore) {
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        const notation::Position position = RandomPlayPosition(seed, 20 + 4 * seed);
        const int empty = EmptySquares(position.board);
        RunSearch(position.board, 3, position.sideToMove, 0);
        EXPECT_EQ(gSearch.board, position.board) << seed;
        EXPECT_EQ(gSearch.pathScore, 0) << seed;
        EXPECT_EQ(gSearch.ply, -1);
        if (empty <= 12) {
            RunSearch(position.board, empty, position.sideToMove, 1);
            EXPECT_EQ(gSearch.board, position.board) << seed;
        }
    }
}

TEST(SearchLifecycle, BeginSearchDiscardsAnAbandonedSearch) {
    const notation::Position position = RandomPlayPosition(3, 24);
    SeedRandom(5);
    RunSearch(position.board, 3, position.sideToMove, 0);
    SquarePos fresh;
    const int32_t freshValue = PickRootMove(&fresh);
    const SearchContext freshContext = gSearch;

    BeginSearch(position.board, 4, position.sideToMove, 0);
    for (int i = 0; i < 25; ++i)
        SearchStep();
    ASSERT_GT(gSearch.ply, 0);
    SeedRandom(5);
    RunSearch(position.board, 3, position.sideToMove, 0);
    SquarePos again;
    EXPECT_EQ(PickRootMove(&again), freshValue);
    EXPECT_EQ(again, fresh);
    for (int i = 0; i < kMaxMoves; ++i)
        EXPECT_EQ(gSearch.rootValues[i], freshContext.rootValues[i]);
}

}  // namespace
