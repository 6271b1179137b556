// The application shell's one record: the main window, the program instance, the cursor
// position of the last mouse move (picking reads it when a click is handled), the status
// bar and the two disc icons it shows.
#pragma once

#include "platform/desktop/desktop.h"

struct ShellState {
    desktop::HWND mainWindow;
    desktop::HINSTANCE instance;
    desktop::POINT cursorPos;
    desktop::HWND statusBar;
    desktop::HICON discIcons[2];  // 0 black ("ico_black"), 1 white ("ico_white")
    // Set once the whole start-up sequence succeeded; until then a resize has no device to
    // re-create (after a failed start the window is still shown and sized before it quits).
    int running;
    // What the start-up could not make or load, for the line on stderr; null while none.
    const char* startupFailure;
};

// The exit code of a start that failed (no display, no window, a resource or the 3D device
// that could not be made): a failure must never look like a normal end.
constexpr int kExitStartupFailed = 1;

extern ShellState gShell;

// The status bar's strip at the bottom of the client area: SM_CYEDGE plus this many pixels.
constexpr int kStatusBarHeight = 20;
