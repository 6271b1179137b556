// The scene area of the main window and the repaint requests aimed at it.
#include "view/scene_area.h"

#include "platform/desktop/paint.h"
#include "platform/desktop/window.h"

ViewWindow gViewWindow;

namespace {

// The status bar sits in the strip below the scene: its edge plus 20 pixels.
constexpr int kStatusStrip = 20;

void InvalidateScene(desktop::BOOL erase) {
    if (!gViewWindow.mainWindow) return;
    const desktop::RECT area = SceneArea(gViewWindow.mainWindow);
    desktop::InvalidateRect(gViewWindow.mainWindow, &area, erase);
}

}  // namespace

desktop::RECT SceneArea(desktop::HWND window) {
    desktop::RECT area{0, 0, 0, 0};
    if (!desktop::GetClientRect(window, &area)) return desktop::RECT{0, 0, 0, 0};
    area.bottom -= desktop::GetSystemMetrics(desktop::SM_CYEDGE) + kStatusStrip;
    // A window shorter than the strip has no scene at all, never a rectangle upside down.
    if (area.bottom < area.top) area.bottom = area.top;
    return area;
}

void RequestRepaint() {
    InvalidateScene(desktop::TRUE);
}

void InvalidateSceneArea() {
    InvalidateScene(desktop::FALSE);
}
