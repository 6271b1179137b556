// The end-game solver's board: the side to move's discs and the opponent's as two bit sets
// (bit y * 8 + x), the legal moves by parallel shifts, the discs a move turns, and a lower
// bound on the discs that can never be turned again. Every function is pure and agrees with
// the rules of game/board (tests compare them square by square).
#pragma once

#include <bit>
#include <cstdint>

#if defined(__SSE2__) && defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ZANTOBEL_ENDGAME_SSE2 1
#include <emmintrin.h>
#else
#define ZANTOBEL_ENDGAME_SSE2 0
#endif

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

// The squares where own may play, one direction after another: for every processor.
inline uint64_t LegalMovesPortable(uint64_t own, uint64_t opponent) {
    const uint64_t inner = opponent & kNotEdgeColumns;
    const uint64_t reached = MovesAlong<1>(own, inner) | MovesAlong<8>(own, opponent) |
                             MovesAlong<7>(own, inner) | MovesAlong<9>(own, inner);
    return reached & ~(own | opponent);
}

#if ZANTOBEL_ENDGAME_SSE2
// MovesAlong towards higher squares only, in both halves of a 128-bit register at once.
template <int kShift>
[[gnu::always_inline]] inline __m128i MovesUpBoth(__m128i own, __m128i opponent) {
    __m128i up = _mm_and_si128(opponent, _mm_slli_epi64(own, kShift));
    up = _mm_or_si128(up, _mm_and_si128(opponent, _mm_slli_epi64(up, kShift)));
    const __m128i pairs = _mm_and_si128(opponent, _mm_slli_epi64(opponent, kShift));
    up = _mm_or_si128(up, _mm_and_si128(pairs, _mm_slli_epi64(up, 2 * kShift)));
    up = _mm_or_si128(up, _mm_and_si128(pairs, _mm_slli_epi64(up, 2 * kShift)));
    return _mm_slli_epi64(up, kShift);
}
#endif

// The squares where own may play. Where every processor of the family has 128-bit registers
// (x86-64), the column and diagonal directions run in both halves of one: the board in the
// low half and the board upside down (its rows' bytes swapped) in the high one, so that the
// same shift towards higher squares walks down the board in one half and up it in the other.
// The row direction stays in ordinary registers alongside.
[[gnu::always_inline]] inline uint64_t LegalMoves(uint64_t own, uint64_t opponent) {
#if ZANTOBEL_ENDGAME_SSE2
    const __m128i mine =
        _mm_set_epi64x(static_cast<long long>(__builtin_bswap64(own)), static_cast<long long>(own));
    const __m128i theirs = _mm_set_epi64x(static_cast<long long>(__builtin_bswap64(opponent)),
                                          static_cast<long long>(opponent));
    const __m128i inner =
        _mm_and_si128(theirs, _mm_set1_epi64x(static_cast<long long>(kNotEdgeColumns)));
    const __m128i reached =
        _mm_or_si128(MovesUpBoth<8>(mine, theirs),
                     _mm_or_si128(MovesUpBoth<7>(mine, inner), MovesUpBoth<9>(mine, inner)));
    const auto down = static_cast<uint64_t>(_mm_cvtsi128_si64(reached));
    const auto up = static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(reached, reached)));
    const uint64_t row = MovesAlong<1>(own, opponent & kNotEdgeColumns);
    return (down | __builtin_bswap64(up) | row) & ~(own | opponent);
#else
    return LegalMovesPortable(own, opponent);
#endif
}

// Turned discs line by line: each of the four lines through a square is folded into a byte,
// bit i the line's square in column i (in row i for a column), and two tables built at compile
// time answer for the square's place p on the line. closers[p][opponent's byte] holds, on
// each side of p, the first square that is not the opponent's, where a run of the opponent's
// discs from p ends; between[p][closers] the squares strictly between p and those closers.
// A run turns when its closer is own: between[p][closers & own byte].
struct LineTables {
    uint8_t closers[8][256];
    uint8_t between[8][256];
    uint64_t columnOfBits[256];  // bit i of the index on square (0, i)
};

constexpr LineTables MakeLineTables() {
    LineTables tables{};
    for (int place = 0; place < 8; ++place) {
        for (int pattern = 0; pattern < 256; ++pattern) {
            uint8_t closers = 0;
            uint8_t between = 0;
            for (int step = -1; step <= 1; step += 2) {
                int i = place + step;
                while (i >= 0 && i < 8 && (pattern >> i & 1) != 0)
                    i += step;
                if (i >= 0 && i < 8) closers |= static_cast<uint8_t>(1 << i);
                // The squares between place and a closer on this side, whatever lies there.
                for (int j = place + step; j >= 0 && j < 8; j += step) {
                    if ((pattern >> j & 1) == 0) continue;
                    for (int k = place + step; k != j; k += step)
                        between |= static_cast<uint8_t>(1 << k);
                }
            }
            tables.closers[place][pattern] = closers;
            tables.between[place][pattern] = between;
        }
    }
    for (int bits = 0; bits < 256; ++bits) {
        for (int i = 0; i < 8; ++i)
            if ((bits >> i & 1) != 0) tables.columnOfBits[bits] |= uint64_t{1} << (8 * i);
    }
    return tables;
}
inline constexpr LineTables kLineTables = MakeLineTables();

// For every square its row and its two diagonals, each with at most one square per column.
struct SquareLines {
    uint64_t row[64];
    uint64_t diagonal[64];
    uint64_t antiDiagonal[64];
};
constexpr SquareLines MakeSquareLines() {
    SquareLines lines{};
    for (int square = 0; square < 64; ++square) {
        const int x = square % 8;
        const int y = square / 8;
        for (int other = 0; other < 64; ++other) {
            const int ox = other % 8;
            const int oy = other / 8;
            const uint64_t bit = uint64_t{1} << other;
            if (oy == y) lines.row[square] |= bit;
            if (ox - oy == x - y) lines.diagonal[square] |= bit;
            if (ox + oy == x + y) lines.antiDiagonal[square] |= bit;
        }
    }
    return lines;
}
inline constexpr SquareLines kSquareLines = MakeSquareLines();

// A line with at most one square per column as a byte, bit i for column i: adding all eight
// rows up cannot carry, as no two of the bits share a column.
inline uint64_t ByColumn(uint64_t bits, uint64_t line) {
    return ((bits & line) * 0x0101010101010101ull) >> 56;
}
// Column x as a byte, bit i for row i: the multiplier moves square (x, i) to bit 56 + i, and
// no two partial products meet, so nothing carries.
inline uint64_t ByRow(uint64_t bits, int x) {
    constexpr uint64_t kColumnA = 0x0101010101010101ull;
    constexpr uint64_t kGather = 0x0102040810204080ull;
    return ((bits & (kColumnA << x)) * (kGather >> x)) >> 56;
}

// The turned squares of one folded line.
inline uint64_t LineFlips(uint64_t ownByte, uint64_t opponentByte, int place) {
    return kLineTables.between[place][kLineTables.closers[place][opponentByte] & ownByte];
}

// The discs own turns by playing on the empty square; 0 when the move is not legal.
[[gnu::always_inline]] inline uint64_t Flips(uint64_t own, uint64_t opponent, int square) {
    const int x = square & 7;
    const int y = square >> 3;
    const uint64_t row = kSquareLines.row[square];
    const uint64_t diagonal = kSquareLines.diagonal[square];
    const uint64_t anti = kSquareLines.antiDiagonal[square];
    constexpr uint64_t kEveryRow = 0x0101010101010101ull;
    const uint64_t rowFlips =
        LineFlips(ByColumn(own, row), ByColumn(opponent, row), x) * kEveryRow & row;
    const uint64_t diagonalFlips =
        LineFlips(ByColumn(own, diagonal), ByColumn(opponent, diagonal), x) * kEveryRow & diagonal;
    const uint64_t antiFlips =
        LineFlips(ByColumn(own, anti), ByColumn(opponent, anti), x) * kEveryRow & anti;
    const uint64_t columnFlips =
        kLineTables.columnOfBits[LineFlips(ByRow(own, x), ByRow(opponent, x), y)] << x;
    return rowFlips | diagonalFlips | antiFlips | columnFlips;
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
