// The part of the main window the 3D view draws in: the client area above the status bar.
// The view keeps the main window it was started on, so the scene operations can ask for a
// repaint without the shell handing the window in each time.
#pragma once

#include "platform/desktop/win_types.h"

struct ViewWindow {
    desktop::HWND mainWindow;  // the window handed to InitRenderer; null before
};

extern ViewWindow gViewWindow;

// The client rectangle less a bottom strip of GetSystemMetrics(SM_CYEDGE) + 20 pixels.
desktop::RECT SceneArea(desktop::HWND window);

// Invalidates the SceneArea of the main window, with erase.
void RequestRepaint();

// Invalidates the SceneArea of the main window without erase (the camera keys).
void InvalidateSceneArea();
