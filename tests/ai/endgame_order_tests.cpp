// The solver's move-ordering evaluation and shallow search: the search is a correct
// alpha-beta over the evaluation (against a plain negamax, in every window), and the
// evaluation treats the board's eight symmetries and the two sides alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>

#include "ai/endgame_bitboard.h"
#include "ai/endgame_order.h"
#include "game/board_bits.h"
#include "tests/ai/endgame_test_support.h"

namespace {

using namespace endgame;

struct Sides {
    uint64_t own;
    uint64_t opponent;
};

Sides SidesOf(const notation::Position& p) {
    const board_bits::Discs discs = board_bits::FromBoard(p.board);
    return p.sideToMove == kBlack ? Sides{discs.black, discs.white}
                                  : Sides{discs.white, discs.black};
}

// The evaluation searched without any pruning.
int PlainNegamax(uint64_t own, uint64_t opponent, int depth) {
    if (depth == 0) return OrderingEvaluation(own, opponent);
    uint64_t moves = LegalMoves(own, opponent);
    if (moves == 0) {
        if (LegalMoves(opponent, own) == 0)
            return OrderingSearch(own, opponent, 1, -1 << 20, 1 << 20);
        return -PlainNegamax(opponent, own, depth);
    }
    int best = -(1 << 20);
    for (; moves != 0; moves &= moves - 1) {
        const int square = std::countr_zero(moves);
        const uint64_t flips = Flips(own, opponent, square);
        best = std::max(
            best, -PlainNegamax(opponent ^ flips, own | flips | uint64_t{1} << square, depth - 1));
    }
    return best;
}

// Square (x, y) moved to (y, x), to (7 - x, y), or both, one of the board's symmetries.
uint64_t Transformed(uint64_t bits, int symmetry) {
    uint64_t result = 0;
    for (int square = 0; square < 64; ++square) {
        if ((bits >> square & 1) == 0) continue;
        int x = square % 8;
        int y = square / 8;
        if (symmetry & 1) std::swap(x, y);
        if (symmetry & 2) x = 7 - x;
        if (symmetry & 4) y = 7 - y;
        result |= uint64_t{1} << (y * 8 + x);
    }
    return result;
}

TEST(EndgameOrder, ShallowSearchIsAnAlphaBetaOverTheEvaluationInEveryWindow) {
    int checked = 0;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        // Early, middle and late positions; late ones hold passes and finished games.
        for (const int empty : {40, 20, 6, 2}) {
            const Sides p = SidesOf(PositionWithEmpties(seed, empty));
            for (int depth = 0; depth <= 3; ++depth) {
                const int exact = PlainNegamax(p.own, p.opponent, depth);
                // Windows below, around and above the value: fail-soft bounds on the right side.
                for (const int offset : {-200, -1, 0, 1, 200}) {
                    const int alpha = exact + offset - 1;
                    const int beta = exact + offset + 1;
                    const int value = OrderingSearch(p.own, p.opponent, depth, alpha, beta);
                    if (value <= alpha) {
                        EXPECT_GE(value, exact) << seed << " " << empty << " " << depth;
                    } else if (value >= beta) {
                        EXPECT_LE(value, exact) << seed << " " << empty << " " << depth;
                    } else {
                        EXPECT_EQ(value, exact) << seed << " " << empty << " " << depth;
                    }
                    ++checked;
                }
            }
        }
    }
    EXPECT_EQ(checked, 40 * 4 * 4 * 5);
}

TEST(EndgameOrder, EvaluationIsTheSameUnderSymmetryAndOppositeForTheOtherSide) {
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        const Sides p = SidesOf(PositionWithEmpties(seed, 10 + static_cast<int>(seed % 40)));
        const int value = OrderingEvaluation(p.own, p.opponent);
        EXPECT_EQ(OrderingEvaluation(p.opponent, p.own), -value) << seed;
        for (int symmetry = 1; symmetry < 8; ++symmetry) {
            EXPECT_EQ(
                OrderingEvaluation(Transformed(p.own, symmetry), Transformed(p.opponent, symmetry)),
                value)
                << seed << " symmetry " << symmetry;
        }
    }
}

TEST(EndgameOrder, CornersAndTheirNeighboursWeighAsTheyShould) {
    // Rows a..h from a1; own (X) and opponent (O) otherwise alike: X holds what the case says.
    struct Case {
        const char* name;
        uint64_t own;
        uint64_t opponent;
        bool ownBetter;
    };
    // A disc beside an empty corner is a liability; a corner is an asset; a disc that can
    // never be turned is an asset (on a full board, corners two each, no move or empty square
    // left: only the stable discs tell the sides apart); a finished game won outweighs every
    // evaluation.
    const Case cases[] = {
        {"corner a1 against b1", 0x0000001008000001ull, 0x0000000810000002ull, true},
        {"b2 beside empty a1 against c3", 0x0000001008000200ull, 0x0000000810040000ull, false},
        {"b2 beside an own corner", 0x0000001008000201ull, 0x0000000810040002ull, true},
        {"full board, 33 stable discs against 31", 0xFFFFFFFF08000000ull, 0x00000000F7FFFFFFull,
         true},
        {"full board, 31 stable discs against 33", 0x00000000F7FFFFFFull, 0xFFFFFFFF08000000ull,
         false},
    };
    for (const Case& c : cases) {
        const int value = OrderingEvaluation(c.own, c.opponent);
        EXPECT_EQ(value > 0, c.ownBetter) << c.name << " " << value;
    }
    // A full board, one disc up: the search reports the finished game, above any evaluation.
    const uint64_t own = 0xFFFFFFFF00000001ull;
    const uint64_t opponent = ~own;
    EXPECT_GT(OrderingSearch(own, opponent, 2, -kOrderingWin - 1, kOrderingWin + 1), 0);
    EXPECT_LT(OrderingSearch(opponent, own, 2, -kOrderingWin - 1, kOrderingWin + 1), 0);
}

}  // namespace
