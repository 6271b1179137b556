// The menu's level marks and the three modal dialogs: settings (legal-move markers, flip
// animation, Gouraud or flat shading), help, and the result at the end of a game.
#pragma once

#include "game/match_flow.h"
#include "platform/desktop/desktop.h"

// Menu command ids besides the modes (40001..40004) and levels (40014..40018).
constexpr desktop::UINT kCommandSettings = 40011;
constexpr desktop::UINT kCommandHelp = 40012;
constexpr desktop::UINT kCommandExit = 40013;

// Control ids of the dialogs.
constexpr int kConfigShowLegalMoves = 1003;
constexpr int kConfigFlipAnimation = 1004;
constexpr int kConfigGouraud = 1005;
constexpr int kConfigFlat = 1006;
constexpr int kResultBlackLine = 1000;
constexpr int kResultWhiteLine = 1001;
constexpr int kResultOutcome = 1002;

// Puts the radio bullet on the level's menu item and stores the level; nothing else.
void SetSkillLevel(SkillLevel level);

void ShowConfigDialog();
void ShowHelpDialog();
// Opens once both handler slots are empty; closing it arms StartNewGame for the next click.
void ShowResultDialog();

desktop::INT_PTR ConfigDialogProc(desktop::HWND dialog, desktop::UINT message,
                                  desktop::WPARAM wParam, desktop::LPARAM lParam);
desktop::INT_PTR HelpDialogProc(desktop::HWND dialog, desktop::UINT message, desktop::WPARAM wParam,
                                desktop::LPARAM lParam);
desktop::INT_PTR ResultDialogProc(desktop::HWND dialog, desktop::UINT message,
                                  desktop::WPARAM wParam, desktop::LPARAM lParam);

void InitConfigDialog(desktop::HWND dialog);
void ApplyConfigDialog(desktop::HWND dialog);
void InitResultDialog(desktop::HWND dialog);

// The outcome line of the result dialog; it names a colour, never the user.
const char* OutcomeText(DiscCounts counts);
