// The turn sequence of one game, driven by timer ticks and clicks through the handler slots.
#include "game/match_flow.h"

#include "platform/desktop/sound.h"

MatchState gMatch;

namespace {

MatchOperations gOps;

void PlayClickSound() {
    using namespace desktop;
    PlaySound("click", nullptr, SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
}

}  // namespace

void InstallMatchOperations(const MatchOperations& operations) {
    gOps = operations;
}

int InitGameData() {
    gOps.BuildOpeningBook();
    gOps.SetSkillLevel(kLevelFool);
    gMatch.mode = kModeHumanBlack;
    return gOps.LoadPatternTables();
}

void ClearHandlers() {
    gMatch.tickHandler = nullptr;
    gMatch.clickHandler = nullptr;
}

bool IsHumanSide(GameMode mode, Side side) {
    return (mode == kModeHumanBlack && side == kBlack) ||
           (mode == kModeHumanWhite && side == kWhite) || mode == kModeTwoHumans;
}

void StartNewGame() {
    ClearHandlers();
    gMatch.board = InitialBoard();
    gMatch.history.count = 0;
    gMatch.sideToMove = kBlack;
    gOps.UpdateStatusBar();
    gOps.RebuildDiscs();
    gOps.RequestRepaint();
    DispatchTurn();
}

void SelectGameMode(GameMode mode) {
    gMatch.mode = mode;
    StartNewGame();
}

void DispatchTurn() {
    ClearHandlers();
    gMatch.tickHandler =
        IsHumanSide(gMatch.mode, gMatch.sideToMove) ? BeginHumanTurn : PlayComputerTurn;
}

void BeginHumanTurn() {
    ClearHandlers();
    if (gMatch.settings.showLegalMoves) {
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                if (IsLegalMove(gMatch.board, x, y, gMatch.sideToMove)) gOps.AddMoveMarker(x, y);
            }
        }
        gOps.RequestRepaint();
    }
    gMatch.clickHandler = OnHumanClick;
}

void OnHumanClick() {
    SquarePos square{};
    if (!gOps.PickSquare(&square)) return;
    // The pick reports squares of the board grid only, but a square outside the board must
    // never reach the rules, whatever the view hands back.
    if (!OnBoard(square.x, square.y)) return;
    if (IsLegalMove(gMatch.board, square.x, square.y, gMatch.sideToMove)) {
        CommitMove(square.x, square.y);
    }
}

void PlayComputerTurn() {
    const SquarePos move = gOps.ChooseComputerMove(gMatch.board, gMatch.sideToMove, gMatch.level,
                                                   gMatch.history.moves, gMatch.history.count);
    CommitMove(move.x, move.y);
}

void CommitMove(int x, int y) {
    const Side side = gMatch.sideToMove;
    ClearHandlers();
    gOps.ScheduleFlipAnimation(gMatch.board, x, y, side);
    gOps.AddDiscVisual(x, y, side);
    ApplyMove(gMatch.board, x, y, side);
    // Each move fills one of the 60 empty squares, so the history cannot overflow in a game;
    // the guard keeps it so for any board the flow is handed.
    if (gMatch.history.count < 64) gMatch.history.moves[gMatch.history.count++] = {x, y};
    PlayClickSound();
    if (!gMatch.settings.flipAnimation) {
        ClearHandlers();
        gMatch.tickHandler = AdvanceTurn;
    }
}

void AdvanceTurn() {
    gOps.UpdateStatusBar();
    const Side mover = gMatch.sideToMove;
    SquarePos moves[64];
    gMatch.sideToMove = Opponent(mover);
    if (ListLegalMoves(gMatch.board, moves, gMatch.sideToMove) == 0) {
        // A pass: the side that has just moved moves again, and nothing is shown for it.
        gMatch.sideToMove = mover;
        if (ListLegalMoves(gMatch.board, moves, mover) == 0) {
            ClearHandlers();
            gMatch.tickHandler = FinishGame;
            return;
        }
    }
    gOps.RebuildDiscs();
    gOps.RequestRepaint();
    ClearHandlers();
    DispatchTurn();
}

void FinishGame() {
    gOps.RebuildDiscs();
    gOps.RequestRepaint();
    // Cleared before the dialog, so no tick re-enters the flow while the modal dialog runs.
    ClearHandlers();
    gOps.ShowResultDialog();
}
