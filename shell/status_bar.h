// The status bar's contents and the names shown for each side, shared with the result
// dialog: each side's icon, disc count and player name ("12 (EXPERT)", "2 (USER)").
#pragma once

#include "game/match_flow.h"

// kLevelNames[level - 40014]; a level outside 40014..40018 is shown as "MASTER".
const char* LevelName(SkillLevel level);

struct PlayerNames {
    const char* black;
    const char* white;
};
PlayerNames NamesForMode(GameMode mode, SkillLevel level);

// "%d (%s)": the count and the name; the buffer holds 40 bytes.
void FormatSideLine(char (&line)[40], int count, const char* name);

// Shows both sides' icons, counts and names from gMatch in parts 0 (black) and 1 (white).
void UpdateStatusBar();
