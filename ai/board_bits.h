// Bit sets of the 64-byte board for the computer player's hot paths: bit y * 8 + x is square
// (x, y), so ascending bit order is row-major order. Used to skip squares that cannot matter;
// every value is still defined by the board bytes.
#pragma once

#include <bit>
#include <cstdint>

#include "game/board.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace board_bits {

struct Discs {
    uint64_t black;     // bytes equal to 1
    uint64_t white;     // bytes equal to 2
    uint64_t occupied;  // bytes other than 0
};

inline Discs FromBoard(const Board& board) {
#if defined(__SSE2__)
    uint64_t black = 0;
    uint64_t white = 0;
    uint64_t empty = 0;
    for (int i = 0; i < 4; ++i) {
        const __m128i bytes =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(board.data() + 16 * i));
        black |= static_cast<uint64_t>(static_cast<uint32_t>(
                     _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(kBlack)))))
                 << (16 * i);
        white |= static_cast<uint64_t>(static_cast<uint32_t>(
                     _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(kWhite)))))
                 << (16 * i);
        empty |= static_cast<uint64_t>(static_cast<uint32_t>(
                     _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_setzero_si128()))))
                 << (16 * i);
    }
    return {black, white, ~empty};
#else
    Discs discs{0, 0, 0};
    for (int i = 0; i < 64; ++i) {
        discs.black |= uint64_t{board[i] == kBlack} << i;
        discs.white |= uint64_t{board[i] == kWhite} << i;
        discs.occupied |= uint64_t{board[i] != kEmpty} << i;
    }
    return discs;
#endif
}

constexpr uint64_t kNotColumnA = 0xFEFEFEFEFEFEFEFEull;
constexpr uint64_t kNotColumnH = 0x7F7F7F7F7F7F7F7Full;
constexpr uint64_t kCorners = 0x8100000000000081ull;
constexpr uint64_t kInsideCorners = 0x0042000000004200ull;  // b2, g2, b7, g7
constexpr uint64_t kInner = 0x007E7E7E7E7E7E00ull;          // b2..g7

template <int kDx, int kDy>
constexpr uint64_t Shift(uint64_t bits) {
    constexpr int kAmount = kDy * 8 + kDx;
    if constexpr (kDx == 1) bits &= kNotColumnH;
    if constexpr (kDx == -1) bits &= kNotColumnA;
    if constexpr (kAmount > 0) {
        return bits << kAmount;
    } else {
        return bits >> -kAmount;
    }
}

// Every square next to one of bits (in any of the eight directions).
constexpr uint64_t Dilate(uint64_t bits) {
    return Shift<0, -1>(bits) | Shift<1, -1>(bits) | Shift<1, 0>(bits) | Shift<1, 1>(bits) |
           Shift<0, 1>(bits) | Shift<-1, 1>(bits) | Shift<-1, 0>(bits) | Shift<-1, -1>(bits);
}

// The eight neighbours of a square that lie on the board.
constexpr uint64_t Neighbours(int square) {
    const uint64_t bit = uint64_t{1} << square;
    return Shift<0, -1>(bit) | Shift<1, -1>(bit) | Shift<1, 0>(bit) | Shift<1, 1>(bit) |
           Shift<0, 1>(bit) | Shift<-1, 1>(bit) | Shift<-1, 0>(bit) | Shift<-1, -1>(bit);
}

}  // namespace board_bits
