// The solver's bit-set board against the game's rules: the same legal moves and the same
// turned discs from every implementation (the default, the one-direction-at-a-time fallback,
// and the AVX2 and BMI2 ones where the processor has them), and stable discs that no
// continuation of the game ever turns.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <vector>

#include "ai/endgame_bitboard.h"
#include "ai/endgame_bitboard_avx2.h"
#include "ai/endgame_bitboard_bmi2.h"
#include "game/board_bits.h"
#include "tests/ai/endgame_test_support.h"

namespace {

struct Bits {
    uint64_t own;
    uint64_t opponent;
};

Bits BitsOf(const Board& board, Side side) {
    const board_bits::Discs discs = board_bits::FromBoard(board);
    return side == kBlack ? Bits{discs.black, discs.white} : Bits{discs.white, discs.black};
}

// One implementation of the move generator and the turned discs.
struct Primitives {
    const char* name;
    uint64_t (*legalMoves)(uint64_t own, uint64_t opponent);
    uint64_t (*flips)(uint64_t own, uint64_t opponent, int square);
};

uint64_t DefaultLegalMoves(uint64_t own, uint64_t opponent) {
    return endgame::LegalMoves(own, opponent);
}
uint64_t DefaultFlips(uint64_t own, uint64_t opponent, int square) {
    return endgame::Flips(own, opponent, square);
}
#if ZANTOBEL_ENDGAME_AVX2
[[gnu::target("avx2,popcnt")]] uint64_t VectorLegalMoves(uint64_t own, uint64_t opponent) {
    return endgame::avx2::LegalMoves(own, opponent);
}
[[gnu::target("avx2,popcnt")]] uint64_t VectorFlips(uint64_t own, uint64_t opponent, int square) {
    return endgame::avx2::Flips(own, opponent, square);
}
#endif
#if ZANTOBEL_ENDGAME_BMI2
[[gnu::target("bmi2,popcnt")]] uint64_t GatheredFlips(uint64_t own, uint64_t opponent, int square) {
    return endgame::bmi2::Flips(own, opponent, square);
}
#endif

// Every implementation this processor runs; a skipped one is said on stderr.
std::vector<Primitives> RunnablePrimitives() {
    // The default move generator uses 128-bit registers where the processor family always
    // has them; the portable one is what every other processor runs.
    std::vector<Primitives> all{{"default", DefaultLegalMoves, DefaultFlips},
                                {"portable", endgame::LegalMovesPortable, DefaultFlips}};
#if ZANTOBEL_ENDGAME_AVX2
    if (endgame::avx2::Avx2Available()) all.push_back({"avx2", VectorLegalMoves, VectorFlips});
#endif
    if (all.size() == 2) std::fprintf(stderr, "the AVX2 primitives are not run here\n");
    bool gathered = false;
#if ZANTOBEL_ENDGAME_BMI2
    gathered = endgame::bmi2::Bmi2Available();
    if (gathered) all.push_back({"bmi2", DefaultLegalMoves, GatheredFlips});
#endif
    if (!gathered) std::fprintf(stderr, "the BMI2 turned discs are not run here\n");
    return all;
}

// The board's moves and every empty square's turned discs from primitives, held to the rules.
void ExpectRulesAgree(const Primitives& primitives, const Board& board, Side side) {
    const Bits bits = BitsOf(board, side);
    ASSERT_EQ(primitives.legalMoves(bits.own, bits.opponent), LegalMoveMask(board, side))
        << primitives.name << " " << notation::FormatPosition({board, side});
    for (int square = 0; square < 64; ++square) {
        if (board[square] != kEmpty) continue;
        const uint64_t flips = primitives.flips(bits.own, bits.opponent, square);
        if (!IsLegalMove(board, square % 8, square / 8, side)) {
            ASSERT_EQ(flips, 0u) << primitives.name << " " << square;
            continue;
        }
        Board after = board;
        ApplyMove(after, square % 8, square / 8, side);
        const Bits turned = BitsOf(after, side);
        ASSERT_EQ(flips, turned.own & ~bits.own & ~(uint64_t{1} << square))
            << primitives.name << " " << notation::FormatPosition({board, side}) << " " << square;
    }
}

TEST(EndgameBitboard, MovesAndTurnedDiscsMatchTheRulesSquareBySquare) {
    for (const Primitives& primitives : RunnablePrimitives()) {
        int positions = 0;
        for (uint32_t seed = 1; seed <= 300; ++seed) {
            for (const int played : {0, 5, 12, 20, 30, 40, 50, 56}) {
                const notation::Position p = RandomPlayPosition(seed, played);
                for (const Side side : {kBlack, kWhite}) {
                    ASSERT_NO_FATAL_FAILURE(ExpectRulesAgree(primitives, p.board, side));
                    ++positions;
                }
            }
        }
        EXPECT_EQ(positions, 300 * 8 * 2) << primitives.name;
    }
}

TEST(EndgameBitboard, EveryRunLengthAlongEveryLineToTheEdge) {
    // From every square in every direction: a run of 0..7 opponent's discs closed by own, left
    // open by an empty square, or running into the edge; the rest of the board empty or full of
    // own discs, so that a run that wrapped round into the next row would find one.
    const int kDx[8] = {1, 1, 0, -1, -1, -1, 0, 1};
    const int kDy[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    enum class End { kOwn, kEmpty, kEdge };
    for (const Primitives& primitives : RunnablePrimitives()) {
        int cases = 0;
        for (const uint8_t rest : {uint8_t{kEmpty}, uint8_t{kBlack}}) {
            for (int square = 0; square < 64; ++square) {
                for (int d = 0; d < 8; ++d) {
                    for (int run = 0; run <= 7; ++run) {
                        for (const End end : {End::kOwn, End::kEmpty, End::kEdge}) {
                            Board board;
                            board.fill(rest);
                            board[square] = kEmpty;
                            int x = square % 8;
                            int y = square / 8;
                            bool fits = true;
                            for (int i = 0; i <= run && fits; ++i) {
                                x += kDx[d];
                                y += kDy[d];
                                const bool inside = x >= 0 && x < 8 && y >= 0 && y < 8;
                                // The edge case needs the run to end exactly at the edge.
                                if (i < run) {
                                    fits = inside;
                                    if (fits) board[y * 8 + x] = kWhite;
                                } else if (end == End::kEdge) {
                                    fits = !inside;
                                } else {
                                    fits = inside;
                                    if (fits) board[y * 8 + x] = end == End::kOwn ? kBlack : kEmpty;
                                }
                            }
                            if (!fits) continue;
                            ASSERT_NO_FATAL_FAILURE(ExpectRulesAgree(primitives, board, kBlack));
                            ++cases;
                        }
                    }
                }
            }
        }
        // Each of the 2 * 64 * 8 square-direction pairs has room for some runs.
        EXPECT_GT(cases, 2 * 64 * 8) << primitives.name;
    }
}

// Every disc that can change colour in some continuation of the game from board.
uint64_t TurnableDiscs(const Board& board, Side side, bool passed = false) {
    SquarePos moves[64];
    const int count = ListLegalMoves(board, moves, side);
    if (count == 0) return passed ? 0 : TurnableDiscs(board, Opponent(side), true);
    uint64_t turnable = 0;
    for (int i = 0; i < count; ++i) {
        Board next = board;
        ApplyMove(next, moves[i].x, moves[i].y, side);
        for (int square = 0; square < 64; ++square) {
            if (board[square] != kEmpty && board[square] != next[square])
                turnable |= uint64_t{1} << square;
        }
        turnable |= TurnableDiscs(next, Opponent(side));
    }
    return turnable;
}

TEST(EndgameBitboard, StableDiscsAreNeverTurnedAndCornersCount) {
    int stableSeen = 0;
    for (uint32_t seed = 1; seed <= 120; ++seed) {
        for (const int empty : {4, 6, 8}) {
            const notation::Position p = PositionWithEmpties(seed, empty);
            const uint64_t turnable = TurnableDiscs(p.board, p.sideToMove);
            const board_bits::Discs discs = board_bits::FromBoard(p.board);
            for (const uint64_t colour : {discs.black, discs.white}) {
                const uint64_t stable = endgame::StableDiscs(colour, discs.occupied);
                EXPECT_EQ(stable & ~colour, 0u);
                EXPECT_EQ(stable & turnable, 0u) << notation::FormatPosition(p);
                // A corner disc can never be turned.
                EXPECT_EQ(colour & endgame::kCornerSquares & ~stable, 0u);
                stableSeen += std::popcount(stable);
            }
        }
    }
    // Late positions hold many stable discs; an estimate finding almost none is no estimate.
    EXPECT_GT(stableSeen, 120 * 3 * 8);
}

TEST(EndgameBitboard, FilledEdgeAndLinesMakeStableDiscs) {
    struct Case {
        std::array<const char*, 8> rows;
        uint64_t stableBlack;
    };
    const Case cases[] = {
        // A whole first row of black: each disc has the edge on one side of every line but
        // the row, and the row is full.
        {{"XXXXXXXX", "--------", "--------", "--------", "--------", "--------", "--------",
          "--------"},
         0xFFull},
        // A run from the corner along the edge, stopped by an empty square: the run is stable.
        {{"XXX-O---", "--------", "--------", "--------", "--------", "--------", "--------",
          "--------"},
         0x7ull},
        // No corner, no full line: nothing.
        {{"-XXXXXX-", "--------", "--------", "--------", "--------", "--------", "--------",
          "--------"},
         0x0ull},
    };
    for (const Case& c : cases) {
        const board_bits::Discs discs = board_bits::FromBoard(BoardFromRows(c.rows));
        EXPECT_EQ(endgame::StableDiscs(discs.black, discs.occupied), c.stableBlack) << c.rows[0];
    }
}

}  // namespace
