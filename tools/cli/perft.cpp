// Perft over the rules of game/board, and its fast twin on bit sets.
#include "tools/cli/perft.h"

#include <bit>

#include "ai/endgame_bitboard.h"
#include "game/board_bits.h"

namespace {

uint64_t PerftBits(uint64_t own, uint64_t opponent, int depth,
                   const volatile std::sig_atomic_t* stop) {
    uint64_t moves = endgame::LegalMoves(own, opponent);
    if (moves == 0) {
        if (endgame::LegalMoves(opponent, own) == 0) return 1;              // the game is over
        return depth == 1 ? 1 : PerftBits(opponent, own, depth - 1, stop);  // a pass
    }
    // At the last ply the moves themselves are the leaves.
    if (depth == 1) return static_cast<uint64_t>(std::popcount(moves));
    uint64_t leaves = 0;
    if (depth == 2) {
        // One ply before the end each reply position counts its moves, or 1 for a pass or
        // the end of the game, without a call.
        for (; moves != 0; moves &= moves - 1) {
            const int square = std::countr_zero(moves);
            const uint64_t flips = endgame::Flips(own, opponent, square);
            const uint64_t replies =
                endgame::LegalMoves(opponent ^ flips, own | flips | uint64_t{1} << square);
            leaves += replies != 0 ? static_cast<uint64_t>(std::popcount(replies)) : 1;
        }
        return leaves;
    }
    for (; moves != 0; moves &= moves - 1) {
        // Polled once per move above the last three plies: often enough to stop within a
        // millisecond, rarely enough to cost nothing measurable.
        if (stop && depth >= 4 && *stop) return leaves;
        const int square = std::countr_zero(moves);
        const uint64_t flips = endgame::Flips(own, opponent, square);
        leaves += PerftBits(opponent ^ flips, own | flips | uint64_t{1} << square, depth - 1, stop);
    }
    return leaves;
}

}  // namespace

uint64_t Perft(const Board& board, Side side, int depth, const volatile std::sig_atomic_t* stop) {
    if (depth == 0) return 1;
    const board_bits::Discs discs = board_bits::FromBoard(board);
    // Any disc that is not black counts as white, as in CountDiscs.
    const uint64_t white = discs.occupied & ~discs.black;
    return side == kBlack ? PerftBits(discs.black, white, depth, stop)
                          : PerftBits(white, discs.black, depth, stop);
}

uint64_t PerftByRules(const Board& board, Side side, int depth,
                      const volatile std::sig_atomic_t* stop) {
    if (depth == 0) return 1;
    SquarePos moves[64];
    const int count = ListLegalMoves(board, moves, side);
    if (count == 0) {
        SquarePos replies[64];
        if (ListLegalMoves(board, replies, Opponent(side)) == 0) return 1;  // the game is over
        return PerftByRules(board, Opponent(side), depth - 1, stop);        // a pass
    }
    // At the last ply the moves themselves are the leaves.
    if (depth == 1) return static_cast<uint64_t>(count);
    uint64_t leaves = 0;
    for (int i = 0; i < count; ++i) {
        // Polled once per move above the last two plies: often enough to stop within a
        // millisecond, rarely enough to cost nothing measurable.
        if (stop && depth >= 3 && *stop) return leaves;
        Board next = board;
        ApplyMove(next, moves[i].x, moves[i].y, side);
        leaves += PerftByRules(next, Opponent(side), depth - 1, stop);
    }
    return leaves;
}
