// The user's input in GTK turned into the platform's messages: pointer motion and presses
// with their key states, keys as virtual keys (Alt and Ctrl combinations stay with the menu
// bar), focus as WM_ACTIVATE and the close box as WM_CLOSE. Input is posted, so a disabled
// window gets none.
#include "platform/desktop/gtk/gtk_internal.h"

#include <gdk/gdkkeysyms.h>

namespace desktop::gtk {

namespace {

LPARAM PointParam(double x, double y) {
    return MAKELPARAM(static_cast<int>(x), static_cast<int>(y));
}

WPARAM MouseKeys(guint state) {
    WPARAM keys = 0;
    if (state & GDK_BUTTON1_MASK) keys |= MK_LBUTTON;
    if (state & GDK_BUTTON3_MASK) keys |= MK_RBUTTON;
    if (state & GDK_SHIFT_MASK) keys |= MK_SHIFT;
    if (state & GDK_CONTROL_MASK) keys |= MK_CONTROL;
    return keys;
}

WPARAM VirtualKey(guint keyval) {
    switch (keyval) {
        case GDK_KEY_Left:
        case GDK_KEY_KP_Left:
            return VK_LEFT;
        case GDK_KEY_Right:
        case GDK_KEY_KP_Right:
            return VK_RIGHT;
        case GDK_KEY_Up:
        case GDK_KEY_KP_Up:
            return VK_UP;
        case GDK_KEY_Down:
        case GDK_KEY_KP_Down:
            return VK_DOWN;
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter:
            return VK_RETURN;
        case GDK_KEY_Escape:
            return VK_ESCAPE;
        case GDK_KEY_space:
            return VK_SPACE;
        case GDK_KEY_BackSpace:
            return VK_BACK;
        case GDK_KEY_Tab:
            return VK_TAB;
        case GDK_KEY_Home:
            return VK_HOME;
        case GDK_KEY_End:
            return VK_END;
        case GDK_KEY_Page_Up:
            return VK_PRIOR;
        case GDK_KEY_Page_Down:
            return VK_NEXT;
        case GDK_KEY_Delete:
            return VK_DELETE;
        case GDK_KEY_F1:
            return VK_F1;
        default:
            break;
    }
    guint upper = gdk_keyval_to_upper(keyval);
    if ((upper >= 'A' && upper <= 'Z') || (upper >= '0' && upper <= '9')) return upper;
    return 0;
}

}  // namespace

gboolean OnClientMotion(GtkWidget*, GdkEventMotion* e, gpointer data) {
    core::PostInput(HandleOf(data), WM_MOUSEMOVE, MouseKeys(e->state), PointParam(e->x, e->y));
    return FALSE;
}

gboolean OnClientButtonPress(GtkWidget* widget, GdkEventButton* e, gpointer data) {
    // GTK adds a 2BUTTON/3BUTTON event after the second and third quick press; each physical
    // press is already one GDK_BUTTON_PRESS, so those extra events are not presses.
    if (e->type != GDK_BUTTON_PRESS) return TRUE;
    gtk_widget_grab_focus(widget);
    WPARAM keys = MouseKeys(e->state);
    if (e->button == 1)
        core::PostInput(HandleOf(data), WM_LBUTTONDOWN, keys | MK_LBUTTON, PointParam(e->x, e->y));
    else if (e->button == 3)
        core::PostInput(HandleOf(data), WM_RBUTTONDOWN, keys | MK_RBUTTON, PointParam(e->x, e->y));
    return TRUE;
}

gboolean OnKeyPress(GtkWidget*, GdkEventKey* e, gpointer data) {
    // Alt and Ctrl combinations belong to the menu bar (F10, mnemonics).
    if (e->state & (GDK_MOD1_MASK | GDK_CONTROL_MASK)) return FALSE;
    WPARAM vk = VirtualKey(e->keyval);
    if (!vk) return FALSE;
    core::PostInput(HandleOf(data), WM_KEYDOWN, vk, 1);
    return TRUE;
}

gboolean OnFocus(GtkWidget*, GdkEventFocus* e, gpointer data) {
    HWND hwnd = HandleOf(data);
    // GTK reports focus changes while it tears a window down; the procedure is done by then.
    core::Window* w = core::FindWindowRecord(hwnd);
    if (w && !w->destroying)
        SendMessage(hwnd, WM_ACTIVATE, MAKEWPARAM(e->in ? WA_ACTIVE : WA_INACTIVE, IsIconic(hwnd)),
                    0);
    return FALSE;
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
    // The close box: WM_CLOSE, whose default handling destroys the window. Disabled behind a
    // modal dialog, as the platform's frame is.
    core::PostInput(HandleOf(data), WM_CLOSE, 0, 0);
    return TRUE;
}

}  // namespace desktop::gtk
