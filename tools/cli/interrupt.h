// Ctrl+C during work that may run for years (perft, solve): while a watch is alive, SIGINT
// only asks the work to stop, so the command can end with a word and its own exit code
// instead of dying mid-line. A second Ctrl+C kills at once, as usual.
#pragma once

#include <chrono>
#include <csignal>

namespace cli {

class InterruptWatch {
  public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // Set by the first SIGINT; the work polls it.
    static const volatile std::sig_atomic_t* Flag();
    static bool Requested() { return *Flag() != 0; }

  private:
#ifdef _WIN32
    void (*previous_)(int) = nullptr;  // Windows has only std::signal
#else
    struct sigaction previous_ {};
#endif
};

class Arguments;

// Says on stderr that the command was stopped and after how long; returns kExitInterrupted.
int ReportInterrupted(const Arguments& arguments, std::chrono::steady_clock::time_point start);

}  // namespace cli
