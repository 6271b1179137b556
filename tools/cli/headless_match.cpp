// The headless operations of the match flow and the tick loop that plays a game with them.
#include "tools/cli/headless_match.h"

namespace {

// The result dialog's contract is kept: closing it arms StartNewGame as the click handler.
// Headless, "closing" is noting that the game reached its result.
bool gReachedResult = false;
ComputerChooser gChooser = nullptr;
SkillLevel gLevels[3] = {0, 0, 0};

SquarePos ChooseForSide(const Board& board, Side side, SkillLevel /*level*/,
                        const SquarePos* history, int32_t count) {
    return gChooser(board, side, gLevels[side], history, count);
}

void NoAnimation(const Board&, int, int, Side) {
    ClearHandlers();
    gMatch.tickHandler = AdvanceTurn;
}
int NoPick(SquarePos*) {
    return 0;
}
void NoDisc(int, int, Side) {}
void NoMarker(int, int) {}
void Nothing() {}
void ReachResult() {
    gReachedResult = true;
    ClearHandlers();
    gMatch.clickHandler = StartNewGame;
}
void StoreLevel(SkillLevel level) {
    gMatch.level = level;
}
int NoPatterns() {
    return 1;
}

// A game has at most 60 moves, each taking two ticks here, plus the turn dispatches;
// anything far beyond that is a flow that no longer advances.
constexpr int kTickLimit = 10000;

}  // namespace

HeadlessGameResult PlayHeadlessGame(ComputerChooser chooser, SkillLevel blackLevel,
                                    SkillLevel whiteLevel) {
    gChooser = chooser;
    gLevels[kBlack] = blackLevel;
    gLevels[kWhite] = whiteLevel;
    InstallMatchOperations({ChooseForSide, NoAnimation, NoPick, NoDisc, NoMarker, Nothing, Nothing,
                            Nothing, ReachResult, StoreLevel, Nothing, NoPatterns});
    gMatch.settings = {1, 1, 1};
    gMatch.mode = kModeComputers;
    gReachedResult = false;
    StartNewGame();

    HeadlessGameResult result{};
    int movesSeen = 0;
    Side lastMover = 0;
    for (; !gReachedResult && gMatch.tickHandler && result.ticks < kTickLimit; ++result.ticks) {
        const Side sideBefore = gMatch.sideToMove;
        gMatch.tickHandler();
        if (gMatch.history.count > movesSeen) {
            if (lastMover == sideBefore) ++result.passes;
            lastMover = sideBefore;
            movesSeen = gMatch.history.count;
        }
    }
    result.finished = gReachedResult;
    result.moves.assign(gMatch.history.moves, gMatch.history.moves + gMatch.history.count);
    result.discs = CountDiscs(gMatch.board);
    return result;
}
