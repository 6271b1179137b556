// Finding a top-level window by class and title, which the program uses to find a copy of
// itself already running: our own windows first, then the backend's look at the display for
// another program's.
#include "platform/desktop/core/core_internal.h"

namespace desktop {

using core::FindWindowRecord;
using core::S;
using core::TheBackend;
using core::Window;

HWND FindWindow(const char* className, const char* windowName) {
    for (HWND h : S().order) {
        Window* w = FindWindowRecord(h);
        if (!w || !core::IsTopLevel(*w) || w->destroying) continue;
        if (className && core::Lower(w->className) != core::Lower(core::NameText(className)))
            continue;
        if (windowName && w->text != windowName) continue;
        return h;
    }
    return TheBackend().FindForeignWindow(className, windowName);
}

}  // namespace desktop
