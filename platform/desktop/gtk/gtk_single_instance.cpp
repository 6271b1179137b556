// Finding a window of a class made by another copy of the program on this display: every
// top-level window carries its class name in an X11 property, so a new copy finds it among the
// root window's children (or their children, under a reparenting window manager). Two copies
// started at nearly the same moment would both find nothing, so the first to ask also takes a
// lock keyed by the user, the display and the class, held until it exits: a second copy finds
// the lock taken and counts that as a window found.
#include "platform/desktop/gtk/gtk_internal.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <gdk/gdkx.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <map>
#include <string>

namespace desktop::gtk {
namespace {

constexpr const char* kClassProperty = "_ZANTOBEL_WINDOW_CLASS";
constexpr int kSearchDepth = 3;

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

HWND ForeignHandle() {
    return reinterpret_cast<HWND>(uintptr_t{0x7FFF0000});
}

bool WindowHasClass(Display* display, Window window, Atom property, const std::string& className) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 256, False, AnyPropertyType, &type,
                           &format, &count, &remaining, &data) != Success)
        return false;
    bool match = data && format == 8 &&
                 Lower(std::string(reinterpret_cast<char*>(data), count)) == className;
    if (data) XFree(data);
    return match;
}

bool Search(Display* display, Window window, Atom property, const std::string& className, int depth,
            const std::vector<Window>& own) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return false;
    bool found = false;
    for (unsigned int i = 0; i < count && !found; ++i) {
        bool mine = false;
        for (Window w : own)
            mine = mine || w == children[i];
        if (!mine && WindowHasClass(display, children[i], property, className)) found = true;
        if (!found && depth > 1)
            found = Search(display, children[i], property, className, depth - 1, own);
    }
    if (children) XFree(children);
    return found;
}

// Lock files by class name, kept open for the life of the process.
std::map<std::string, int> gLocks;

bool LockTakenByAnother(const std::string& className) {
    auto held = gLocks.find(className);
    if (held != gLocks.end()) return held->second < 0;
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    if (!dir || access(dir, W_OK) != 0) dir = "/tmp";
    std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "none";
    for (char& c : display)
        if (c == '/' || c == ':') c = '_';
    std::string safeClass;
    for (char c : className)
        safeClass += (std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
    std::string path = std::string(dir) + "/zantobel-" + std::to_string(getuid()) + "-" + display +
                       "-" + safeClass + ".lock";
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        gLocks[className] = 0;  // cannot lock: rely on the window search alone
        return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        gLocks[className] = -1;
        return true;
    }
    gLocks[className] = fd;
    return false;
}

}  // namespace

void MarkWindowClass(GtkWidget* toplevel, const std::string& className) {
    GdkWindow* gdk = gtk_widget_get_window(toplevel);
    if (!gdk || !GDK_IS_X11_WINDOW(gdk)) return;
    Display* display = GDK_WINDOW_XDISPLAY(gdk);
    Atom property = XInternAtom(display, kClassProperty, False);
    XChangeProperty(display, GDK_WINDOW_XID(gdk), property, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(className.data()),
                    static_cast<int>(className.size()));
    XFlush(display);
}

HWND FindOtherInstance(const char* className, const char* /*windowName*/) {
    if (!className || IS_INTRESOURCE(className) || !EnsureGtk()) return nullptr;
    std::string wanted = Lower(className);
    GdkDisplay* gdkDisplay = gdk_display_get_default();
    if (gdkDisplay && GDK_IS_X11_DISPLAY(gdkDisplay)) {
        Display* display = GDK_DISPLAY_XDISPLAY(gdkDisplay);
        Atom property = XInternAtom(display, kClassProperty, False);
        std::vector<Window> own;
        for (HWND h : core::AllWindows())
            if (Native* n = NativeOf(h); n && n->window && gtk_widget_get_window(n->window))
                own.push_back(GDK_WINDOW_XID(gtk_widget_get_window(n->window)));
        // A window listed by the search may be gone by the time it is read; the X error that
        // follows would otherwise end the program, so it is trapped and the window skipped.
        gdk_x11_display_error_trap_push(gdkDisplay);
        const bool found =
            Search(display, DefaultRootWindow(display), property, wanted, kSearchDepth, own);
        gdk_x11_display_error_trap_pop_ignored(gdkDisplay);
        if (found) return ForeignHandle();
    }
    return LockTakenByAnother(wanted) ? ForeignHandle() : nullptr;
}

}  // namespace desktop::gtk
