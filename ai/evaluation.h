// The static value of a search leaf from the root side's point of view: a noise of -1, 0 or
// +1 (exactly one draw of the shared generator, before anything else), the path score, and
// the frontier, pattern and edge-run terms of the board. Integers only; nothing allocates.
#pragma once

#include <cstdint>

#include "ai/search.h"
#include "game/board.h"

// The rim of the board clockwise from a1, each line from one corner to the next.
extern const SquarePos kEdgeLines[4][8];
// From each corner along its long diagonal, two squares beyond the centre.
extern const SquarePos kDiagonalRuns[4][6];

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
