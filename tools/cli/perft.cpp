// Perft over the rules of game/board, and its fast twin on bit sets.
#include "tools/cli/perft.h"

#include <bit>

#include "ai/endgame_bitboard.h"
#include "ai/endgame_bitboard_avx2.h"
#include "game/board_bits.h"

namespace {

// The leaves two plies below own's moves: each reply position's move count, or 1 for a pass
// or the end of the game, counted without a call.
uint64_t CountTwoPlies(uint64_t own, uint64_t opponent, uint64_t moves) {
    uint64_t leaves = 0;
    for (; moves != 0; moves &= moves - 1) {
        const int square = std::countr_zero(moves);
        const uint64_t flips = endgame::Flips(own, opponent, square);
        const uint64_t replies =
            endgame::LegalMoves(opponent ^ flips, own | flips | uint64_t{1} << square);
        leaves += replies != 0 ? static_cast<uint64_t>(std::popcount(replies)) : 1;
    }
    return leaves;
}

#if ZANTOBEL_ENDGAME_AVX2
// The moves of the reply position after own plays square, or 1 for a pass or the end of the
// game; the position stays in vector registers, every lane the same.
[[gnu::target("avx2,popcnt"), gnu::always_inline]] inline uint64_t CountRepliesAvx2(
    __m256i own, __m256i opponent, int square) {
    namespace avx2 = endgame::avx2;
    const __m256i flips = avx2::Flips(own, opponent, square);
    const __m256i replies = _mm256_xor_si256(opponent, flips);
    const __m256i replied =
        _mm256_or_si256(_mm256_or_si256(own, flips), avx2::Broadcast(uint64_t{1} << square));
    const uint64_t moves = avx2::LegalMoves(replies, replied);
    return moves != 0 ? static_cast<uint64_t>(std::popcount(moves)) : 1;
}

// The same count as CountTwoPlies with the four-direction primitives; nearly all of perft's
// time is spent here. Two moves at a time give the processor two independent chains.
[[gnu::target("avx2,popcnt")]] uint64_t CountTwoPliesAvx2(uint64_t own, uint64_t opponent,
                                                          uint64_t moves) {
    const __m256i mine = endgame::avx2::Broadcast(own);
    const __m256i theirs = endgame::avx2::Broadcast(opponent);
    uint64_t leaves = 0;
    while (moves != 0) {
        const int first = std::countr_zero(moves);
        moves &= moves - 1;
        if (moves == 0) return leaves + CountRepliesAvx2(mine, theirs, first);
        const int second = std::countr_zero(moves);
        moves &= moves - 1;
        leaves += CountRepliesAvx2(mine, theirs, first) + CountRepliesAvx2(mine, theirs, second);
    }
    return leaves;
}
#endif

struct BitWalk {
    uint64_t (*countTwoPlies)(uint64_t own, uint64_t opponent, uint64_t moves);
    const volatile std::sig_atomic_t* stop;
};

uint64_t PerftBits(uint64_t own, uint64_t opponent, int depth, const BitWalk& walk) {
    uint64_t moves = endgame::LegalMoves(own, opponent);
    if (moves == 0) {
        if (endgame::LegalMoves(opponent, own) == 0) return 1;              // the game is over
        return depth == 1 ? 1 : PerftBits(opponent, own, depth - 1, walk);  // a pass
    }
    // At the last ply the moves themselves are the leaves.
    if (depth == 1) return static_cast<uint64_t>(std::popcount(moves));
    if (depth == 2) return walk.countTwoPlies(own, opponent, moves);
    uint64_t leaves = 0;
    for (; moves != 0; moves &= moves - 1) {
        // Polled once per move above the last three plies: often enough to stop within a
        // millisecond, rarely enough to cost nothing measurable.
        if (walk.stop && depth >= 4 && *walk.stop) return leaves;
        const int square = std::countr_zero(moves);
        const uint64_t flips = endgame::Flips(own, opponent, square);
        leaves += PerftBits(opponent ^ flips, own | flips | uint64_t{1} << square, depth - 1, walk);
    }
    return leaves;
}

}  // namespace

bool PerftHasVectorPath() {
    return endgame::avx2::Avx2Available();
}

uint64_t Perft(const Board& board, Side side, int depth, const volatile std::sig_atomic_t* stop,
               PerftPath path) {
    if (depth == 0) return 1;
    BitWalk walk{CountTwoPlies, stop};
#if ZANTOBEL_ENDGAME_AVX2
    if (path == PerftPath::kFastest && endgame::avx2::Avx2Available())
        walk.countTwoPlies = CountTwoPliesAvx2;
#else
    (void)path;
#endif
    const board_bits::Discs discs = board_bits::FromBoard(board);
    // Any disc that is not black counts as white, as in CountDiscs.
    const uint64_t white = discs.occupied & ~discs.black;
    return side == kBlack ? PerftBits(discs.black, white, depth, walk)
                          : PerftBits(white, discs.black, depth, walk);
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
