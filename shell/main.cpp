// The game's executable: the window and everything in it. No argument, file, setting or
// environment variable is read; the exit code is that of the quit message, 0.
#include <cstdio>

#include "platform/retained/d3drm.h"
#include "shell/main_window.h"

int main() {
    const int code =
        WinMain(desktop::GetModuleHandle(nullptr), nullptr, "", desktop::SW_SHOWDEFAULT);
    // Every retained object goes with the window; one that outlives it is a leak worth saying.
    if (const long alive = retained::LiveObjectCount()) {
        std::fprintf(stderr, "zantobel: %ld retained objects still alive at exit\n", alive);
    }
    return code;
}
