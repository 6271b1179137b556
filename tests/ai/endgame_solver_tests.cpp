// The fast solver: exact scores against a plain minimax, win/draw/loss against the exact
// score, passes and finished games at the root, the first winning move against the stepwise
// exact search over thousands of seeded positions, the stop test, the table's bound, and the
// same answers with more threads and with a tiny table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ai/endgame_hash.h"
#include "ai/endgame_solver.h"
#include "ai/search.h"
#include "game/random.h"
#include "tests/ai/endgame_test_support.h"

namespace {

EndgameAnswer Solve(const notation::Position& p, EndgameMode mode, int threads = 1,
                    int megabytes = 4, EndgameProcessor processor = EndgameProcessor::kFastest) {
    EndgameSettings settings;
    settings.threads = threads;
    settings.hashMegabytes = megabytes;
    settings.processor = processor;
    return SolveEndgame(p.board, p.sideToMove, mode, settings);
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

// The position after side plays square.
notation::Position After(const notation::Position& p, int square) {
    notation::Position next = p;
    ApplyMove(next.board, square % 8, square / 8, p.sideToMove);
    next.sideToMove = Opponent(p.sideToMove);
    return next;
}

TEST(EndgameSolver, ExactScoresAndMovesMatchAPlainMinimax) {
    int positions = 0;
    int rootPasses = 0;
    for (uint32_t seed = 1; seed <= 160; ++seed) {
        for (const int empty : {1, 2, 3, 5, 7, 8, 9, 10}) {
            // The plain minimax is slow: fewer of the largest positions.
            if (empty >= 9 && seed % 4 != 1) continue;
            notation::Position p = PositionWithEmpties(seed, empty);
            // Every fourth position is asked of the side that must pass, where there is one.
            if (seed % 4 == 0 && LegalMoveMask(p.board, Opponent(p.sideToMove)) == 0) {
                p.sideToMove = Opponent(p.sideToMove);
            }
            const int expected = PlainMinimax(p.board, p.sideToMove);
            const EndgameAnswer exact = Solve(p, EndgameMode::kExact);
            ASSERT_EQ(exact.complete, 1);
            ASSERT_EQ(exact.score, expected) << notation::FormatPosition(p);
            const EndgameAnswer wld = Solve(p, EndgameMode::kWinDrawLoss);
            EXPECT_EQ(wld.score, Sign(expected)) << notation::FormatPosition(p);
            if (LegalMoveMask(p.board, p.sideToMove) == 0) {
                EXPECT_EQ(exact.move, -1);
                ++rootPasses;
            } else {
                // The move named reaches the score.
                ASSERT_GE(exact.move, 0);
                EXPECT_EQ(-PlainMinimax(After(p, exact.move).board, Opponent(p.sideToMove)),
                          expected)
                    << notation::FormatPosition(p);
            }
            ++positions;
        }
    }
    EXPECT_EQ(positions, 160 * 6 + 40 * 2);
    EXPECT_GT(rootPasses, 10);
}

// The last few empty squares have their own move loops without a list or a table: every
// count of them, as the root's children and below, in thousands of positions (passes
// included), exact and win/draw/loss.
TEST(EndgameSolver, TheLastFewEmptySquaresMatchAPlainMinimax) {
    int positions = 0;
    int rootPasses = 0;
    for (const int empty : {4, 5, 6}) {
        for (uint32_t seed = 1000; seed < 2000; ++seed) {
            notation::Position p = PositionWithEmpties(seed, empty);
            if (seed % 3 == 0 && LegalMoveMask(p.board, Opponent(p.sideToMove)) == 0) {
                p.sideToMove = Opponent(p.sideToMove);
            }
            rootPasses += LegalMoveMask(p.board, p.sideToMove) == 0 ? 1 : 0;
            const int expected = PlainMinimax(p.board, p.sideToMove);
            const EndgameAnswer exact = Solve(p, EndgameMode::kExact);
            ASSERT_EQ(exact.score, expected) << notation::FormatPosition(p);
            ASSERT_EQ(Solve(p, EndgameMode::kWinDrawLoss).score, Sign(expected))
                << notation::FormatPosition(p);
            ++positions;
        }
    }
    EXPECT_EQ(positions, 3000);
    EXPECT_GT(rootPasses, 20);
}

TEST(EndgameSolver, FinishedGamesAndPassesAtTheRoot) {
    struct Case {
        const char* position;
        int score;
        int move;  // -1: none
    };
    const Case cases[] = {
        // Neither side can move: 3 black, 0 white, 61 empty all go to black.
        {"XXX------------------------------------------------------------- X", 64, -1},
        {"XXX------------------------------------------------------------- O", -64, -1},
        // A full board, 32 all: a draw.
        {"XXXXXXXXOOOOOOOOXXXXXXXXOOOOOOOOXXXXXXXXOOOOOOOOXXXXXXXXOOOOOOOO X", 0, -1},
        // White must pass; black then plays c1 and has every disc.
        {"XO-------------------------------------------------------------- O", -64, -1},
        {"XO-------------------------------------------------------------- X", 64, 2},
    };
    for (const Case& c : cases) {
        notation::Position p;
        notation::TextError error;
        ASSERT_TRUE(notation::ParsePosition(c.position, p, error)) << c.position;
        for (const EndgameMode mode : {EndgameMode::kExact, EndgameMode::kWinDrawLoss}) {
            const EndgameAnswer answer = Solve(p, mode);
            EXPECT_EQ(answer.complete, 1);
            EXPECT_EQ(answer.score, mode == EndgameMode::kExact ? c.score : Sign(c.score))
                << c.position;
            EXPECT_EQ(answer.move, c.move) << c.position;
        }
    }
}

// Whether side wins after playing square, by the stepwise search's own rule.
struct StepwiseRoot {
    std::vector<SquarePos> order;
    std::vector<int32_t> values;  // 9999, -9999, or 0 for a move after the first win
};

StepwiseRoot StepwiseExact(const notation::Position& p) {
    RunSearch(p.board, EmptySquares(p.board), p.sideToMove, 1);
    StepwiseRoot root;
    for (int i = 0; i < gSearchFrames[0].moveCount; ++i) {
        root.order.push_back({gSearchFrames[0].moves[i].x, gSearchFrames[0].moves[i].y});
        root.values.push_back(gSearch.rootValues[i]);
    }
    return root;
}

TEST(EndgameSolver, FirstWinningMoveMatchesTheStepwiseExactSearch) {
    struct Band {
        int low;
        int high;
        uint32_t seeds;
    };
    // Thousands of positions, most of them small enough for the stepwise search to be quick.
    const Band bands[] = {{6, 10, 300}, {11, 13, 150}, {14, 14, 40}, {15, 16, 10}};
    int compared = 0;
    int wins = 0;
    int withoutWin = 0;
    const uint64_t drawsBefore = RandomDrawCount();
    for (const Band& band : bands) {
        for (int empty = band.low; empty <= band.high; ++empty) {
            for (uint32_t seed = 1; seed <= band.seeds; ++seed) {
                const notation::Position p = PositionWithEmpties(seed + 1000 * empty, empty);
                if (EmptySquares(p.board) != empty || LegalMoveMask(p.board, p.sideToMove) == 0)
                    continue;
                const StepwiseRoot stepwise = StepwiseExact(p);
                EndgameSettings settings;
                settings.hashMegabytes = 4;
                const FirstWinAnswer fast =
                    FindFirstWinningMove(p.board, p.sideToMove, stepwise.order, settings);
                ASSERT_EQ(fast.complete, 1);
                // Every root move the stepwise search valued: win or not, one by one.
                int stepwiseFirst = -1;
                for (size_t i = 0; i < stepwise.order.size(); ++i) {
                    if (stepwise.values[i] == 0) break;
                    const FirstWinAnswer one = FindFirstWinningMove(
                        p.board, p.sideToMove, std::span(&stepwise.order[i], 1), settings);
                    ASSERT_EQ(one.index == 0, stepwise.values[i] == kWinValue)
                        << notation::FormatPosition(p) << " root move " << i;
                    if (stepwise.values[i] == kWinValue) {
                        stepwiseFirst = static_cast<int>(i);
                        break;
                    }
                }
                ASSERT_EQ(fast.index, stepwiseFirst) << notation::FormatPosition(p);
                (stepwiseFirst >= 0 ? wins : withoutWin) += 1;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 2000);
    EXPECT_GT(wins, 500);
    EXPECT_GT(withoutWin, 500);
    // Neither search draws from the shared generator.
    EXPECT_EQ(RandomDrawCount(), drawsBefore);
}

TEST(EndgameSolver, ExactAndWinDrawLossAgreeOnLargerPositions) {
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        const notation::Position p = PositionWithEmpties(seed, 16);
        const EndgameAnswer exact = Solve(p, EndgameMode::kExact);
        const EndgameAnswer wld = Solve(p, EndgameMode::kWinDrawLoss);
        EXPECT_EQ(wld.score, Sign(exact.score)) << notation::FormatPosition(p);
        if (exact.move >= 0) {
            // Perfect play keeps the score: the reply position is worth its negation.
            const EndgameAnswer reply = Solve(After(p, exact.move), EndgameMode::kExact);
            EXPECT_EQ(reply.score, -exact.score) << notation::FormatPosition(p);
        }
    }
}

TEST(EndgameSolver, AnswersDoNotDependOnThreadsOrTableSize) {
    for (uint32_t seed = 1; seed <= 24; ++seed) {
        const notation::Position p =
            PositionWithEmpties(seed + 77, 14 + static_cast<int>(seed % 4));
        const std::string text = notation::FormatPosition(p);
        for (const EndgameMode mode : {EndgameMode::kExact, EndgameMode::kWinDrawLoss}) {
            const EndgameAnswer one = Solve(p, mode, 1, 4);
            for (const int threads : {2, 3}) {
                const EndgameAnswer more = Solve(p, mode, threads, 4);
                EXPECT_EQ(more.score, one.score) << text << " threads " << threads;
                EXPECT_EQ(more.move, one.move) << text << " threads " << threads;
            }
            const EndgameAnswer tiny = Solve(p, mode, 1, 1);
            EXPECT_EQ(tiny.score, one.score) << text;
            EXPECT_EQ(tiny.move, one.move) << text;
        }
        // The first win in a list, asked on two threads: the list in square order.
        std::vector<SquarePos> moves;
        SquarePos legal[64];
        const int count = ListLegalMoves(p.board, legal, p.sideToMove);
        moves.assign(legal, legal + count);
        EndgameSettings settings;
        settings.hashMegabytes = 4;
        const FirstWinAnswer one = FindFirstWinningMove(p.board, p.sideToMove, moves, settings);
        settings.threads = 2;
        const FirstWinAnswer two = FindFirstWinningMove(p.board, p.sideToMove, moves, settings);
        EXPECT_EQ(two.index, one.index) << text;
    }
}

// The code for every processor and the code for processors with BMI2 and AVX2 are the same
// search: the same answers after the same number of nodes, passes at the root and within the
// search included. (Where the processor lacks those features both run the portable code, and
// this only shows that a search repeats itself.)
TEST(EndgameSolver, PortableAndProcessorSpecificCodeSearchTheSameTree) {
    int passes = 0;
    for (uint32_t seed = 1; seed <= 48; ++seed) {
        notation::Position p = PositionWithEmpties(seed + 300, 6 + static_cast<int>(seed % 11));
        if (seed % 3 == 0 && LegalMoveMask(p.board, Opponent(p.sideToMove)) == 0) {
            p.sideToMove = Opponent(p.sideToMove);
            ++passes;
        }
        const std::string text = notation::FormatPosition(p);
        for (const EndgameMode mode : {EndgameMode::kExact, EndgameMode::kWinDrawLoss}) {
            const EndgameAnswer fast = Solve(p, mode, 1, 4, EndgameProcessor::kFastest);
            const EndgameAnswer portable = Solve(p, mode, 1, 4, EndgameProcessor::kPortable);
            EXPECT_EQ(fast.score, portable.score) << text;
            EXPECT_EQ(fast.move, portable.move) << text;
            EXPECT_EQ(fast.nodes, portable.nodes) << text;
        }
        SquarePos legal[64];
        const std::vector<SquarePos> moves(legal,
                                           legal + ListLegalMoves(p.board, legal, p.sideToMove));
        EndgameSettings settings;
        settings.hashMegabytes = 4;
        const FirstWinAnswer fast = FindFirstWinningMove(p.board, p.sideToMove, moves, settings);
        settings.processor = EndgameProcessor::kPortable;
        const FirstWinAnswer portable =
            FindFirstWinningMove(p.board, p.sideToMove, moves, settings);
        EXPECT_EQ(fast.index, portable.index) << text;
        EXPECT_EQ(fast.nodes, portable.nodes) << text;
    }
    EXPECT_GT(passes, 0);
}

TEST(EndgameSolver, TheStopTestAbandonsWithinAFewThousandNodes) {
    const notation::Position p = PositionWithEmpties(5, 20);
    for (const int allowed : {0, 1, 3}) {
        int asked = 0;
        EndgameSettings settings;
        settings.stop = [&] { return asked++ >= allowed; };
        const EndgameAnswer answer =
            SolveEndgame(p.board, p.sideToMove, EndgameMode::kExact, settings);
        EXPECT_EQ(answer.complete, 0) << allowed;
        EXPECT_EQ(asked, allowed + 1);
        EXPECT_LE(answer.nodes, static_cast<uint64_t>(allowed + 2) * 4096) << allowed;
    }
    // On two threads as well, the stop test is asked on the calling thread and ends them all.
    int asked = 0;
    EndgameSettings twoThreads;
    twoThreads.threads = 2;
    twoThreads.stop = [&] { return asked++ >= 2; };
    EXPECT_EQ(SolveEndgame(p.board, p.sideToMove, EndgameMode::kExact, twoThreads).complete, 0);
    EXPECT_EQ(asked, 3);
    // A stop test that never fires changes nothing.
    EndgameSettings settings;
    settings.stop = [] { return false; };
    const EndgameAnswer free = SolveEndgame(p.board, p.sideToMove, EndgameMode::kExact, {});
    const EndgameAnswer watched =
        SolveEndgame(p.board, p.sideToMove, EndgameMode::kExact, settings);
    EXPECT_EQ(watched.complete, 1);
    EXPECT_EQ(watched.score, free.score);
    EXPECT_EQ(watched.nodes, free.nodes);
}

TEST(EndgameHash, TheTableIsBoundedAndKeepsWhatItIsGiven) {
    for (const size_t megabytes : {1, 3, 64}) {
        endgame::HashTable table(megabytes);
        EXPECT_LE(table.bytes(), megabytes << 20);
        EXPECT_GT(table.bytes(), (megabytes << 20) / 2);
    }
    endgame::HashTable table(1);
    table.Store(0x1234, 0x5678, 12, {-4, 10, 37});
    endgame::HashBounds bounds{};
    ASSERT_TRUE(table.Probe(0x1234, 0x5678, bounds));
    EXPECT_EQ(bounds.lower, -4);
    EXPECT_EQ(bounds.upper, 10);
    EXPECT_EQ(bounds.move, 37);
    EXPECT_FALSE(table.Probe(0x5678, 0x1234, bounds));  // the colours swapped
    EXPECT_FALSE(table.Probe(0x1234, 0x5679, bounds));
    table.Clear();
    EXPECT_FALSE(table.Probe(0x1234, 0x5678, bounds));
    // A position stored again after a clear is found with its new bounds.
    table.Store(0x1234, 0x5678, 12, {2, 2, 5});
    ASSERT_TRUE(table.Probe(0x1234, 0x5678, bounds));
    EXPECT_EQ(bounds.lower, 2);
    EXPECT_EQ(bounds.move, 5);
}

// Clearing forgets by counting generations up: however many clears, an entry stored before
// one is never found after it, also once the count has started again.
TEST(EndgameHash, NoEntryOutlivesAClear) {
    endgame::HashTable table(1);
    endgame::HashBounds bounds{};
    table.Store(0x1234, 0x5678, 12, {-4, 10, 37});
    int found = 0;
    for (int clear = 0; clear < 140000; ++clear) {
        table.Clear();
        found += table.Probe(0x1234, 0x5678, bounds) ? 1 : 0;
        // Another position, stored and found within its own generation.
        table.Store(0x9ABC, 0xDEF0, 10, {0, 0, 3});
        found += table.Probe(0x9ABC, 0xDEF0, bounds) ? 0 : 1;
    }
    EXPECT_EQ(found, 0);
}

}  // namespace
