// Xlib and the Damage extension for the monkey run.
#include "tests/monkey/x_watch.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>

#include <chrono>

#include "tests/monkey/game_process.h"

namespace monkey {
namespace {

// A window can vanish between listing and asking about it; that is not an error here.
int IgnoreXErrors(Display*, XErrorEvent*) {
    return 0;
}

std::vector<unsigned char> Property(Display* d, Window w, const char* name, Atom type,
                                    unsigned long* items) {
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned char> bytes;
    *items = 0;
    if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 1 << 16, False, type, &actual,
                           &format, &count, &after, &data) == Success &&
        data && actual != None) {
        const size_t unit = format == 32 ? sizeof(long) : format / 8;
        bytes.assign(data, data + count * unit);
        *items = count;
    }
    if (data) XFree(data);
    return bytes;
}

std::string Title(Display* d, Window w) {
    unsigned long n = 0;
    auto utf8 = Property(d, w, "_NET_WM_NAME", XInternAtom(d, "UTF8_STRING", False), &n);
    if (n) return std::string(utf8.begin(), utf8.end());
    auto latin = Property(d, w, "WM_NAME", XA_STRING, &n);
    return std::string(latin.begin(), latin.end());
}

double Now() {
    return SecondsSinceStart();
}

}  // namespace

XWindows::XWindows() {
    XSetErrorHandler(IgnoreXErrors);
    display_ = XOpenDisplay(nullptr);
}

XWindows::~XWindows() {
    if (display_) XCloseDisplay(display_);
}

std::vector<ClientWindow> XWindows::List() {
    std::vector<ClientWindow> windows;
    if (!display_) return windows;
    unsigned long n = 0;
    auto ids = Property(display_, DefaultRootWindow(display_), "_NET_CLIENT_LIST", XA_WINDOW, &n);
    const Window* list = reinterpret_cast<const Window*>(ids.data());
    const Atom hidden = XInternAtom(display_, "_NET_WM_STATE_HIDDEN", False);
    for (unsigned long i = 0; i < n; ++i) {
        ClientWindow c;
        c.id = list[i];
        c.title = Title(display_, list[i]);
        unsigned long k = 0;
        auto pid = Property(display_, list[i], "_NET_WM_PID", XA_CARDINAL, &k);
        if (k) c.pid = *reinterpret_cast<const long*>(pid.data());
        auto states = Property(display_, list[i], "_NET_WM_STATE", XA_ATOM, &k);
        for (unsigned long s = 0; s < k; ++s)
            c.minimised = c.minimised || reinterpret_cast<const Atom*>(states.data())[s] == hidden;
        windows.push_back(c);
    }
    return windows;
}

std::optional<ClientWindow> XWindows::Find(const std::string& title, pid_t pid) {
    for (const ClientWindow& c : List()) {
        if (c.title == title && (pid < 0 || c.pid == pid)) return c;
    }
    return std::nullopt;
}

unsigned long XWindows::Active() {
    if (!display_) return 0;
    unsigned long n = 0;
    auto id = Property(display_, DefaultRootWindow(display_), "_NET_ACTIVE_WINDOW", XA_WINDOW, &n);
    return n ? *reinterpret_cast<const Window*>(id.data()) : 0;
}

bool XWindows::Size(unsigned long window, int& width, int& height) {
    XWindowAttributes a;
    if (!display_ || !XGetWindowAttributes(display_, window, &a)) return false;
    width = a.width;
    height = a.height;
    return true;
}

bool LifeWatch::Start(unsigned long window, pid_t pid, const QuietLimits& limits) {
    window_ = window;
    pid_ = pid;
    limits_ = limits;
    stop_ = false;
    thread_ = std::thread([this] { Run(); });
    while (!ready_ && !Failed())
        Sleep(0.01);
    return !Failed();
}

void LifeWatch::Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

LifeWatch::Stats LifeWatch::Current() {
    std::lock_guard lock(mutex_);
    return stats_;
}

std::vector<Finding> LifeWatch::TakeFindings() {
    std::lock_guard lock(mutex_);
    return std::move(findings_);
}

bool LifeWatch::Failed() {
    std::lock_guard lock(mutex_);
    return failed_;
}

void LifeWatch::Run() {
    Display* d = XOpenDisplay(nullptr);
    int damageEvent = 0, damageError = 0;
    if (!d || !XDamageQueryExtension(d, &damageEvent, &damageError)) {
        std::lock_guard lock(mutex_);
        failed_ = true;
        if (d) XCloseDisplay(d);
        return;
    }
    const Window window = window_;
    const Damage damage = XDamageCreate(d, window, XDamageReportNonEmpty);
    // The answer to a ping goes to the root window.
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    const Atom protocols = XInternAtom(d, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(d, "_NET_WM_PING", False);
    XSync(d, False);
    ready_ = true;

    double lastLife = Now(), lastProbe = 0;
    double processorAtLife = ProcessorSeconds(pid_);
    bool reported = false;
    while (!stop_) {
        pollfd fd{ConnectionNumber(d), POLLIN, 0};
        poll(&fd, 1, 50);
        bool repainted = false, answered = false;
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == damageEvent + XDamageNotify) {
                XDamageSubtract(d, damage, None, None);
                repainted = true;
            } else if (e.type == ClientMessage && e.xclient.message_type == protocols &&
                       static_cast<Atom>(e.xclient.data.l[0]) == ping &&
                       static_cast<Window>(e.xclient.data.l[2]) == window) {
                answered = true;
            }
        }
        const double now = Now();
        XWindowAttributes a{};
        const bool viewable = XGetWindowAttributes(d, window, &a) && a.map_state == IsViewable;
        // A window that cannot be seen has nothing to repaint; answering the window manager's
        // ping is its sign of life then.
        if (repainted || (answered && !viewable)) {
            std::lock_guard lock(mutex_);
            stats_.repaints += repainted;
            lastLife = now;
            processorAtLife = ProcessorSeconds(pid_);
            reported = false;
        }
        if (now - lastLife >= 1.0 && now - lastProbe >= 1.0) {
            lastProbe = now;
            // A synthetic expose asks the program to repaint without touching the window's
            // contents, so only the program's own drawing counts as damage.
            XEvent expose{};
            expose.xexpose.type = Expose;
            expose.xexpose.window = window;
            expose.xexpose.width = a.width > 0 ? a.width : 1;
            expose.xexpose.height = a.height > 0 ? a.height : 1;
            XSendEvent(d, window, False, ExposureMask, &expose);
            XEvent message{};
            message.xclient.type = ClientMessage;
            message.xclient.window = window;
            message.xclient.message_type = protocols;
            message.xclient.format = 32;
            message.xclient.data.l[0] = static_cast<long>(ping);
            message.xclient.data.l[1] = CurrentTime;
            message.xclient.data.l[2] = static_cast<long>(window);
            XSendEvent(d, window, False, NoEventMask, &message);
            XFlush(d);
            std::lock_guard lock(mutex_);
            ++stats_.probes;
            ++stats_.pings;
        }
        const double processor = ProcessorSeconds(pid_);
        if (processor < 0) break;  // the program has ended
        const QuietSpell spell{now - lastLife, processor - processorAtLife};
        std::lock_guard lock(mutex_);
        stats_.longestQuiet = std::max(stats_.longestQuiet, spell.seconds);
        if (!reported) {
            if (auto finding = JudgeQuiet(spell, limits_)) {
                findings_.push_back(*finding);
                reported = true;
            }
        }
    }
    XDamageDestroy(d, damage);
    XCloseDisplay(d);
}

}  // namespace monkey
