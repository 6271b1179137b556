// Timers in GTK: each running timer is a GLib timeout below GTK's redraw priority, whose
// tick tells the core the period elapsed (one WM_TIMER waits at most). A timer set again or
// killed drops its timeout; a stale tick is recognised by its serial and ignored.
#include "platform/desktop/gtk/gtk_internal.h"

namespace desktop::gtk {

namespace {

constexpr int kTimerPriority = G_PRIORITY_HIGH_IDLE + 30;

struct TimerRef {
    HWND hwnd;
    UINT_PTR id;
    uint64_t serial;
};

gboolean OnTimer(gpointer data) {
    auto* ref = static_cast<TimerRef*>(data);
    core::TimerElapsed(ref->hwnd, ref->id, ref->serial);
    return G_SOURCE_CONTINUE;
}

}  // namespace

void SetTimerSource(core::Window& w, UINT_PTR id, const core::Timer* timer) {
    Native* n = NativeOf(w);
    if (!n) return;
    auto it = n->timerSources.find(id);
    if (it != n->timerSources.end()) {
        g_source_remove(it->second);
        n->timerSources.erase(it);
    }
    if (!timer) return;
    auto* ref = new TimerRef{w.handle, id, timer->serial};
    // Below GTK's redraw, as the platform delivers WM_TIMER only when no paint is due: a
    // long tick handler must not starve the picture.
    n->timerSources[id] =
        g_timeout_add_full(kTimerPriority, timer->elapse, OnTimer, ref,
                           [](gpointer data) { delete static_cast<TimerRef*>(data); });
}

}  // namespace desktop::gtk
