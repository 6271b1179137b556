// Window geometry and size changes: client and outer rectangles, moves, screen and client
// coordinates, the pointer and the system metrics; a new client size (a drag, maximising,
// minimising, restoring) marks what must be repainted before WM_SIZE tells the window.
#include <algorithm>

#include "platform/desktop/core/core_internal.h"

namespace desktop {
namespace core {

namespace {

// What a size change leaves to repaint: the whole client area when the class asks for a
// redraw on a change of that dimension (the picture was drawn for the old size), otherwise
// only the strips the window gained.
void InvalidateAfterSize(Window& w, int oldWidth, int oldHeight) {
    const bool widthChanged = oldWidth != w.clientWidth;
    const bool heightChanged = oldHeight != w.clientHeight;
    if ((widthChanged && (w.classStyle & CS_HREDRAW)) ||
        (heightChanged && (w.classStyle & CS_VREDRAW))) {
        InvalidateRect(w.handle, nullptr, TRUE);
        return;
    }
    const HWND hwnd = w.handle;
    const int width = w.clientWidth, height = w.clientHeight;
    if (width > oldWidth) {
        RECT gained{std::max(oldWidth, 0), 0, width, height};
        InvalidateRect(hwnd, &gained, TRUE);
    }
    if (height > oldHeight && FindWindowRecord(hwnd)) {
        RECT gained{0, std::max(oldHeight, 0), width, height};
        InvalidateRect(hwnd, &gained, TRUE);
    }
}

}  // namespace

void ClientSizeChanged(HWND hwnd, int width, int height, WPARAM kind) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return;
    const int oldWidth = w->clientWidth, oldHeight = w->clientHeight;
    bool changed = oldWidth != width || oldHeight != height;
    w->clientWidth = width;
    w->clientHeight = height;
    // The platform marks the area to repaint before the window hears of its new size, so a
    // size handler that paints at once (UpdateWindow) already paints everything.
    if (changed && kind != SIZE_MINIMIZED) InvalidateAfterSize(*w, oldWidth, oldHeight);
    if (!FindWindowRecord(hwnd)) return;
    if (changed || kind == SIZE_MINIMIZED)
        SendMessage(hwnd, WM_SIZE, kind, MAKELPARAM(width, height));
}

int FixedSystemMetric(int index) {
    switch (index) {
        case SM_CXEDGE:
        case SM_CYEDGE:
            return 2;
        case SM_CXICON:
        case SM_CYICON:
            return 32;
        case SM_CXSMICON:
        case SM_CYSMICON:
            return 16;
        default:
            return 0;
    }
}

}  // namespace core

using core::FindWindowRecord;
using core::TheBackend;
using core::Window;

BOOL IsIconic(HWND hwnd) {
    Window* w = FindWindowRecord(hwnd);
    return w && w->iconic;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
    Window* w = FindWindowRecord(hwnd);
    if (!w || !rect) return FALSE;
    *rect = {0, 0, w->clientWidth, w->clientHeight};
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
    Window* w = FindWindowRecord(hwnd);
    if (!w || !rect) return FALSE;
    *rect = w->rect;
    if (Window* parent = FindWindowRecord(w->parent)) {
        POINT origin = TheBackend().ClientOrigin(*parent);
        rect->left += origin.x;
        rect->right += origin.x;
        rect->top += origin.y;
        rect->bottom += origin.y;
    }
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    w->rect = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
    TheBackend().MoveNative(*w);
    if (repaint && FindWindowRecord(hwnd)) InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
    Window* w = FindWindowRecord(hwnd);
    if (!w || !point) return FALSE;
    POINT origin = TheBackend().ClientOrigin(*w);
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
    Window* w = FindWindowRecord(hwnd);
    if (!w || !point) return FALSE;
    POINT origin = TheBackend().ClientOrigin(*w);
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

BOOL GetCursorPos(POINT* point) {
    if (!point) return FALSE;
    *point = TheBackend().CursorPos();
    return TRUE;
}

int GetSystemMetrics(int index) {
    return TheBackend().SystemMetric(index);
}

}  // namespace desktop
