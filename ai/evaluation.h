// The static value of a search leaf from the root side's point of view: a noise of -1, 0 or
// +1 (exactly one draw of the shared generator, before anything else), the path score, and
// the frontier, pattern and edge-run terms of the board. Integers only; nothing allocates.
#pragma once

#include <cstdint>

#include "ai/search.h"
#include "game/board.h"

// The rim of the board clockwise from a1, each line from one corner to the next (kEdgeLines),
// and from each corner along its long diagonal, two squares beyond the centre
// (kDiagonalRuns). Compile-time tables, so the evaluation can derive its own from them.
// clang-format off
inline constexpr SquarePos kEdgeLines[4][8] = {
    {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}},
    {{7, 0}, {7, 1}, {7, 2}, {7, 3}, {7, 4}, {7, 5}, {7, 6}, {7, 7}},
    {{7, 7}, {6, 7}, {5, 7}, {4, 7}, {3, 7}, {2, 7}, {1, 7}, {0, 7}},
    {{0, 7}, {0, 6}, {0, 5}, {0, 4}, {0, 3}, {0, 2}, {0, 1}, {0, 0}},
};
inline constexpr SquarePos kDiagonalRuns[4][6] = {
    {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}},
    {{0, 7}, {1, 6}, {2, 5}, {3, 4}, {4, 3}, {5, 2}},
    {{7, 7}, {6, 6}, {5, 5}, {4, 4}, {3, 3}, {2, 2}},
    {{7, 0}, {6, 1}, {5, 2}, {4, 3}, {3, 4}, {2, 5}},
};
// clang-format on

int32_t EvaluateLeaf(const SearchContext& context);

// Folds the loaded edge table into the leaf's own table; LoadPatternTables calls it after
// every successful load (the tables are read-only otherwise).
void PrepareLeafTables();

// Sum of the edge and diagonal table entries, negated when side is white.
int32_t PatternScore(const Board& board, Side side);
// (opponent's - own empty neighbours of the discs on b2..g7) / 4, truncated toward zero.
int32_t FrontierScore(const Board& board, Side side);
// The runs of one colour from both ends of each edge line, +1 per own disc, -1 per other.
int32_t EdgeRunScore(const Board& board, Side side);

// Base-3 index of a line of squares, the first square the most significant digit.
int32_t PatternIndex(const Board& board, const SquarePos* squares, int length);
