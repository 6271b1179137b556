// A whole game through the match flow without a window: the flow's handlers are driven by
// ticks as the timer would drive them, the outward operations are the headless ones (no
// scene, no animation, no dialog), and the desktop is the recording backend.
#pragma once

#include <string>
#include <vector>

#include "game/match_flow.h"

struct HeadlessGameResult {
    std::vector<SquarePos> moves;  // the move record, passes omitted
    DiscCounts discs;
    int ticks;      // timer ticks the flow needed
    int passes;     // how many times a side had to pass
    bool finished;  // the result dialog was reached
};

using ComputerChooser = SquarePos (*)(const Board& board, Side side, SkillLevel level,
                                      const SquarePos* history, int32_t count);

// Plays one game, computer against computer (mode 40004), with the chooser for both sides.
// The black and white levels are handed to the chooser as the side to move requires.
HeadlessGameResult PlayHeadlessGame(ComputerChooser chooser, SkillLevel blackLevel,
                                    SkillLevel whiteLevel);
