// The end-game solver's board: the side to move's discs and the opponent's as two bit sets
// (bit y * 8 + x), the legal moves by parallel shifts, the discs a move turns, and a lower
// bound on the discs that can never be turned again. Every function is pure and agrees with
// the rules of game/board (tests compare them square by square).
#pragma once

#include <bit>
#include <cstdint>

namespace endgame {

constexpr uint64_t kNotEdgeColumns = 0x7E7E7E7E7E7E7E7Eull;  // columns b..g
constexpr uint64_t kCornerSquares = 0x8100000000000081ull;

// Squares reached from own through a run of opponent's discs along one line direction,
// `shift` squares apart; `opponent` is pre-masked so a run cannot wrap round. A run holds at
// most six discs: two single steps, then two double steps over pairs of opponent's discs.
template <int kShift>
inline uint64_t MovesAlong(uint64_t own, uint64_t opponent) {
    uint64_t up = opponent & (own << kShift);
    uint64_t down = opponent & (own >> kShift);
    up |= opponent & (up << kShift);
    down |= opponent & (down >> kShift);
    const uint64_t pairsUp = opponent & (opponent << kShift);
    const uint64_t pairsDown = opponent & (opponent >> kShift);
    up |= pairsUp & (up << 2 * kShift);
    down |= pairsDown & (down >> 2 * kShift);
    up |= pairsUp & (up << 2 * kShift);
    down |= pairsDown & (down >> 2 * kShift);
    return (up << kShift) | (down >> kShift);
}

// The squares where own may play.
[[gnu::always_inline]] inline uint64_t LegalMoves(uint64_t own, uint64_t opponent) {
    const uint64_t inner = opponent & kNotEdgeColumns;
    const uint64_t reached = MovesAlong<1>(own, inner) | MovesAlong<8>(own, opponent) |
                             MovesAlong<7>(own, inner) | MovesAlong<9>(own, inner);
    return reached & ~(own | opponent);
}

// For every square and every one of the eight directions, the squares from it to the edge.
struct Rays {
    uint64_t up[64][4];    // towards higher bit numbers: E, SW, S, SE
    uint64_t down[64][4];  // towards lower bit numbers: W, NE, N, NW
};

constexpr Rays MakeRays() {
    Rays rays{};
    constexpr int kDx[4] = {1, -1, 0, 1};
    constexpr int kDy[4] = {0, 1, 1, 1};
    for (int square = 0; square < 64; ++square) {
        for (int d = 0; d < 4; ++d) {
            for (int sign = 1; sign >= -1; sign -= 2) {
                int x = square % 8 + sign * kDx[d];
                int y = square / 8 + sign * kDy[d];
                uint64_t ray = 0;
                for (; x >= 0 && x < 8 && y >= 0 && y < 8; x += sign * kDx[d], y += sign * kDy[d])
                    ray |= uint64_t{1} << (y * 8 + x);
                (sign > 0 ? rays.up : rays.down)[square][d] = ray;
            }
        }
    }
    return rays;
}
inline constexpr Rays kRays = MakeRays();

// The discs own turns by playing on the empty square; 0 when the move is not legal.
// Branch-free: along each ray the first square that is not the opponent's closes the run when
// it is own, and a mask keeps the run or nothing.
[[gnu::always_inline]] inline uint64_t Flips(uint64_t own, uint64_t opponent, int square) {
    uint64_t flips = 0;
    const uint64_t notOpponent = ~opponent;
    for (int d = 0; d < 4; ++d) {
        // Towards higher squares that first square is the lowest set bit; with none, the
        // "first" is 0 and closes nothing.
        const uint64_t up = kRays.up[square][d];
        const uint64_t upStops = up & notOpponent;
        const uint64_t upFirst = upStops & (0 - upStops);
        flips |= (up & (upFirst - 1)) & (0 - uint64_t{(upFirst & own) != 0});
        // Towards lower squares it is the highest set bit. Or-ing in bit 0 keeps the scan
        // defined; when it is the only stop, bit 0 is off the ray or the opponent's, never a
        // closing own disc on the ray.
        const uint64_t down = kRays.down[square][d];
        const uint64_t downStops = (down & notOpponent) | 1;
        const uint64_t downFirst = uint64_t{1} << (63 - std::countl_zero(downStops));
        flips |= (down & (0 - (downFirst << 1))) & (0 - uint64_t{(downFirst & own & down) != 0});
    }
    return flips;
}

// The lines of the board through each square that are completely filled, for one axis.
struct FullLines {
    uint64_t horizontal;
    uint64_t vertical;
    uint64_t diagonal;      // a1-h8 direction
    uint64_t antiDiagonal;  // h1-a8 direction
};

struct DiagonalMasks {
    uint64_t diagonal[15];
    uint64_t antiDiagonal[15];
};
constexpr DiagonalMasks MakeDiagonalMasks() {
    DiagonalMasks masks{};
    for (int square = 0; square < 64; ++square) {
        const int x = square % 8;
        const int y = square / 8;
        masks.diagonal[x - y + 7] |= uint64_t{1} << square;
        masks.antiDiagonal[x + y] |= uint64_t{1} << square;
    }
    return masks;
}
inline constexpr DiagonalMasks kDiagonalMasks = MakeDiagonalMasks();

inline FullLines FindFullLines(uint64_t occupied) {
    FullLines full{};
    for (int row = 0; row < 8; ++row) {
        const uint64_t mask = uint64_t{0xFF} << (8 * row);
        if ((occupied & mask) == mask) full.horizontal |= mask;
    }
    uint64_t columns = occupied;
    columns &= columns >> 32;
    columns &= columns >> 16;
    columns &= columns >> 8;
    full.vertical = (columns & 0xFF) * 0x0101010101010101ull;
    for (int i = 0; i < 15; ++i) {
        const uint64_t diagonal = kDiagonalMasks.diagonal[i];
        if ((occupied & diagonal) == diagonal) full.diagonal |= diagonal;
        const uint64_t anti = kDiagonalMasks.antiDiagonal[i];
        if ((occupied & anti) == anti) full.antiDiagonal |= anti;
    }
    return full;
}

// Discs of `discs` that no later move can turn: along each of the four axes the line is full,
// or a neighbour on the axis is off the board or itself such a disc. Grown from nothing until
// it stops growing; a lower bound on the truly stable discs.
inline uint64_t StableDiscs(uint64_t discs, uint64_t occupied) {
    constexpr uint64_t kColumnsAH = 0x8181818181818181ull;
    constexpr uint64_t kRows18 = 0xFF000000000000FFull;
    constexpr uint64_t kRim = kColumnsAH | kRows18;
    const FullLines full = FindFullLines(occupied);
    const uint64_t horizontal = full.horizontal | kColumnsAH;
    const uint64_t vertical = full.vertical | kRows18;
    const uint64_t diagonal = full.diagonal | kRim;
    const uint64_t anti = full.antiDiagonal | kRim;
    uint64_t stable = discs & horizontal & vertical & diagonal & anti;
    for (;;) {
        // A shift east or west must not carry a disc round into the next row.
        const uint64_t notH = stable & 0x7F7F7F7F7F7F7F7Full;
        const uint64_t notA = stable & 0xFEFEFEFEFEFEFEFEull;
        const uint64_t grown =
            stable | (discs & (horizontal | (notH << 1) | (notA >> 1)) &
                      (vertical | (stable << 8) | (stable >> 8)) &
                      (diagonal | (notH << 9) | (notA >> 9)) & (anti | (notA << 7) | (notH >> 7)));
        if (grown == stable) return stable;
        stable = grown;
    }
}

}  // namespace endgame
