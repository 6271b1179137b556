// The game program from start to end on Windows: as on Linux, without opening a display (the
// system's desktop is always there). WinMain runs, and whatever the start-up could not make
// is named on stderr with a non-zero exit code.
#include <cstdio>

#include "platform/retained/d3drm.h"
#include "shell/main_window.h"
#include "shell/program.h"
#include "shell/shell_state.h"

int RunZantobel() {
    const int code =
        WinMain(desktop::GetModuleHandle(nullptr), nullptr, "", desktop::SW_SHOWDEFAULT);
    // After a failed start the loop ends on the quit request with the window still there; it
    // goes now, so everything it holds is released.
    if (gShell.mainWindow && desktop::IsWindow(gShell.mainWindow)) {
        desktop::DestroyWindow(gShell.mainWindow);
    }
    if (gShell.startupFailure) std::fprintf(stderr, "zantobel: %s\n", gShell.startupFailure);
    if (const long alive = retained::LiveObjectCount()) {
        std::fprintf(stderr, "zantobel: %ld retained objects still alive at exit\n", alive);
    }
    return gShell.startupFailure && code == 0 ? kExitStartupFailed : code;
}
