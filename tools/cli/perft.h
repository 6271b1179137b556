// Move-path counting with the game's own rules, the classic check of a move generator.
#pragma once

#include <csignal>
#include <cstdint>

#include "game/board.h"

// The number of move sequences of depth plies from board with side to move. A pass is a ply
// of its own; a game that ends before depth plies counts as one leaf. When stop is given and
// becomes nonzero, the count gives up early and its result means nothing.
uint64_t Perft(const Board& board, Side side, int depth,
               const volatile std::sig_atomic_t* stop = nullptr);
