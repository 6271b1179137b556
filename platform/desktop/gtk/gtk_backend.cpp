// The GTK side of windows: a top-level window is a GtkWindow holding the menu bar over the
// client area, a GtkDrawingArea whose draw delivers WM_PAINT, with child windows (the status
// bar) laid over its bottom. This file makes, shows, moves and destroys them and answers the
// core's hooks; painting, input, sizes, menus and timers have their own gtk_ files.
#include "platform/desktop/gtk/gtk_internal.h"

#include "platform/desktop/gtk/display.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace desktop::gtk {

int gUpdating = 0;

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
        g_signal_connect(n.drawing, "draw", G_CALLBACK(OnClientDraw), handle);
        g_signal_connect(n.drawing, "motion-notify-event", G_CALLBACK(OnClientMotion), handle);
        g_signal_connect(n.drawing, "button-press-event", G_CALLBACK(OnClientButtonPress), handle);
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
        if (Native* n = NativeOf(owner)) ShowMenuMarks(*n);
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
        SetTimerSource(w, id, timer);
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
