// Perft over the rules of game/board.
#include "tools/cli/perft.h"

uint64_t Perft(const Board& board, Side side, int depth, const volatile std::sig_atomic_t* stop) {
    if (depth == 0) return 1;
    SquarePos moves[64];
    const int count = ListLegalMoves(board, moves, side);
    if (count == 0) {
        SquarePos replies[64];
        if (ListLegalMoves(board, replies, Opponent(side)) == 0) return 1;  // the game is over
        return Perft(board, Opponent(side), depth - 1, stop);               // a pass
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
        leaves += Perft(next, Opponent(side), depth - 1, stop);
    }
    return leaves;
}
