// Painting: the update region and WM_PAINT, device contexts with the display's colour depth,
// and the present target through which a window's 3D image reaches the screen.
#pragma once

#include "platform/desktop/win_types.h"
#include "platform/present_target.h"

namespace desktop {

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};

// GetDeviceCaps indices.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

// Adds the rectangle (the whole client area when rect is null) to the window's update region;
// the window gets WM_PAINT once the queue is empty. erase asks for the background to be erased
// first (nothing is drawn for a class without a background brush).
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);

// Opens the paint of a WM_PAINT: fills ps with the device context and the rectangle to paint
// and empties the update region. EndPaint closes it.
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);

// A device context of the window's client area (hwnd null: of the screen), to be returned
// with ReleaseDC (which returns 1 when the context was released).
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC dc);
int GetDeviceCaps(HDC dc, int index);

// The target through which a device shows its image in the window's drawing area (for the
// main window: the client area above the status bar). It stays valid while the window lives;
// null for an unknown window.
platform::PresentTarget* GetWindowPresentTarget(HWND hwnd);

}  // namespace desktop
