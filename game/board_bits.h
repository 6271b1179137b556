// Bit sets of the 64-byte board for the hot paths of the rules and the computer player: bit
// y * 8 + x is square (x, y), so ascending bit order is row-major order. Every value is still
// defined by the board bytes.
#pragma once

#include <bit>
#include <cstdint>

#include "game/board.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace board_bits {

// The squares whose byte equals value.
inline uint64_t SquaresHolding(const Board& board, uint8_t value) {
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(static_cast<char>(value));
    uint64_t squares = 0;
    for (int i = 0; i < 4; ++i) {
        const __m128i bytes =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(board.data() + 16 * i));
        squares |= static_cast<uint64_t>(
                       static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted))))
                   << (16 * i);
    }
    return squares;
#else
    uint64_t squares = 0;
    for (int i = 0; i < 64; ++i)
        squares |= uint64_t{board[i] == value} << i;
    return squares;
#endif
}

struct Discs {
    uint64_t black;     // bytes equal to 1
    uint64_t white;     // bytes equal to 2
    uint64_t occupied;  // bytes other than 0
};

inline Discs FromBoard(const Board& board) {
    return {SquaresHolding(board, kBlack), SquaresHolding(board, kWhite),
            ~SquaresHolding(board, kEmpty)};
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

// Every square next to one of bits (in any of the eight directions): the neighbours along the
// row, and then everything one row up or down from a bit or those neighbours. Searches ask this
// at every node, so it takes eight steps instead of eight masked shifts.
constexpr uint64_t Dilate(uint64_t bits) {
    const uint64_t alongRow = Shift<1, 0>(bits) | Shift<-1, 0>(bits);
    const uint64_t row = bits | alongRow;
    return alongRow | (row << 8) | (row >> 8);
}

// The eight neighbours of a square that lie on the board.
constexpr uint64_t Neighbours(int square) {
    const uint64_t bit = uint64_t{1} << square;
    return Shift<0, -1>(bit) | Shift<1, -1>(bit) | Shift<1, 0>(bit) | Shift<1, 1>(bit) |
           Shift<0, 1>(bit) | Shift<-1, 1>(bit) | Shift<-1, 0>(bit) | Shift<-1, -1>(bit);
}

}  // namespace board_bits
