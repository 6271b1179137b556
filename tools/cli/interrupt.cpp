// The SIGINT handler behind InterruptWatch. It does only what is safe in a handler: set the
// flag and give the next SIGINT back its default action.
#include "tools/cli/interrupt.h"

#include <cstdio>

#include "tools/cli/cli.h"

namespace cli {
namespace {

volatile std::sig_atomic_t gInterrupted = 0;

void OnInterrupt(int) {
    gInterrupted = 1;
    std::signal(SIGINT, SIG_DFL);
}

}  // namespace

#ifdef _WIN32
// The system runs the handler on a thread of its own when Ctrl+C is pressed.
InterruptWatch::InterruptWatch() {
    gInterrupted = 0;
    previous_ = std::signal(SIGINT, OnInterrupt);
}

InterruptWatch::~InterruptWatch() {
    std::signal(SIGINT, previous_ == SIG_ERR ? SIG_DFL : previous_);
}
#else
InterruptWatch::InterruptWatch() {
    gInterrupted = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous_);
}

InterruptWatch::~InterruptWatch() {
    sigaction(SIGINT, &previous_, nullptr);
}
#endif

const volatile std::sig_atomic_t* InterruptWatch::Flag() {
    return &gInterrupted;
}

int ReportInterrupted(const Arguments& arguments, std::chrono::steady_clock::time_point start) {
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::fprintf(stderr, "zantobel-cli %s: stopped by Ctrl+C after %.1f s, without a result\n",
                 arguments.command().name, elapsed.count());
    return kExitInterrupted;
}

}  // namespace cli
