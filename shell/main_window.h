// The program's entry point and its one top-level window: start-up defaults, the refusal of a
// second copy, the window class and window, and the routing of every message to the renderer,
// the camera, the menu commands and the match flow's handler slots.
#pragma once

#include "platform/desktop/desktop.h"

// The show command is that of the first ShowWindow; the command line is never read.
int WinMain(desktop::HINSTANCE instance, desktop::HINSTANCE previous, const char* commandLine,
            int showCommand);

desktop::LRESULT MainWindowProc(desktop::HWND window, desktop::UINT message, desktop::WPARAM wParam,
                                desktop::LPARAM lParam);

// A failure that stops the program: a box without owner, caption "Error".
void ShowErrorBox(const char* text);

// Fills the match flow's outward operations with the computer player, the view and the shell.
void InstallProgramOperations();
