// The bit-set board's legal moves and turned discs with the four line directions side by side
// in one 256-bit register, for processors with AVX2. Same results as endgame_bitboard.h on
// every position; callers check Avx2Available() and must themselves be compiled for AVX2.
#pragma once

#include <cstdint>

#include "ai/endgame_bitboard.h"

// Windows keeps the stack 16-byte aligned, and GCC cannot spill 256-bit registers there safely,
// so only other x86-64 systems take this path.
#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__) && !defined(_WIN32)
#define ZANTOBEL_ENDGAME_AVX2 1
#include <immintrin.h>
#else
#define ZANTOBEL_ENDGAME_AVX2 0
#endif

namespace endgame::avx2 {

#if ZANTOBEL_ENDGAME_AVX2

// Whether this processor (and the system) runs AVX2 code.
inline bool Avx2Available() {
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
}

#define ZANTOBEL_AVX2_INLINE [[gnu::target("avx2,popcnt"), gnu::always_inline]] inline

// For every square and every one of the eight directions, the squares from it to the edge.
struct alignas(32) Rays {
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

// A board's bit set in every lane.
ZANTOBEL_AVX2_INLINE __m256i Broadcast(uint64_t bits) {
    return _mm256_set1_epi64x(static_cast<long long>(bits));
}

ZANTOBEL_AVX2_INLINE uint64_t OrLanes(__m256i lanes) {
    __m128i half = _mm_or_si128(_mm256_castsi256_si128(lanes), _mm256_extracti128_si256(lanes, 1));
    half = _mm_or_si128(half, _mm_unpackhi_epi64(half, half));
    return static_cast<uint64_t>(_mm_cvtsi128_si64(half));
}

// The union of the four lanes in every lane, without leaving the vector registers.
ZANTOBEL_AVX2_INLINE __m256i OrLanesEverywhere(__m256i lanes) {
    lanes = _mm256_or_si256(lanes, _mm256_permute4x64_epi64(lanes, 0x4E));
    return _mm256_or_si256(lanes, _mm256_shuffle_epi32(lanes, 0x4E));
}

// The squares where own may play, own and opponent given in every lane: the scalar
// MovesAlong, four directions at a time. Lanes 0..3 step along the rows (1), the columns (8)
// and the two diagonals (7, 9); the opponent's discs on columns a and h are masked off in all
// but the column lane so that no run wraps round from one row to the next.
ZANTOBEL_AVX2_INLINE uint64_t LegalMoves(__m256i own, __m256i opponent) {
    const __m256i steps = _mm256_set_epi64x(9, 7, 8, 1);
    const __m256i doubleSteps = _mm256_add_epi64(steps, steps);
    constexpr auto kInner = static_cast<long long>(kNotEdgeColumns);
    const __m256i opp = _mm256_and_si256(opponent, _mm256_set_epi64x(kInner, kInner, -1, kInner));
    __m256i up = _mm256_and_si256(opp, _mm256_sllv_epi64(own, steps));
    __m256i down = _mm256_and_si256(opp, _mm256_srlv_epi64(own, steps));
    up = _mm256_or_si256(up, _mm256_and_si256(opp, _mm256_sllv_epi64(up, steps)));
    down = _mm256_or_si256(down, _mm256_and_si256(opp, _mm256_srlv_epi64(down, steps)));
    // Pairs of opponent's discs one step apart, seen from either end.
    const __m256i pairsUp = _mm256_and_si256(opp, _mm256_sllv_epi64(opp, steps));
    const __m256i pairsDown = _mm256_srlv_epi64(pairsUp, steps);
    up = _mm256_or_si256(up, _mm256_and_si256(pairsUp, _mm256_sllv_epi64(up, doubleSteps)));
    down = _mm256_or_si256(down, _mm256_and_si256(pairsDown, _mm256_srlv_epi64(down, doubleSteps)));
    up = _mm256_or_si256(up, _mm256_and_si256(pairsUp, _mm256_sllv_epi64(up, doubleSteps)));
    down = _mm256_or_si256(down, _mm256_and_si256(pairsDown, _mm256_srlv_epi64(down, doubleSteps)));
    const __m256i reached =
        _mm256_or_si256(_mm256_sllv_epi64(up, steps), _mm256_srlv_epi64(down, steps));
    return OrLanes(_mm256_andnot_si256(_mm256_or_si256(own, opponent), reached));
}

// The discs own turns by playing on the empty square, in every lane; 0 when the move is not
// legal. Each lane holds one direction's pair of rays from kRays.
ZANTOBEL_AVX2_INLINE __m256i Flips(__m256i own, __m256i opponent, int square) {
    const __m256i zero = _mm256_setzero_si256();
    // Towards higher squares: the lowest square that is not the opponent's closes the run
    // below it when it is own.
    const __m256i up = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kRays.up[square]));
    const __m256i upStops = _mm256_andnot_si256(opponent, up);
    const __m256i upFirst = _mm256_and_si256(upStops, _mm256_sub_epi64(zero, upStops));
    const __m256i upRun = _mm256_and_si256(up, _mm256_add_epi64(upFirst, _mm256_set1_epi64x(-1)));
    const __m256i upOpen = _mm256_cmpeq_epi64(_mm256_and_si256(upFirst, own), zero);
    // Towards lower squares: the highest such square, found by smearing the stops downwards;
    // the run is the part of the ray above it.
    const __m256i down = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kRays.down[square]));
    __m256i below = _mm256_andnot_si256(opponent, down);
    below = _mm256_or_si256(below, _mm256_srli_epi64(below, 1));
    below = _mm256_or_si256(below, _mm256_srli_epi64(below, 2));
    below = _mm256_or_si256(below, _mm256_srli_epi64(below, 4));
    below = _mm256_or_si256(below, _mm256_srli_epi64(below, 8));
    below = _mm256_or_si256(below, _mm256_srli_epi64(below, 16));
    below = _mm256_or_si256(below, _mm256_srli_epi64(below, 32));
    const __m256i downFirst = _mm256_andnot_si256(_mm256_srli_epi64(below, 1), below);
    const __m256i downRun = _mm256_andnot_si256(below, down);
    const __m256i downOpen = _mm256_cmpeq_epi64(_mm256_and_si256(downFirst, own), zero);
    return OrLanesEverywhere(_mm256_or_si256(_mm256_andnot_si256(upOpen, upRun),
                                             _mm256_andnot_si256(downOpen, downRun)));
}

// The scalar functions' signatures, for callers that hold bit sets in plain registers.
ZANTOBEL_AVX2_INLINE uint64_t LegalMoves(uint64_t own, uint64_t opponent) {
    return LegalMoves(Broadcast(own), Broadcast(opponent));
}
ZANTOBEL_AVX2_INLINE uint64_t Flips(uint64_t own, uint64_t opponent, int square) {
    return static_cast<uint64_t>(_mm_cvtsi128_si64(
        _mm256_castsi256_si128(Flips(Broadcast(own), Broadcast(opponent), square))));
}

#undef ZANTOBEL_AVX2_INLINE

#else

inline bool Avx2Available() {
    return false;
}

#endif

}  // namespace endgame::avx2
