// What the GTK backend's files share: the native side of each window, the pixbuf of an icon,
// the guard against the backend's own widget updates echoing back as user input.
#pragma once

#include <string>

// Our headers first: GLib defines TRUE and FALSE as macros, which must not reach the
// declarations of the same names in the interface.
#include "platform/desktop/core/core.h"

#include <gtk/gtk.h>

#include <map>
#include <vector>

namespace desktop::gtk {

class WindowPresentTarget;

struct Native : core::NativeWindow {
    ~Native() override;
    GtkWidget* window = nullptr;     // the GtkWindow of a top-level window or dialog
    GtkWidget* menuBar = nullptr;    // top-level windows with a menu
    GtkWidget* overlay = nullptr;    // the client area: the drawing area plus child windows
    GtkWidget* drawing = nullptr;    // where the client area is painted
    GtkWidget* fixed = nullptr;      // a dialog's control layer
    GtkWidget* widget = nullptr;     // a child window's or control's own widget
    GtkWidget* radioNone = nullptr;  // a radio button's hidden partner (see gtk_dialogs.cpp)
    cairo_t* paintCr = nullptr;      // during a draw of this window
    std::vector<uint32_t> image;     // the last presented image (cairo RGB24)
    int imageWidth = 0, imageHeight = 0;
    WindowPresentTarget* target = nullptr;
    std::map<UINT_PTR, guint> timerSources;
    // Menu items by their menu and position, to show check marks.
    std::vector<std::pair<GtkWidget*, std::pair<HMENU, size_t>>> menuItems;
    bool sizePending = false;    // a new allocation not yet told to the program
    bool drawAfterSize = false;  // a frame was drawn as a stand-in meanwhile
};

Native* NativeOf(core::Window& w);
Native* NativeOf(HWND hwnd);

// Signal handlers get the window's handle as their data.
inline HWND HandleOf(gpointer data) {
    return static_cast<HWND>(data);
}

// Keeps the 3D layer's last frame and shows it in the window's drawing area (gtk_paint.cpp).
class WindowPresentTarget : public platform::PresentTarget {
  public:
    explicit WindowPresentTarget(HWND hwnd) : hwnd_(hwnd) {}
    void Present(const uint32_t* pixels, int width, int height, int stride) override;
    // Draws the kept frame at the top-left of the drawing area.
    static void Blit(Native& n, cairo_t* cr);

  private:
    HWND hwnd_;
};

// The drawing area's draw: WM_PAINT, or the last frame scaled while a size is on its way.
gboolean OnClientDraw(GtkWidget* widget, cairo_t* cr, gpointer data);

// Input on a top-level window (gtk_input.cpp).
gboolean OnClientMotion(GtkWidget*, GdkEventMotion* e, gpointer data);
gboolean OnClientButtonPress(GtkWidget* widget, GdkEventButton* e, gpointer data);
gboolean OnKeyPress(GtkWidget*, GdkEventKey* e, gpointer data);
gboolean OnFocus(GtkWidget*, GdkEventFocus* e, gpointer data);
gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data);

// Size, position and minimised state of a top-level window (gtk_sizing.cpp); dialogs keep
// their frame rectangle up to date through OnConfigure too.
void OnSizeAllocate(GtkWidget*, GdkRectangle*, gpointer data);
gboolean OnConfigure(GtkWidget* widget, GdkEventConfigure*, gpointer data);
gboolean OnWindowState(GtkWidget*, GdkEventWindowState* e, gpointer data);

// The menu bar (gtk_menus.cpp): its items from the core's menu, their marks brought up to
// date, and the style that hides an unchecked item's box (once, when GTK starts).
void FillMenu(GtkWidget* shell, HMENU handle, HWND owner, Native& n);
void ShowMenuMarks(Native& n);
void InstallStyles();

// Starts, restarts (timer) or stops (null) the GLib timeout of a window's timer (gtk_timers.cpp).
void SetTimerSource(core::Window& w, UINT_PTR id, const core::Timer* timer);

// True while the backend itself changes widgets, so their signals are not taken as input.
extern int gUpdating;
struct Updating {
    Updating() { ++gUpdating; }
    ~Updating() { --gUpdating; }
};

// GTK is started on the first call that needs it; false without a display.
bool EnsureGtk();

// Points fontconfig at the program's own font rules (gtk_font_rules.cpp); before gtk_init.
void UseOurFontRules();

// A pixbuf of the icon at its loaded size, or null (the caller unrefs it).
GdkPixbuf* PixbufOfIcon(HICON icon, int size);

// Dialogs and message boxes (gtk_dialogs.cpp).
void CreateDialogWidgets(core::Window& dialog);
void SyncControl(core::Window& control);
void DialogUnits(const core::DialogTemplate& dialog, int& baseX, int& baseY);
int ShowMessageBox(const core::MessageBoxRequest& request);

// A label with the platform's & mnemonic marks written with GTK's _ (gtk_dialogs.cpp), for
// menu items and dialog controls alike.
std::string Mnemonic(const std::string& text);

// The status bar widget (gtk_status_bar.cpp).
GtkWidget* CreateStatusBarWidget(HWND statusBar);

// Another program's window of the class on this display (gtk_single_instance.cpp).
HWND FindOtherInstance(const char* className, const char* windowName);
void MarkWindowClass(GtkWidget* toplevel, const std::string& className);

}  // namespace desktop::gtk
