// Move-path counting with the game's own rules, the classic check of a move generator: the
// rules' line walk, and a fast count on bit sets that must give the same numbers.
#pragma once

#include <csignal>
#include <cstdint>

#include "game/board.h"

// Which primitives the fast count uses: the fastest this processor runs, or the baseline ones
// every processor of its family runs, which tests hold to the same numbers.
enum class PerftPath { kFastest, kBaseline };

// Whether kFastest uses wider vector primitives on this processor than kBaseline.
bool PerftHasVectorPath();

// The number of move sequences of depth plies from board with side to move. A pass is a ply
// of its own; a game that ends before depth plies counts as one leaf. Counted on bit sets,
// with the last ply's moves counted in bulk. When stop is given and becomes nonzero, the
// count gives up early and its result means nothing.
uint64_t Perft(const Board& board, Side side, int depth,
               const volatile std::sig_atomic_t* stop = nullptr,
               PerftPath path = PerftPath::kFastest);

// The same count through IsLegalMove/ApplyMove's line walk (ListLegalMoves and ApplyMove):
// slower, and the reference the fast count is held to.
uint64_t PerftByRules(const Board& board, Side side, int depth,
                      const volatile std::sig_atomic_t* stop = nullptr);
