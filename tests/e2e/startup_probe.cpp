// Measures a start of the game on the current display: the time from starting the program to
// its first painted frame (the scene's background colour appearing in the scene area, read
// straight from the X server every millisecond), and its resident memory at that moment and
// once it has settled. Prints one line: "first_frame_ms rss_at_frame_kb rss_settled_kb".
// Usage: startup_probe PROGRAM [SETTLE_SECONDS]
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

namespace {

constexpr unsigned long kBackground = 0x663F00;  // the scene's background colour

long ResidentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

// The game's top-level window: it carries its class name in a property.
Window FindGameWindow(Display* display, Window under, Atom property, int depth) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, under, &root, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0, remaining = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, children[i], property, 0, 64, False, AnyPropertyType, &type,
                               &format, &items, &remaining, &data) == Success &&
            data) {
            if (std::string(reinterpret_cast<char*>(data), items) == "ZANTOBEL")
                found = children[i];
            XFree(data);
        }
        if (!found && depth > 1) found = FindGameWindow(display, children[i], property, depth - 1);
    }
    if (children) XFree(children);
    return found;
}

int IgnoreErrors(Display*, XErrorEvent*) {
    return 0;  // the window may go while it is read
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_probe PROGRAM [SETTLE_SECONDS]\n");
        return 2;
    }
    const double settle = argc > 2 ? std::atof(argv[2]) : 2.0;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "startup_probe: no display\n");
        return 2;
    }
    XSetErrorHandler(IgnoreErrors);
    const Atom property = XInternAtom(display, "_ZANTOBEL_WINDOW_CLASS", False);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execl(argv[1], argv[1], static_cast<char*>(nullptr));
        _exit(127);
    }
    double frameMs = -1;
    long rssAtFrame = -1;
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) break;
        Window game = FindGameWindow(display, DefaultRootWindow(display), property, 3);
        XWindowAttributes attributes{};
        if (game && XGetWindowAttributes(display, game, &attributes) &&
            attributes.map_state == IsViewable && attributes.height > 60) {
            // Just below the menu bar, at the left: the scene's background at every start.
            XImage* image = XGetImage(display, game, 6, 40, 1, 1, AllPlanes, ZPixmap);
            const bool painted = image && (XGetPixel(image, 0, 0) & 0xFFFFFF) == kBackground;
            if (image) XDestroyImage(image);
            if (painted) {
                frameMs = std::chrono::duration<double, std::milli>(
                              std::chrono::steady_clock::now() - start)
                              .count();
                rssAtFrame = ResidentKb(pid);
                break;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(settle));
    const long rssSettled = ResidentKb(pid);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    XCloseDisplay(display);
    if (frameMs < 0) {
        std::fprintf(stderr, "startup_probe: no frame was painted\n");
        return 1;
    }
    std::printf("%.1f %ld %ld\n", frameMs, rssAtFrame, rssSettled);
    return 0;
}
