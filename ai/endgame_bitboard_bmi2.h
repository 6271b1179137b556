// The solver's turned discs for processors with BMI2: each of the four lines through the square
// is gathered into a byte with one PEXT and the turned squares scattered back with one PDEP,
// with the same per-line tables as endgame_bitboard.h. Same results on every position; callers
// check Bmi2Available() and must themselves be compiled for BMI2.
#pragma once

#include <bit>
#include <cstdint>

#include "ai/endgame_bitboard.h"

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#define ZANTOBEL_ENDGAME_BMI2 1
#include <immintrin.h>
#else
#define ZANTOBEL_ENDGAME_BMI2 0
#endif

namespace endgame::bmi2 {

#if ZANTOBEL_ENDGAME_BMI2

// Whether this processor runs BMI2 code. (Some early processors run PEXT slowly, in microcode;
// they still give the right answers.)
inline bool Bmi2Available() {
    return __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
}

// For every square its four lines (row, column, both diagonals) as masks, and the square's place
// among each line's squares counted from the lowest bit: the bit PEXT puts it on.
struct GatherLines {
    uint64_t mask[64][4];
    uint8_t place[64][4];
};
constexpr GatherLines MakeGatherLines() {
    GatherLines lines{};
    for (int square = 0; square < 64; ++square) {
        const uint64_t column = uint64_t{0x0101010101010101} << (square % 8);
        const uint64_t masks[4] = {kSquareLines.row[square], column, kSquareLines.diagonal[square],
                                   kSquareLines.antiDiagonal[square]};
        for (int line = 0; line < 4; ++line) {
            lines.mask[square][line] = masks[line];
            lines.place[square][line] =
                static_cast<uint8_t>(std::popcount(masks[line] & ((uint64_t{1} << square) - 1)));
        }
    }
    return lines;
}
inline constexpr GatherLines kGatherLines = MakeGatherLines();

// The discs own turns by playing on the empty square; 0 when the move is not legal. A line
// shorter than eight squares gathers zeros beyond its end, where no run can close.
[[gnu::target("bmi2,popcnt"), gnu::always_inline]] inline uint64_t Flips(uint64_t own,
                                                                         uint64_t opponent,
                                                                         int square) {
    uint64_t flips = 0;
    for (int line = 0; line < 4; ++line) {
        const uint64_t mask = kGatherLines.mask[square][line];
        const uint64_t turned = LineFlips(_pext_u64(own, mask), _pext_u64(opponent, mask),
                                          kGatherLines.place[square][line]);
        flips |= _pdep_u64(turned, mask);
    }
    return flips;
}

#else

inline bool Bmi2Available() {
    return false;
}

#endif

}  // namespace endgame::bmi2
