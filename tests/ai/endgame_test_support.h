// For the end-game solver's tests: a plain minimax over the game's own rules that no speed
// trick touches, and seeded positions with a given number of empty squares.
#pragma once

#include <algorithm>
#include <cstdint>

#include "game/board.h"
#include "tests/ai/ai_test_support.h"
#include "tools/notation/notation.h"

// The disc difference for side under perfect play, empty squares to the winner; slow.
inline int PlainMinimax(const Board& board, Side side, bool passed = false) {
    SquarePos moves[64];
    const int count = ListLegalMoves(board, moves, side);
    if (count == 0) {
        if (passed) {
            const DiscCounts discs = CountDiscs(board);
            const int own = side == kBlack ? discs.black : discs.white;
            const int other = side == kBlack ? discs.white : discs.black;
            const int empty = 64 - own - other;
            return own > other ? own - other + empty : own < other ? own - other - empty : 0;
        }
        return -PlainMinimax(board, Opponent(side), true);
    }
    int best = -100;
    for (int i = 0; i < count; ++i) {
        Board next = board;
        ApplyMove(next, moves[i].x, moves[i].y, side);
        best = std::max(best, -PlainMinimax(next, Opponent(side)));
    }
    return best;
}

// A position of seeded random play with exactly `empty` empty squares (the side to move may
// have to pass), or the game's end if it comes first; the same seed gives the same position.
inline notation::Position PositionWithEmpties(uint32_t seed, int empty) {
    return RandomPlayPosition(seed, 60 - empty);
}
