// The GTK side of windows: a top-level window is a GtkWindow holding the menu bar (built from
// the menu template) over the client area, a GtkDrawingArea whose draw delivers WM_PAINT, with
// child windows (the status bar) laid over its bottom. Pointer, keys, focus, resizing and the
// close box become the platform's messages; timers are GLib timeouts that end with the window.
#include "platform/desktop/gtk/gtk_internal.h"

#include "platform/desktop/gtk/display.h"

#include <gdk/gdkkeysyms.h>
#include <unistd.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace desktop::gtk {

int gUpdating = 0;

namespace {

// glibc keeps freed blocks below its (self-raising) mapping threshold in the heap; after a
// shrink the copy of a large picture would otherwise stay resident.
void GiveBackFreedPages() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

// The part of a draw that can reach the screen: the draw's clip less whatever lies beyond
// the screen's edges. A window much larger than the screen would otherwise send its whole
// picture to the display on every paint, through shared memory that cairo keeps afterwards.
cairo_rectangle_t ShownPart(GtkWidget* widget, cairo_t* cr) {
    double x0, y0, x1, y1;
    cairo_clip_extents(cr, &x0, &y0, &x1, &y1);
    GdkWindow* gdk = widget ? gtk_widget_get_window(widget) : nullptr;
    if (gdk && gtk_widget_get_realized(widget)) {
        int originX = 0, originY = 0;
        gdk_window_get_origin(gdk, &originX, &originY);
        if (!gtk_widget_get_has_window(widget)) {
            GtkAllocation a;
            gtk_widget_get_allocation(widget, &a);
            originX += a.x;
            originY += a.y;
        }
        GdkScreen* screen = gtk_widget_get_screen(widget);
        x0 = std::max<double>(x0, -originX);
        y0 = std::max<double>(y0, -originY);
        x1 = std::min<double>(x1, gdk_screen_get_width(screen) - originX);
        y1 = std::min<double>(y1, gdk_screen_get_height(screen) - originY);
    }
    return {x0, y0, std::max(0.0, x1 - x0), std::max(0.0, y1 - y0)};
}

}  // namespace

class WindowPresentTarget : public platform::PresentTarget {
  public:
    explicit WindowPresentTarget(HWND hwnd) : hwnd_(hwnd) {}

    void Present(const uint32_t* pixels, int width, int height, int stride) override {
        Native* n = NativeOf(hwnd_);
        if (!n || !pixels || width <= 0 || height <= 0 || stride < width) return;
        const size_t needed = static_cast<size_t>(width) * height;
        // After a shrink the copy of a much larger picture is given back, not kept for good.
        if (n->image.capacity() / 2 > needed) {
            n->image = std::vector<uint32_t>(needed);
            GiveBackFreedPages();
        } else {
            n->image.resize(needed);
        }
        for (int y = 0; y < height; ++y)
            std::memcpy(&n->image[static_cast<size_t>(y) * width],
                        pixels + static_cast<size_t>(y) * stride, sizeof(uint32_t) * width);
        n->imageWidth = width;
        n->imageHeight = height;
        if (n->paintCr)
            Blit(*n, n->paintCr);
        else if (n->drawing)
            gtk_widget_queue_draw(n->drawing);
    }

    static void Blit(Native& n, cairo_t* cr) {
        if (n.image.empty()) return;
        int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, n.imageWidth);
        if (stride != n.imageWidth * 4) return;
        cairo_rectangle_t shown = ShownPart(n.drawing, cr);
        const double right = std::min<double>(shown.x + shown.width, n.imageWidth);
        const double bottom = std::min<double>(shown.y + shown.height, n.imageHeight);
        if (right <= shown.x || bottom <= shown.y) return;
        cairo_surface_t* surface = cairo_image_surface_create_for_data(
            reinterpret_cast<unsigned char*>(n.image.data()), CAIRO_FORMAT_RGB24, n.imageWidth,
            n.imageHeight, stride);
        cairo_save(cr);
        cairo_set_source_surface(cr, surface, 0, 0);
        cairo_rectangle(cr, shown.x, shown.y, right - shown.x, bottom - shown.y);
        cairo_fill(cr);
        cairo_restore(cr);
        cairo_surface_destroy(surface);
    }

  private:
    HWND hwnd_;
};

Native::~Native() {
    delete target;
    if (radioNone) g_object_unref(radioNone);
}

Native* NativeOf(core::Window& w) {
    return static_cast<Native*>(w.native.get());
}

Native* NativeOf(HWND hwnd) {
    core::Window* w = core::FindWindowRecord(hwnd);
    return w ? NativeOf(*w) : nullptr;
}

namespace {

bool gGtkReady = false;
bool gGtkTried = false;

HWND HandleOf(gpointer data) {
    return static_cast<HWND>(data);
}

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

// --- Signals of a top-level window ---

// GTK lays out and paints in one frame, but the size message comes right after it (see
// OnSizeAllocate): for that one frame the last picture is shown scaled to the new size, and
// the paint for the new size follows as soon as the program has heard of it.
void DrawStretched(HWND hwnd, Native& n, GtkWidget* widget, cairo_t* cr) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    if (n.image.empty() || n.imageWidth <= 0 || n.imageHeight <= 0) return;
    core::Window* w = core::FindWindowRecord(hwnd);
    if (!w || w->clientWidth <= 0 || w->clientHeight <= 0) return;
    const double sx = static_cast<double>(w->clientWidth) / gtk_widget_get_allocated_width(widget);
    const double sy =
        static_cast<double>(w->clientHeight) / gtk_widget_get_allocated_height(widget);
    const cairo_rectangle_t shown = ShownPart(widget, cr);
    const int left = static_cast<int>(shown.x), top = static_cast<int>(shown.y);
    const int width = static_cast<int>(shown.width), height = static_cast<int>(shown.height);
    if (width <= 0 || height <= 0 || !(sx > 0) || !(sy > 0)) return;
    // Scaled here, nearest pixel, rather than by cairo: a scaled source makes cairo render
    // through shared-memory images whose pages it keeps.
    std::vector<uint32_t> scaled(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const int from = std::min(n.imageHeight - 1, static_cast<int>((top + y) * sy));
        const uint32_t* row = &n.image[static_cast<size_t>(from) * n.imageWidth];
        for (int x = 0; x < width; ++x)
            scaled[static_cast<size_t>(y) * width + x] =
                row[std::min(n.imageWidth - 1, static_cast<int>((left + x) * sx))];
    }
    cairo_surface_t* surface =
        cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(scaled.data()),
                                            CAIRO_FORMAT_RGB24, width, height, width * 4);
    cairo_save(cr);
    cairo_set_source_surface(cr, surface, left, top);
    cairo_rectangle(cr, left, top, width, height);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_surface_destroy(surface);
}

gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer data) {
    HWND hwnd = HandleOf(data);
    Native* n = NativeOf(hwnd);
    if (!n) return FALSE;
    if (n->sizePending) {
        DrawStretched(hwnd, *n, widget, cr);
        n->drawAfterSize = true;
        return TRUE;
    }
    // What was last presented stays on screen unless the paint presents anew, as a window's
    // contents stay on the platform's screen until repainted.
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    WindowPresentTarget::Blit(*n, cr);
    n->paintCr = cr;
    core::PaintNow(hwnd);
    if ((n = NativeOf(hwnd))) n->paintCr = nullptr;
    return TRUE;
}

gboolean OnMotion(GtkWidget*, GdkEventMotion* e, gpointer data) {
    core::PostInput(HandleOf(data), WM_MOUSEMOVE, MouseKeys(e->state), PointParam(e->x, e->y));
    return FALSE;
}

gboolean OnButtonPress(GtkWidget* widget, GdkEventButton* e, gpointer data) {
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

// --- Menus ---

struct MenuItemRef {
    HWND owner;
    HMENU menu;
    size_t index;
};

void OnMenuActivate(GtkMenuItem* item, gpointer data) {
    if (gUpdating) return;
    auto* ref = static_cast<MenuItemRef*>(data);
    const core::Menu* menu = core::FindMenu(ref->menu);
    if (!menu || ref->index >= menu->items.size()) return;
    const core::MenuItem& entry = menu->items[ref->index];
    // A check item toggles itself when chosen; the mark only follows the program's calls.
    if (GTK_IS_CHECK_MENU_ITEM(item)) {
        Updating guard;
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), (entry.state & MF_CHECKED) != 0);
    }
    core::PostInput(ref->owner, WM_COMMAND, MAKEWPARAM(static_cast<int>(entry.id), 0), 0);
}

void ShowMark(GtkWidget* widget, const core::MenuItem& entry) {
    if (!GTK_IS_CHECK_MENU_ITEM(widget)) return;
    Updating guard;
    bool checked = (entry.state & MF_CHECKED) != 0;
    gtk_check_menu_item_set_draw_as_radio(GTK_CHECK_MENU_ITEM(widget),
                                          (entry.state & MFT_RADIOCHECK) != 0);
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget), checked);
    GtkStyleContext* style = gtk_widget_get_style_context(widget);
    if (checked)
        gtk_style_context_remove_class(style, "zantobel-unmarked");
    else
        gtk_style_context_add_class(style, "zantobel-unmarked");
    gtk_widget_set_sensitive(widget, !(entry.state & (MF_GRAYED | MF_DISABLED)));
}

void FillMenu(GtkWidget* shell, HMENU handle, HWND owner, Native& n) {
    const core::Menu* menu = core::FindMenu(handle);
    if (!menu) return;
    for (size_t i = 0; i < menu->items.size(); ++i) {
        const core::MenuItem& entry = menu->items[i];
        GtkWidget* item = nullptr;
        if (entry.separator) {
            item = gtk_separator_menu_item_new();
        } else if (entry.popup) {
            item = gtk_menu_item_new_with_mnemonic(Mnemonic(entry.text).c_str());
            GtkWidget* submenu = gtk_menu_new();
            FillMenu(submenu, entry.popup, owner, n);
            gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), submenu);
        } else if (GTK_IS_MENU_BAR(shell)) {
            item = gtk_menu_item_new_with_mnemonic(Mnemonic(entry.text).c_str());
        } else {
            item = gtk_check_menu_item_new_with_mnemonic(Mnemonic(entry.text).c_str());
        }
        if (!entry.separator && !entry.popup) {
            auto* ref = new MenuItemRef{owner, handle, i};
            g_signal_connect_data(
                item, "activate", G_CALLBACK(OnMenuActivate), ref,
                [](gpointer data, GClosure*) { delete static_cast<MenuItemRef*>(data); },
                GConnectFlags(0));
            n.menuItems.push_back({item, {handle, i}});
            ShowMark(item, entry);
        }
        gtk_menu_shell_append(GTK_MENU_SHELL(shell), item);
    }
}

void InstallStyles() {
    // An unchecked item keeps the mark column but shows no empty box, as the platform's menus.
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css,
                                    "menuitem.zantobel-unmarked check,"
                                    "menuitem.zantobel-unmarked radio {"
                                    " border-color: transparent; background: none;"
                                    " box-shadow: none; -gtk-icon-source: none; }",
                                    -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(css);
}

gboolean OnTimer(gpointer data);

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

// A control destroyed while its dialog still names it as the focus or default widget leaves
// the dialog holding a dead pointer, which GTK touches again when the dialog itself goes (a
// control is destroyed before its dialog). Let go of both first.
void ForgetFocusAndDefault(GtkWidget* widget) {
    GtkWidget* toplevel = gtk_widget_get_toplevel(widget);
    if (!GTK_IS_WINDOW(toplevel)) return;
    GtkWindow* window = GTK_WINDOW(toplevel);
    if (toplevel == widget) {
        gtk_window_set_focus(window, nullptr);
        gtk_window_set_default(window, nullptr);
        return;
    }
    GtkWidget* focus = gtk_window_get_focus(window);
    if (focus && (focus == widget || gtk_widget_is_ancestor(focus, widget))) {
        gtk_window_set_focus(window, nullptr);
    }
    GtkWidget* fallback = gtk_window_get_default_widget(window);
    if (fallback && (fallback == widget || gtk_widget_is_ancestor(fallback, widget))) {
        gtk_window_set_default(window, nullptr);
    }
}

class GtkBackend : public core::Backend {
  public:
    bool CreateNative(core::Window& w) override {
        if (!EnsureGtk()) return false;
        auto native = std::make_unique<Native>();
        Native& n = *native;
        gpointer handle = w.handle;
        if (w.style & WS_CHILD) {
            core::Window* parent = core::FindWindowRecord(w.parent);
            Native* pn = parent ? NativeOf(*parent) : nullptr;
            if (!pn || !pn->overlay) return false;
            if (w.statusBar)
                n.widget = CreateStatusBarWidget(w.handle);
            else
                n.widget = gtk_label_new(w.text.c_str());
            gtk_widget_set_halign(n.widget, GTK_ALIGN_START);
            gtk_widget_set_valign(n.widget, GTK_ALIGN_START);
            gtk_overlay_add_overlay(GTK_OVERLAY(pn->overlay), n.widget);
            w.native = std::move(native);
            PlaceChild(w);
            return true;
        }
        n.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_title(GTK_WINDOW(n.window), w.text.c_str());
        if (GdkPixbuf* icon = PixbufOfIcon(w.icon, 32)) {
            gtk_window_set_icon(GTK_WINDOW(n.window), icon);
            g_object_unref(icon);
        }
        GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
        gtk_container_add(GTK_CONTAINER(n.window), box);
        int menuHeight = 0;
        if (w.menu) {
            n.menuBar = gtk_menu_bar_new();
            FillMenu(n.menuBar, w.menu, w.handle, n);
            gtk_box_pack_start(GTK_BOX(box), n.menuBar, FALSE, FALSE, 0);
            gtk_widget_show_all(n.menuBar);
            int minimum = 0;
            gtk_widget_get_preferred_height(n.menuBar, &minimum, &menuHeight);
        }
        n.overlay = gtk_overlay_new();
        n.drawing = gtk_drawing_area_new();
        gtk_widget_set_can_focus(n.drawing, TRUE);
        gtk_widget_add_events(n.drawing, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK |
                                             GDK_KEY_PRESS_MASK | GDK_FOCUS_CHANGE_MASK);
        gtk_container_add(GTK_CONTAINER(n.overlay), n.drawing);
        gtk_box_pack_start(GTK_BOX(box), n.overlay, TRUE, TRUE, 0);
        gtk_widget_set_size_request(n.drawing, 1, 1);
        // The outer size includes the menu bar; the client area is what remains below it.
        int width = std::max<int>(1, w.rect.right - w.rect.left);
        int height = std::max<int>(1, w.rect.bottom - w.rect.top);
        gtk_window_set_default_size(GTK_WINDOW(n.window), width, height);
        if (w.rect.left != 0 || w.rect.top != 0)
            gtk_window_move(GTK_WINDOW(n.window), w.rect.left, w.rect.top);
        w.clientWidth = width;
        w.clientHeight = std::max(0, height - menuHeight);
        g_signal_connect(n.drawing, "draw", G_CALLBACK(OnDraw), handle);
        g_signal_connect(n.drawing, "motion-notify-event", G_CALLBACK(OnMotion), handle);
        g_signal_connect(n.drawing, "button-press-event", G_CALLBACK(OnButtonPress), handle);
        g_signal_connect(n.overlay, "size-allocate", G_CALLBACK(OnSizeAllocate), handle);
        g_signal_connect(n.window, "key-press-event", G_CALLBACK(OnKeyPress), handle);
        g_signal_connect(n.window, "focus-in-event", G_CALLBACK(OnFocus), handle);
        g_signal_connect(n.window, "focus-out-event", G_CALLBACK(OnFocus), handle);
        g_signal_connect(n.window, "delete-event", G_CALLBACK(OnDelete), handle);
        g_signal_connect(n.window, "configure-event", G_CALLBACK(OnConfigure), handle);
        g_signal_connect(n.window, "window-state-event", G_CALLBACK(OnWindowState), handle);
        gtk_widget_show(box);
        gtk_widget_show(n.overlay);
        gtk_widget_show(n.drawing);
        gtk_widget_realize(n.window);
        MarkWindowClass(n.window, w.className);
        w.native = std::move(native);
        return true;
    }

    void DestroyNative(core::Window& w) override {
        Native* n = NativeOf(w);
        if (!n) return;
        for (auto& [id, source] : n->timerSources)
            g_source_remove(source);
        n->timerSources.clear();
        GtkWidget* top = n->window ? n->window : n->widget;
        n->window = n->widget = n->drawing = n->overlay = n->menuBar = n->fixed = nullptr;
        n->menuItems.clear();
        if (top) {
            ForgetFocusAndDefault(top);
            gtk_widget_destroy(top);
        }
        w.native.reset();
    }

    void ShowNative(core::Window& w, int command) override {
        Native* n = NativeOf(w);
        if (!n) return;
        GtkWidget* top = n->window ? n->window : n->widget;
        if (!top) return;
        switch (command) {
            case SW_HIDE:
                gtk_widget_hide(top);
                return;
            case SW_MINIMIZE:
            case SW_SHOWMINIMIZED:
                gtk_widget_show(top);
                if (n->window) gtk_window_iconify(GTK_WINDOW(n->window));
                return;
            case SW_SHOWMAXIMIZED:
                gtk_widget_show(top);
                if (n->window) gtk_window_maximize(GTK_WINDOW(n->window));
                return;
            default:
                if (w.isDialog)
                    gtk_widget_show_all(top);
                else
                    gtk_widget_show(top);
                if (n->window) {
                    if (w.iconic) gtk_window_deiconify(GTK_WINDOW(n->window));
                    gtk_window_present(GTK_WINDOW(n->window));
                }
                if (n->drawing) gtk_widget_grab_focus(n->drawing);
        }
    }

    void MoveNative(core::Window& w) override {
        Native* n = NativeOf(w);
        if (!n) return;
        if (w.style & WS_CHILD) {
            PlaceChild(w);
            return;
        }
        if (n->window) gtk_window_move(GTK_WINDOW(n->window), w.rect.left, w.rect.top);
    }

    void TextChanged(core::Window& w) override {
        Native* n = NativeOf(w);
        if (!n) return;
        if (n->window) {
            gtk_window_set_title(GTK_WINDOW(n->window), w.text.c_str());
        } else if (w.statusBar) {
            gtk_widget_queue_draw(n->widget);
        } else {
            SyncControl(w);
        }
    }

    void CheckChanged(core::Window& control) override { SyncControl(control); }

    void EnableChanged(core::Window& w) override {
        Native* n = NativeOf(w);
        if (!n) return;
        // A disabled top-level window takes no input; its menu and close box go with it, while
        // its drawing still shows (the game goes on behind a dialog).
        if (n->window) {
            if (n->menuBar) gtk_widget_set_sensitive(n->menuBar, w.enabled);
            if (n->drawing) gtk_widget_set_sensitive(n->overlay, w.enabled);
        } else if (n->widget) {
            gtk_widget_set_sensitive(n->widget, w.enabled);
        }
    }

    void StatusBarChanged(core::Window& w) override {
        if (Native* n = NativeOf(w); n && n->widget) gtk_widget_queue_draw(n->widget);
    }

    void MenuChanged(core::Window& owner) override {
        Native* n = NativeOf(owner);
        if (!n) return;
        for (auto& [widget, where] : n->menuItems) {
            const core::Menu* menu = core::FindMenu(where.first);
            if (menu && where.second < menu->items.size())
                ShowMark(widget, menu->items[where.second]);
        }
    }

    void Invalidated(core::Window& w, const RECT* rect, BOOL) override {
        Native* n = NativeOf(w);
        if (!n || !n->drawing) return;
        if (rect)
            gtk_widget_queue_draw_area(n->drawing, rect->left, rect->top, rect->right - rect->left,
                                       rect->bottom - rect->top);
        else
            gtk_widget_queue_draw(n->drawing);
    }

    void TimerChanged(core::Window& w, UINT_PTR id, const core::Timer* timer) override {
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

    void CreateDialogNative(core::Window& dialog) override { CreateDialogWidgets(dialog); }

    bool IdleMessage(MSG&) override { return false; }

    bool WaitForEvents() override {
        if (!EnsureGtk()) return false;
        g_main_context_iteration(nullptr, TRUE);
        return true;
    }

    int RunMessageBox(const core::MessageBoxRequest& request) override {
        if (!EnsureGtk()) return 0;
        return ShowMessageBox(request);
    }

    void DialogReady(core::Window&) override {}

    POINT CursorPos() override {
        if (!EnsureGtk()) return {0, 0};
        GdkDisplay* display = gdk_display_get_default();
        GdkSeat* seat = gdk_display_get_default_seat(display);
        GdkDevice* pointer = seat ? gdk_seat_get_pointer(seat) : nullptr;
        int x = 0, y = 0;
        if (pointer) gdk_device_get_position(pointer, nullptr, &x, &y);
        return {x, y};
    }

    int SystemMetric(int index) override {
        switch (index) {
            case SM_CXSCREEN:
            case SM_CYSCREEN: {
                if (!EnsureGtk()) return 0;
                GdkScreen* screen = gdk_screen_get_default();
                return index == SM_CXSCREEN ? gdk_screen_get_width(screen)
                                            : gdk_screen_get_height(screen);
            }
            default:
                return core::FixedSystemMetric(index);
        }
    }

    int BitsPerPixel() override {
        if (!EnsureGtk()) return 32;
        GdkVisual* visual = gdk_screen_get_system_visual(gdk_screen_get_default());
        int depth = visual ? gdk_visual_get_depth(visual) : 24;
        return depth == 24 ? 32 : depth;  // true colour is reported as 32 bits per pixel
    }

    HWND FindForeignWindow(const char* className, const char* windowName) override {
        return FindOtherInstance(className, windowName);
    }

    POINT ClientOrigin(core::Window& w) override {
        Native* n = NativeOf(w);
        GtkWidget* client = n ? (n->drawing ? n->drawing : n->fixed) : nullptr;
        if (client) {
            GdkWindow* gdk = gtk_widget_get_window(client);
            if (gdk && gtk_widget_get_realized(client)) {
                int x = 0, y = 0;
                gdk_window_get_origin(gdk, &x, &y);
                if (n->fixed) {
                    GtkAllocation a;
                    gtk_widget_get_allocation(n->fixed, &a);
                    if (!gtk_widget_get_has_window(n->fixed)) {
                        x += a.x;
                        y += a.y;
                    }
                }
                return {x, y};
            }
        }
        if (core::Window* parent = core::FindWindowRecord(w.parent)) {
            POINT p = ClientOrigin(*parent);
            return {p.x + w.rect.left, p.y + w.rect.top};
        }
        return {w.rect.left, w.rect.top};
    }

    platform::PresentTarget* PresentTarget(core::Window& w) override {
        Native* n = NativeOf(w);
        if (!n) return nullptr;
        if (!n->target) n->target = new WindowPresentTarget(w.handle);
        return n->target;
    }

    void DialogBaseUnits(const core::DialogTemplate& dialog, int& baseX, int& baseY) override {
        DialogUnits(dialog, baseX, baseY);
    }

  private:
    static void PlaceChild(core::Window& w) {
        Native* n = NativeOf(w);
        if (!n || !n->widget) return;
        gtk_widget_set_margin_start(n->widget, std::max<int>(0, w.rect.left));
        gtk_widget_set_margin_top(n->widget, std::max<int>(0, w.rect.top));
        int width = std::max<int>(0, w.rect.right - w.rect.left);
        int height = std::max<int>(0, w.rect.bottom - w.rect.top);
        gtk_widget_set_size_request(n->widget, width, height);
        w.clientWidth = width;
        w.clientHeight = height;
        if (w.visible || (w.style & WS_VISIBLE)) gtk_widget_show(n->widget);
    }
};

}  // namespace

bool EnsureGtk() {
    if (gGtkTried) return gGtkReady;
    gGtkTried = true;
    UseOurFontRules();
    // Every picture is drawn by the program's own rasterizer and shown with cairo; left to
    // itself GDK probes OpenGL when the display opens, which loads a GL driver (tens of
    // megabytes resident) for nothing. A GDK_GL the user set is left as it is.
    setenv("GDK_GL", "disable", 0);
    // Finding another copy's window needs X11 (directly or through XWayland).
    gdk_set_allowed_backends("x11");
    gGtkReady = gtk_init_check(nullptr, nullptr);
    if (gGtkReady) InstallStyles();
    return gGtkReady;
}

bool OpenDisplay(std::string& why) {
    if (EnsureGtk()) return true;
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) {
        why = "DISPLAY is not set (the game needs an X11 display)";
        return false;
    }
    // The name is shown as it is only where it is plain printable text.
    std::string shown;
    for (const unsigned char c : std::string(name)) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            shown += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            shown += hex;
        }
    }
    why = "cannot open display \"" + shown + "\"";
    return false;
}

GdkPixbuf* PixbufOfIcon(HICON icon, int size) {
    const core::Icon* i = core::FindIcon(icon);
    if (!i || i->pixels.argb.empty()) return nullptr;
    core::IconPixels pixels = core::ScaleIcon(i->pixels, size, size);
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, size, size);
    guchar* data = gdk_pixbuf_get_pixels(pixbuf);
    int stride = gdk_pixbuf_get_rowstride(pixbuf);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            uint32_t p = pixels.argb[static_cast<size_t>(y) * size + x];
            guchar* out = data + y * stride + x * 4;
            out[0] = static_cast<guchar>(p >> 16);
            out[1] = static_cast<guchar>(p >> 8);
            out[2] = static_cast<guchar>(p);
            out[3] = static_cast<guchar>(p >> 24);
        }
    return pixbuf;
}

}  // namespace desktop::gtk

namespace desktop::core {

Backend& TheBackend() {
    static gtk::GtkBackend backend;
    return backend;
}

}  // namespace desktop::core
