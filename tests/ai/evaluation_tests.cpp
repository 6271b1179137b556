// The leaf evaluation's terms on worked boards, the pattern indices and their reading
// direction, and the single draw per leaf.
#include <gtest/gtest.h>

#include "ai/evaluation.h"
#include "ai/pattern_tables.h"
#include "game/random.h"
#include "tests/ai/ai_test_support.h"

namespace {

class Evaluation : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(LoadPatternTables(), 1); }
};

struct WorkedBoard {
    const char* name;
    Board board;
    int32_t pattern;  // for black; white gets the negation
    int32_t frontier;
    int32_t edgeRun;
};

Board Filled(uint8_t colour) {
    Board board;
    board.fill(colour);
    return board;
}

TEST_F(Evaluation, WorkedBoardsGiveTheirTermsForBothSides) {
    Board afterF5 = InitialBoard();
    ApplyMove(afterF5, 5, 4, kBlack);
    const WorkedBoard boards[] = {
        {"start", InitialBoard(), 0, 0, 0},
        // Black's inner discs have 19 empty neighbours, white's d4 has 5: (5 - 19) / 4.
        {"after f5", afterF5, PatternScore(afterF5, kBlack), -3, 0},
        {"lone a1",
         BoardFromRows({"X-------", "--------", "--------", "--------", "--------", "--------",
                        "--------", "--------"}),
         8, 0, 2},
        {"row 1 black",
         BoardFromRows({"XXXXXXXX", "--------", "--------", "--------", "--------", "--------",
                        "--------", "--------"}),
         16, 0, 16},
        {"all black", Filled(kBlack), 72, 0, 56},
    };
    for (const WorkedBoard& w : boards) {
        EXPECT_EQ(PatternScore(w.board, kBlack), w.pattern) << w.name;
        EXPECT_EQ(PatternScore(w.board, kWhite), -w.pattern) << w.name;
        EXPECT_EQ(FrontierScore(w.board, kBlack), w.frontier) << w.name;
        EXPECT_EQ(FrontierScore(w.board, kWhite), -w.frontier) << w.name;
        EXPECT_EQ(EdgeRunScore(w.board, kBlack), w.edgeRun) << w.name;
        EXPECT_EQ(EdgeRunScore(w.board, kWhite), -w.edgeRun) << w.name;
    }
    EXPECT_EQ(PatternScore(Filled(kWhite), kWhite), 72);
}

TEST_F(Evaluation, EdgeRunsStopAtTheFirstOtherSquareAndNeverReachTheFarEnd) {
    struct Case {
        const char* row1;
        int32_t black;
    };
    const Case cases[] = {
        {"XXXO----", 4},   // 3 from a1 along row 1, 1 from a1 on the a-file line
        {"OOOOOOOX", -6},  // h1 +1 twice; a1..g1 -7; a1 -1 on the a-file line
        {"XXXXXXXO", 6},   // a1..g1 +7, h1 -1 twice, a1 +1
        {"-XXXXXX-", 0},   // runs start only at an occupied end
        {"X------X", 4},
    };
    for (const Case& c : cases) {
        const Board board = BoardFromRows({c.row1, "--------", "--------", "--------", "--------",
                                           "--------", "--------", "--------"});
        EXPECT_EQ(EdgeRunScore(board, kBlack), c.black) << c.row1;
        EXPECT_EQ(EdgeRunScore(board, kWhite), -c.black) << c.row1;
    }
}

TEST_F(Evaluation, FrontierIgnoresRimDiscsAndTruncatesTowardZero) {
    // Rim discs with many empty neighbours do not count.
    const Board rim = BoardFromRows({"XXX-----", "--------", "--------", "X-------", "--------",
                                     "--------", "--------", "-------O"});
    EXPECT_EQ(FrontierScore(rim, kBlack), 0);
    // One inner black disc alone on the board: 8 empty neighbours, (0 - 8) / 4.
    const Board lone = BoardFromRows({"--------", "--------", "--X-----", "--------", "--------",
                                      "--------", "--------", "--------"});
    EXPECT_EQ(FrontierScore(lone, kBlack), -2);
    // Seven: (0 - 7) / 4 is -1, not -2.
    const Board seven = BoardFromRows({"--------", "-X------", "--X-----", "--------", "--------",
                                       "--------", "--------", "--------"});
    EXPECT_EQ(FrontierScore(seven, kBlack), -(7 + 7) / 4);
    EXPECT_EQ(FrontierScore(seven, kWhite), (7 + 7) / 4);
}

TEST_F(Evaluation, PatternIndicesReadFromTheFirstSquare) {
    // a1 black alone: 2187 on line 0 (first square), 1 on line 3 (its last), 243 on run 0.
    const Board lone = BoardFromRows({"X-------", "--------", "--------", "--------", "--------",
                                      "--------", "--------", "--------"});
    EXPECT_EQ(PatternIndex(lone, kEdgeLines[0], 8), 2187);
    EXPECT_EQ(PatternIndex(lone, kEdgeLines[3], 8), 1);
    EXPECT_EQ(PatternIndex(lone, kDiagonalRuns[0], 6), 243);
    EXPECT_EQ(gPatternTables.edge[729], -2);
    EXPECT_EQ(gPatternTables.diagonal[121], -3);
    EXPECT_EQ(gPatternTables.diagonal[243], 0);

    // b2, d4 and e5 black: index 93 from a1, 111 from the other end of the same six squares.
    const Board run = BoardFromRows({"--------", "-X------", "--------", "---X----", "----X---",
                                     "--------", "--------", "--------"});
    EXPECT_EQ(PatternIndex(run, kDiagonalRuns[0], 6), 93);
    const SquarePos reversed[6] = {{5, 5}, {4, 4}, {3, 3}, {2, 2}, {1, 1}, {0, 0}};
    EXPECT_EQ(PatternIndex(run, reversed, 6), 111);
    EXPECT_EQ(gPatternTables.diagonal[93], -10);
    EXPECT_EQ(gPatternTables.diagonal[111], 0);
    // The evaluation reads run 0 from a1 (93) and run 2 from h8 (e5 d4 black: 12).
    EXPECT_EQ(PatternScore(run, kBlack), -10 + gPatternTables.diagonal[12]);
}

TEST_F(Evaluation, LeafIsNoisePlusPathScorePlusTermsWithOneDrawFirst) {
    Board board = InitialBoard();
    ApplyMove(board, 5, 4, kBlack);
    ApplyMove(board, 5, 5, kWhite);
    ApplyMove(board, 4, 5, kBlack);
    BeginSearch(board, 1, kWhite, 0);
    gSearch.pathScore = 17;
    const int32_t terms =
        FrontierScore(board, kWhite) + PatternScore(board, kWhite) + EdgeRunScore(board, kWhite);
    int32_t lowest = 1 << 30;
    int32_t highest = -(1 << 30);
    for (uint32_t seed = 1; seed <= 30; ++seed) {
        SeedRandom(seed);
        const int32_t noise = DrawRandom() % 3 - 1;
        SeedRandom(seed);
        const uint64_t draws = RandomDrawCount();
        const int32_t value = EvaluateLeaf(gSearch);
        EXPECT_EQ(RandomDrawCount(), draws + 1);
        EXPECT_EQ(value, noise + 17 + terms) << seed;
        lowest = std::min(lowest, value);
        highest = std::max(highest, value);
    }
    EXPECT_EQ(highest - lowest, 2);
}

// The three terms as the rules state them, square by square, to hold the fast forms to.
int32_t ReferencePattern(const Board& board, Side side) {
    int32_t sum = 0;
    for (const auto& line : kEdgeLines) {
        int32_t index = 0;
        for (const SquarePos& s : line)
            index = index * 3 + board[SquareIndex(s.x, s.y)];
        sum += gPatternTables.edge[index];
    }
    for (const auto& run : kDiagonalRuns) {
        int32_t index = 0;
        for (const SquarePos& s : run)
            index = index * 3 + board[SquareIndex(s.x, s.y)];
        sum += gPatternTables.diagonal[index];
    }
    return side == kWhite ? -sum : sum;
}

int32_t ReferenceFrontier(const Board& board, Side side) {
    int32_t own = 0, opponent = 0;
    for (int y = 1; y <= 6; ++y) {
        for (int x = 1; x <= 6; ++x) {
            const uint8_t c = board[SquareIndex(x, y)];
            if (c == kEmpty) continue;
            int32_t k = 0;
            for (const Direction& d : kDirections) {
                if (OnBoard(x + d.dx, y + d.dy) && board[SquareIndex(x + d.dx, y + d.dy)] == 0) ++k;
            }
            (c == side ? own : opponent) += k;
        }
    }
    return (opponent - own) / 4;
}

int32_t ReferenceEdgeRuns(const Board& board, Side side) {
    int32_t sum = 0;
    for (const auto& line : kEdgeLines) {
        uint8_t v[8];
        for (int i = 0; i < 8; ++i)
            v[i] = board[SquareIndex(line[i].x, line[i].y)];
        if (v[7] != 0) {
            for (int i = 7; i >= 1 && v[i] == v[7]; --i)
                sum += v[7] == side ? 1 : -1;
        }
        if (v[0] != 0) {
            for (int i = 0; i <= 6 && v[i] == v[0]; ++i)
                sum += v[0] == side ? 1 : -1;
        }
    }
    return sum;
}

TEST_F(Evaluation, TermsAndLeafAgreeWithTheRulesOnPlayedPositions) {
    int positions = 0;
    for (uint32_t seed = 1; seed <= 80; ++seed) {
        for (int moves = 0; moves <= 60; moves += 6) {
            const notation::Position p = RandomPlayPosition(seed, moves);
            for (const Side side : {kBlack, kWhite}) {
                ASSERT_EQ(PatternScore(p.board, side), ReferencePattern(p.board, side));
                ASSERT_EQ(FrontierScore(p.board, side), ReferenceFrontier(p.board, side));
                ASSERT_EQ(EdgeRunScore(p.board, side), ReferenceEdgeRuns(p.board, side));
                BeginSearch(p.board, 1, side, 0);
                gSearch.pathScore = static_cast<int32_t>(seed) - 40;
                SeedRandom(seed);
                const int32_t noise = DrawRandom() % 3 - 1;
                SeedRandom(seed);
                ASSERT_EQ(EvaluateLeaf(gSearch),
                          noise + gSearch.pathScore + ReferenceFrontier(p.board, side) +
                              ReferencePattern(p.board, side) + ReferenceEdgeRuns(p.board, side));
                ++positions;
            }
        }
    }
    EXPECT_GT(positions, 1500);
}

}  // namespace
