// The solver's bit-set board against the game's rules: the same legal moves, the same turned
// discs, and stable discs that no continuation of the game ever turns.
#include <gtest/gtest.h>

#include <functional>

#include "ai/endgame_bitboard.h"
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

TEST(EndgameBitboard, MovesAndTurnedDiscsMatchTheRulesSquareBySquare) {
    int positions = 0;
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        for (const int played : {0, 5, 12, 20, 30, 40, 50, 56}) {
            const notation::Position p = RandomPlayPosition(seed, played);
            for (const Side side : {kBlack, kWhite}) {
                const Bits bits = BitsOf(p.board, side);
                ASSERT_EQ(endgame::LegalMoves(bits.own, bits.opponent),
                          LegalMoveMask(p.board, side))
                    << notation::FormatPosition({p.board, side});
                for (int square = 0; square < 64; ++square) {
                    if (p.board[square] != kEmpty) continue;
                    const uint64_t flips = endgame::Flips(bits.own, bits.opponent, square);
                    if (!IsLegalMove(p.board, square % 8, square / 8, side)) {
                        ASSERT_EQ(flips, 0u) << square;
                        continue;
                    }
                    Board after = p.board;
                    ApplyMove(after, square % 8, square / 8, side);
                    const Bits turned = BitsOf(after, side);
                    ASSERT_EQ(flips, turned.own & ~bits.own & ~(uint64_t{1} << square))
                        << notation::FormatPosition({p.board, side}) << " " << square;
                }
                ++positions;
            }
        }
    }
    EXPECT_EQ(positions, 300 * 8 * 2);
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
