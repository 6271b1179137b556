// The game program from start to end: window system, WinMain, the report of a failed start
// and of retained objects that outlived the window.
#include "shell/program.h"

#include <cstdio>
#include <string>

#include "platform/desktop/gtk/display.h"
#include "platform/retained/d3drm.h"
#include "shell/main_window.h"
#include "shell/shell_state.h"

int RunZantobel() {
    std::string why;
    if (!desktop::gtk::OpenDisplay(why)) {
        std::fprintf(stderr, "zantobel: no display: %s\n", why.c_str());
        return kExitStartupFailed;
    }
    const int code =
        WinMain(desktop::GetModuleHandle(nullptr), nullptr, "", desktop::SW_SHOWDEFAULT);
    // After a failed start the loop ends on the quit request with the window still there; it
    // goes now, so everything it holds is released.
    if (gShell.mainWindow && desktop::IsWindow(gShell.mainWindow)) {
        desktop::DestroyWindow(gShell.mainWindow);
    }
    if (gShell.startupFailure) std::fprintf(stderr, "zantobel: %s\n", gShell.startupFailure);
    // Every retained object goes with the window; one that outlives it is a leak worth saying.
    if (const long alive = retained::LiveObjectCount()) {
        std::fprintf(stderr, "zantobel: %ld retained objects still alive at exit\n", alive);
    }
    return gShell.startupFailure && code == 0 ? kExitStartupFailed : code;
}
