// MASTER's exact end-game question answered by the fast solver: the first root move, in the
// stepwise search's own root order, that forces a win, or none, within a deadline. When it
// finishes it names the move the stepwise exact search would have played had it finished.
#pragma once

#include <cstdint>
#include <functional>

#include "game/board.h"

struct ExactChoice {
    int finished;  // 0: the deadline came first (or was already there)
    int wins;      // a move forcing a win was found
    SquarePos move;
    uint64_t nodes;
};

// side must have a legal move. stop is asked before the search and every few thousand nodes.
ExactChoice ChooseExactWin(const Board& board, Side side, const std::function<bool()>& stop);
