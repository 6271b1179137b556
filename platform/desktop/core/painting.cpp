// Painting: each window's update region, WM_PAINT delivery, BeginPaint/EndPaint, device
// contexts and the present target the 3D layer draws into. A WM_PAINT whose procedure does
// not validate its region is counted and not repeated.
#include <algorithm>

#include "platform/desktop/core/core_internal.h"

namespace desktop {
namespace core {

void SendPaint(Window& w) {
    HWND hwnd = w.handle;
    ++w.paintCount;
    SendMessage(hwnd, WM_PAINT, 0, 0);
    Window* after = FindWindowRecord(hwnd);
    if (after && after->hasUpdate) {
        ++S().unvalidatedPaints;
        after->hasUpdate = false;
        after->erase = false;
    }
}

void PaintNow(HWND hwnd) {
    Window* w = FindWindowRecord(hwnd);
    if (!w || w->destroying) return;
    w->hasUpdate = true;
    w->update = {0, 0, w->clientWidth, w->clientHeight};
    SendPaint(*w);
}

uint64_t UnvalidatedPaints() {
    return S().unvalidatedPaints;
}

int OpenDeviceContextCount() {
    int count = 0;
    for (const auto& [dc, info] : S().dcs)
        count += info.paint ? 0 : 1;
    return count;
}

}  // namespace core

using core::FindWindowRecord;
using core::S;
using core::TheBackend;
using core::Window;

BOOL UpdateWindow(HWND hwnd) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    if (w->hasUpdate && w->visible) core::SendPaint(*w);
    return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    RECT r = rect ? *rect : RECT{0, 0, w->clientWidth, w->clientHeight};
    r.left = std::max<LONG>(r.left, 0);
    r.top = std::max<LONG>(r.top, 0);
    r.right = std::min<LONG>(r.right, w->clientWidth);
    r.bottom = std::min<LONG>(r.bottom, w->clientHeight);
    if (r.left >= r.right || r.top >= r.bottom) return TRUE;
    if (w->hasUpdate) {
        w->update = {std::min(w->update.left, r.left), std::min(w->update.top, r.top),
                     std::max(w->update.right, r.right), std::max(w->update.bottom, r.bottom)};
    } else {
        w->update = r;
        w->hasUpdate = true;
    }
    w->erase = w->erase || erase;
    TheBackend().Invalidated(*w, rect, erase);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* /*rect*/) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    w->hasUpdate = false;
    w->erase = false;
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL /*erase*/) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    if (rect) *rect = w->hasUpdate ? w->update : RECT{0, 0, 0, 0};
    return w->hasUpdate;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
    Window* w = FindWindowRecord(hwnd);
    if (!w || !ps) return nullptr;
    HDC dc = core::NewHandle<HDC>();
    S().dcs[dc] = {hwnd, true};
    *ps = PAINTSTRUCT{};
    ps->hdc = dc;
    ps->fErase = w->erase;
    ps->rcPaint = w->hasUpdate ? w->update : RECT{0, 0, 0, 0};
    w->hasUpdate = false;
    w->erase = false;
    w->inPaint = true;
    return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
    Window* w = FindWindowRecord(hwnd);
    if (ps) S().dcs.erase(ps->hdc);
    if (!w) return FALSE;
    w->inPaint = false;
    return TRUE;
}

HDC GetDC(HWND hwnd) {
    if (hwnd && !FindWindowRecord(hwnd)) return nullptr;
    HDC dc = core::NewHandle<HDC>();
    S().dcs[dc] = {hwnd, false};
    return dc;
}

int ReleaseDC(HWND hwnd, HDC dc) {
    auto it = S().dcs.find(dc);
    if (it == S().dcs.end() || it->second.paint || it->second.hwnd != hwnd) return 0;
    S().dcs.erase(it);
    return 1;
}

int GetDeviceCaps(HDC dc, int index) {
    if (!S().dcs.count(dc)) return 0;
    switch (index) {
        case BITSPIXEL:
            return TheBackend().BitsPerPixel();
        case PLANES:
            return 1;
        case HORZRES:
            return TheBackend().SystemMetric(SM_CXSCREEN);
        case VERTRES:
            return TheBackend().SystemMetric(SM_CYSCREEN);
        case LOGPIXELSX:
        case LOGPIXELSY:
            return 96;
        default:
            return 0;
    }
}

platform::PresentTarget* GetWindowPresentTarget(HWND hwnd) {
    Window* w = FindWindowRecord(hwnd);
    return w ? TheBackend().PresentTarget(*w) : nullptr;
}

}  // namespace desktop
