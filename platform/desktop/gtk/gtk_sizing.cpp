// Size changes in GTK: a new allocation of the client area reaches the program as WM_SIZE
// right after GTK's layout pass, the frame's position is kept as the window's outer
// rectangle, and minimising and restoring send WM_SIZE with SIZE_MINIMIZED and SIZE_RESTORED.
#include "platform/desktop/gtk/gtk_internal.h"

#include <utility>

namespace desktop::gtk {

namespace {

gboolean DeliverSize(gpointer data) {
    HWND hwnd = HandleOf(data);
    core::Window* w = core::FindWindowRecord(hwnd);
    Native* n = w ? NativeOf(*w) : nullptr;
    if (!n) return G_SOURCE_REMOVE;
    n->sizePending = false;
    // A frame drawn while the size was on its way showed a stand-in; paint for real now (the
    // restore from minimised repaints by itself).
    const bool redraw = std::exchange(n->drawAfterSize, false);
    if (w->iconic) return G_SOURCE_REMOVE;
    GtkAllocation a;
    gtk_widget_get_allocation(n->overlay, &a);
    core::ClientSizeChanged(hwnd, a.width, a.height, SIZE_RESTORED);
    if (redraw && (n = NativeOf(hwnd)) && n->drawing) gtk_widget_queue_draw(n->drawing);
    return G_SOURCE_REMOVE;
}

}  // namespace

void OnSizeAllocate(GtkWidget*, GdkRectangle*, gpointer data) {
    // The size message runs the program's resize handling, which may show a box or move child
    // windows; neither may happen inside GTK's layout pass, so it comes right after.
    Native* n = NativeOf(HandleOf(data));
    if (!n || n->sizePending) return;
    n->sizePending = true;
    g_idle_add_full(G_PRIORITY_HIGH_IDLE + 5, DeliverSize, data, nullptr);
}

gboolean OnConfigure(GtkWidget* widget, GdkEventConfigure*, gpointer data) {
    core::Window* w = core::FindWindowRecord(HandleOf(data));
    GdkWindow* gdk = gtk_widget_get_window(widget);
    if (!w || !gdk) return FALSE;
    GdkRectangle frame;
    gdk_window_get_frame_extents(gdk, &frame);
    w->rect = {frame.x, frame.y, frame.x + frame.width, frame.y + frame.height};
    return FALSE;
}

gboolean OnWindowState(GtkWidget*, GdkEventWindowState* e, gpointer data) {
    HWND hwnd = HandleOf(data);
    core::Window* w = core::FindWindowRecord(hwnd);
    if (!w || !(e->changed_mask & GDK_WINDOW_STATE_ICONIFIED)) return FALSE;
    bool iconic = (e->new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0;
    if (iconic == w->iconic) return FALSE;
    w->iconic = iconic;
    if (iconic) {
        core::ClientSizeChanged(hwnd, 0, 0, SIZE_MINIMIZED);
    } else if (Native* n = NativeOf(*w)) {
        GtkAllocation a;
        gtk_widget_get_allocation(n->overlay, &a);
        w->clientWidth = -1;  // the restore always reports its size
        core::ClientSizeChanged(hwnd, a.width, a.height, SIZE_RESTORED);
    }
    return FALSE;
}

}  // namespace desktop::gtk
