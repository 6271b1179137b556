// Timers: the core keeps each window's timers and turns an elapsed period into one queued
// WM_TIMER (never two waiting for the same timer); the backend measures the time. Timers end
// with their window.
#include <algorithm>

#include "platform/desktop/core/core_internal.h"

namespace desktop {
namespace core {

void TimerElapsed(HWND hwnd, UINT_PTR id, uint64_t serial) {
    Window* w = FindWindowRecord(hwnd);
    if (!w || w->destroying) return;
    auto it = w->timers.find(id);
    if (it == w->timers.end() || it->second.serial != serial) return;
    for (const MSG& m : S().queue)
        if (m.hwnd == hwnd && m.message == WM_TIMER && m.wParam == id) return;
    S().queue.push_back({hwnd, WM_TIMER, id, 0, 0, {0, 0}});
}

}  // namespace core

using core::FindWindowRecord;
using core::S;
using core::TheBackend;
using core::Window;

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC /*proc*/) {
    Window* w = FindWindowRecord(hwnd);
    if (!w || w->destroying) return 0;
    core::Timer& timer = w->timers[id];
    timer.elapse = std::max<UINT>(elapse, 10);
    timer.serial = S().nextHandle++;
    TheBackend().TimerChanged(*w, id, &timer);
    return id ? id : 1;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    if (!w->timers.erase(id)) return FALSE;
    TheBackend().TimerChanged(*w, id, nullptr);
    core::RemoveQueued(hwnd, WM_TIMER, id, false);
    return TRUE;
}

}  // namespace desktop
