// The game-tree search: a depth-first minimax over an explicit stack of 64 frames, advanced
// one SearchStep at a time so that a caller can stop between any two steps. Moves are ordered
// by an openness score gathered while each square is tested; pruning is a one-level cut
// against the grandparent plus, in exact mode, a stop at a node that has reached its best.
// There is one SearchContext and one frame stack; the engine is not re-entrant.
#pragma once

#include <cstdint>

#include "game/board.h"

constexpr int kMaxFrames = 64;
constexpr int kMaxMoves = 40;        // moves kept per frame, and root values
constexpr int kMaxTurned = 24;       // a move turns at most 19 discs
constexpr int32_t kWinValue = 9999;  // exact win; also the initial best of a minimising frame
constexpr int32_t kWinBonus = 1000;  // normal-mode bonus for a finished game won
constexpr int32_t kDiscValue = 10;   // per disc of difference; also the base of the move score
constexpr int32_t kRootFloor = -30000;

struct MoveEntry {
    int32_t x;
    int32_t y;
    int32_t score;      // 10 minus the weighted empty squares around the discs it turns
    int32_t flipCount;  // at least 1 for a listed move
    SquarePos flips[kMaxTurned];
};

struct SearchFrame {
    Side side;  // switched to the opponent within the frame when that side has to pass
    MoveEntry moves[kMaxMoves];
    int32_t moveCount;  // 0: not generated yet
    int32_t moveIndex;  // == moveCount once exhausted or cut
    SquarePos undo[kMaxTurned];
    int32_t undoCount;
    int32_t best;
};

struct SearchContext {
    Board board;  // the root position, changed in place as moves are made and unmade
    int32_t rootDiscs;
    int32_t ply;  // -1 once the search is over
    int32_t depthLimit;
    Side rootSide;
    int32_t pathScore;  // + scores of the root side's moves on the path, - the opponent's
    int32_t rootValues[kMaxMoves];
    int32_t exact;
};

extern SearchContext gSearch;
extern SearchFrame gSearchFrames[kMaxFrames];

// Corners 3, the squares diagonally inside them 1, all others 2.
// clang-format off
inline constexpr uint8_t kEmptyNeighbourWeights[64] = {
    3, 2, 2, 2, 2, 2, 2, 3,
    2, 1, 2, 2, 2, 2, 1, 2,
    2, 2, 2, 2, 2, 2, 2, 2,
    2, 2, 2, 2, 2, 2, 2, 2,
    2, 2, 2, 2, 2, 2, 2, 2,
    2, 2, 2, 2, 2, 2, 2, 2,
    2, 1, 2, 2, 2, 2, 1, 2,
    3, 2, 2, 2, 2, 2, 2, 3,
};
// clang-format on

// From BeginSearch on the engine keeps its own bit-set copy of the search board, updated with
// each move it makes and undoes; nothing else may change the search board while a search runs.
void BeginSearch(const Board& board, int32_t depthLimit, Side rootSide, int32_t exact);
void SearchStep();
void RunSearch(const Board& board, int32_t depthLimit, Side rootSide, int32_t exact);
// The first root move with the highest value (entry 0 and -30000 when none beats -30000).
int32_t PickRootMove(SquarePos* out);
// Discs the current frame's side would turn at (x, y) on board; fills entry slot of the
// current frame (before it knows whether the move is legal).
int32_t TestMove(const Board& board, int x, int y, int slot);

// The steps SearchStep is made of; they work on the current frame, gSearchFrames[gSearch.ply].
void GenerateMoves();
void Backtrack();
void ScoreTerminal();
void ScoreLeaf();

// The number of SearchStep calls since the program started (a signature of the search order).
uint64_t SearchStepCount();

// Tests replace the move test during generation to reach the 40-entry bound, which no real
// position does. The tester must behave like TestMove: fill the slot, return the discs turned.
using MoveTester = int32_t (*)(const Board& board, int x, int y, int slot);
void SetMoveTesterForTesting(MoveTester tester);  // null restores TestMove
