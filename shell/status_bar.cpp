// Status-bar texts and icons.
#include "shell/status_bar.h"

#include <cstdio>

#include "shell/shell_state.h"

namespace {

const char* const kLevelNames[] = {"FOOL", "POOR", "NORMAL", "EXPERT", "MASTER"};

}  // namespace

const char* LevelName(SkillLevel level) {
    if (level < kLevelFool || level > kLevelMaster) return "MASTER";
    return kLevelNames[level - kLevelFool];
}

PlayerNames NamesForMode(GameMode mode, SkillLevel level) {
    const char* computer = LevelName(level);
    switch (mode) {
        case kModeHumanBlack:
            return {"USER", computer};
        case kModeHumanWhite:
            return {computer, "USER"};
        case kModeTwoHumans:
            return {"USER", "USER"};
        default:
            return {computer, computer};
    }
}

void FormatSideLine(char (&line)[40], int count, const char* name) {
    std::snprintf(line, sizeof line, "%d (%s)", count, name);
}

void UpdateStatusBar() {
    using namespace desktop;
    const DiscCounts counts = CountDiscs(gMatch.board);
    const PlayerNames names = NamesForMode(gMatch.mode, gMatch.level);
    const int sideCounts[2] = {counts.black, counts.white};
    const char* sideNames[2] = {names.black, names.white};
    for (int part = 0; part < 2; ++part) {
        char line[40];
        SendMessage(gShell.statusBar, SB_SETICON, part,
                    reinterpret_cast<LPARAM>(gShell.discIcons[part]));
        FormatSideLine(line, sideCounts[part], sideNames[part]);
        SendMessage(gShell.statusBar, SB_SETTEXT, part, reinterpret_cast<LPARAM>(line));
    }
}
