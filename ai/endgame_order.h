// Move ordering for the end-game solver at nodes with many empty squares: a cheap evaluation
// of a position for the side to move (mobility, potential mobility, corners, stable discs,
// frontier) and a shallow alpha-beta search over it. It decides only the order in which moves
// are tried, never a score, so any weakness in it costs time and not correctness.
#pragma once

#include <cstdint>

namespace endgame {

// Large enough that a finished game outweighs any evaluation.
constexpr int kOrderingWin = 1 << 16;

// The position's worth for own, to move: higher is better.
int OrderingEvaluation(uint64_t own, uint64_t opponent);

// The evaluation searched depth plies deep (a pass is not a ply), fail-soft in (alpha, beta).
int OrderingSearch(uint64_t own, uint64_t opponent, int depth, int alpha, int beta);

}  // namespace endgame
