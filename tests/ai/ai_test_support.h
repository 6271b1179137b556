// Boards for the engine's tests: rows written as text, and positions reached by seeded random
// play (their own generator, so the shared one is left to the code under test).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "game/board.h"
#include "tools/notation/notation.h"

// rows[0] is row 1 (a1..h1); 'X' black, 'O' white, anything else empty.
inline Board BoardFromRows(const std::array<const char*, 8>& rows) {
    Board board{};
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const char c = rows[y][x];
            board[SquareIndex(x, y)] = c == 'X' ? kBlack : c == 'O' ? kWhite : kEmpty;
        }
    }
    return board;
}

inline int EmptySquares(const Board& board) {
    int empty = 0;
    for (const uint8_t square : board)
        empty += square == kEmpty;
    return empty;
}

// The position after up to `moves` random moves from the start (passes handled, stops at the
// end of the game), with the side to move; the same seed gives the same position.
inline notation::Position RandomPlayPosition(uint32_t seed, int moves) {
    notation::Position position{InitialBoard(), kBlack};
    uint32_t state = seed * 2654435761u + 12345u;
    for (int played = 0; played < moves;) {
        SquarePos list[64];
        int count = ListLegalMoves(position.board, list, position.sideToMove);
        if (count == 0) {
            position.sideToMove = Opponent(position.sideToMove);
            count = ListLegalMoves(position.board, list, position.sideToMove);
            if (count == 0) break;
        }
        state = state * 1103515245u + 12345u;
        const SquarePos m = list[(state >> 8) % count];
        ApplyMove(position.board, m.x, m.y, position.sideToMove);
        position.sideToMove = Opponent(position.sideToMove);
        ++played;
    }
    // Leave the side to move with a move when there is one.
    SquarePos list[64];
    if (ListLegalMoves(position.board, list, position.sideToMove) == 0) {
        position.sideToMove = Opponent(position.sideToMove);
    }
    return position;
}
