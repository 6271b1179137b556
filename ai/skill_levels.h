// The computer's move choice by skill level: the opening book first at EXPERT and MASTER, then
// a greedy chooser with noise (FOOL), a fixed-depth search (POOR 1, NORMAL 2, EXPERT 4) or a
// depth-6 search followed late in the game by an exact search under a 3000 ms budget (MASTER).
// Every chooser returns a legal move of side whenever side has one.
#pragma once

#include <cstdint>

#include "game/board.h"
#include "game/match_flow.h"

constexpr uint32_t kMasterBudgetMs = 3000;

// 7 at b2, 1 at g2, 5 at b7, 3 at g7: the odd marks are the squares FOOL shuns.
extern const int32_t kFoolSquareMarks[64];

// A level outside 40014..40018 plays as FOOL. For a side without a legal move the result
// is (0, 0) and nothing is chosen (no draw, no search).
SquarePos ChooseComputerMove(const Board& board, Side side, SkillLevel level,
                             const SquarePos* history, int32_t count);
SquarePos ChooseFoolMove(const Board& board, Side side);
SquarePos ChooseFixedDepthMove(const Board& board, Side side, int32_t depth);
SquarePos ChooseMasterMove(const Board& board, Side side);

// What the last ChooseMasterMove did, for tests and the tools.
struct MasterTrace {
    int32_t firstDepth;
    int32_t firstValue;
    int exactStarted;   // the exact search was begun
    int exactFinished;  // and completed within the budget
    int32_t exactValue;
    uint64_t exactSteps;  // steps of the stepwise exact search
    uint64_t exactNodes;  // nodes of the fast solver
};
extern MasterTrace gMasterTrace;

// MASTER's exact search runs on the fast solver (0, the default) or, for the tests that compare
// the two, on the stepwise search (1).
void UseStepwiseExactSearchForTesting(int stepwise);
