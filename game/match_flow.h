// The match flow: the one live game and the state machine that drives it from the first move
// to the result. Its states are handlers: at most one TickHandler (run on every 50 ms timer
// tick) and one ClickHandler (run on every left-button press) are armed at a time; each does
// one step of the game and arms the next after clearing both slots.
//
// The flow reaches the view, the computer player and the shell only through the table of
// outward operations below, which the program fills at start-up and tests fill with fakes.
#pragma once

#include <cstdint>

#include "game/board.h"

// Every move of the game in order; passes are not recorded. A game has at most 60 moves.
struct MoveHistory {
    SquarePos moves[64];
    int32_t count;
};

// Modes and levels are stored as the menu command ids that select them.
using GameMode = int32_t;
constexpr GameMode kModeHumanBlack = 40001;  // the user plays black, the computer white
constexpr GameMode kModeHumanWhite = 40002;  // the computer plays black, the user white
constexpr GameMode kModeTwoHumans = 40003;
constexpr GameMode kModeComputers = 40004;  // and any other id

using SkillLevel = int32_t;
constexpr SkillLevel kLevelFool = 40014;
constexpr SkillLevel kLevelPoor = 40015;
constexpr SkillLevel kLevelNormal = 40016;
constexpr SkillLevel kLevelExpert = 40017;
constexpr SkillLevel kLevelMaster = 40018;

struct DisplaySettings {
    int32_t showLegalMoves;  // markers on the squares the human may play
    int32_t flipAnimation;   // turned discs are animated
    int32_t flatShading;     // flat rather than Gouraud shading
};

using Handler = void (*)();

struct MatchState {
    Board board;
    Side sideToMove;
    MoveHistory history;
    GameMode mode;
    SkillLevel level;
    DisplaySettings settings;
    Handler tickHandler;
    Handler clickHandler;
};

extern MatchState gMatch;

// What the flow asks of the other floors. Every entry must be set.
struct MatchOperations {
    // A legal move for side on board; only called when side has one.
    SquarePos (*ChooseComputerMove)(const Board& board, Side side, SkillLevel level,
                                    const SquarePos* history, int32_t count);
    // Records the discs the move will turn (the board still shows the position before it)
    // and arms the animation's tick handler, which arms AdvanceTurn when it is done.
    void (*ScheduleFlipAnimation)(const Board& board, int x, int y, Side side);
    // The square under the last cursor position; 0 when the nearest thing is not the board.
    int (*PickSquare)(SquarePos* square);
    void (*AddDiscVisual)(int x, int y, Side side);
    void (*AddMoveMarker)(int x, int y);
    // Rebuilds every disc from gMatch.board and removes all markers.
    void (*RebuildDiscs)();
    void (*RequestRepaint)();
    void (*UpdateStatusBar)();
    // Modal; when it closes it clears the handlers and arms StartNewGame as the ClickHandler.
    void (*ShowResultDialog)();
    // Stores the level in gMatch and checks its menu item.
    void (*SetSkillLevel)(SkillLevel level);
    void (*BuildOpeningBook)();
    // 0 when the pattern statistics cannot be loaded.
    int (*LoadPatternTables)();
};

void InstallMatchOperations(const MatchOperations& operations);

// Start-up: the opening book, the default level and mode, then the pattern tables, whose
// load result is returned (0 = failure).
int InitGameData();

void StartNewGame();
void DispatchTurn();
void ClearHandlers();
// Plays a legal move of the side to move.
void CommitMove(int x, int y);

// Handlers.
void BeginHumanTurn();
void OnHumanClick();
void PlayComputerTurn();
void AdvanceTurn();
void FinishGame();

// The menu's mode commands: store the mode and restart at once, whatever the flow is doing.
void SelectGameMode(GameMode mode);

// True when the side to move is played by the user in the current mode.
bool IsHumanSide(GameMode mode, Side side);
