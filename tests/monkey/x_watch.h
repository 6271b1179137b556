// The X side of a monkey run. XWindows lists the top-level windows the window manager knows
// (title, owner process, minimised or not). LifeWatch, on a thread and a connection of its
// own, counts the program's repaints as X damage on its window, asks for a repaint when the
// window has been quiet for a second, and reports quiet spells that the rules call a hang.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/monkey/verdict.h"

typedef struct _XDisplay Display;

namespace monkey {

struct ClientWindow {
    unsigned long id = 0;
    std::string title;
    long pid = -1;
    bool minimised = false;
};

class XWindows {
  public:
    XWindows();
    ~XWindows();
    bool Ok() const { return display_ != nullptr; }
    std::vector<ClientWindow> List();
    std::optional<ClientWindow> Find(const std::string& title, pid_t pid = -1);
    // The window the window manager has made active (0 for none).
    unsigned long Active();
    // The window's size without the window manager's frame; false when it is gone.
    bool Size(unsigned long window, int& width, int& height);

  private:
    Display* display_ = nullptr;
};

class LifeWatch {
  public:
    struct Stats {
        long repaints = 0;
        long probes = 0;
        long pings = 0;
        double longestQuiet = 0;
    };

    ~LifeWatch() { Stop(); }
    bool Start(unsigned long window, pid_t pid, const QuietLimits& limits);
    void Stop();
    Stats Current();
    std::vector<Finding> TakeFindings();
    bool Failed();

  private:
    void Run();

    unsigned long window_ = 0;
    pid_t pid_ = -1;
    QuietLimits limits_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> ready_{false};
    std::mutex mutex_;
    Stats stats_;
    std::vector<Finding> findings_;
    bool failed_ = false;
};

}  // namespace monkey
