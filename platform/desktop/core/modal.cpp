// Modal loops and owner disabling: dialogs and message boxes run a nested loop that keeps
// delivering the owner's timer ticks, and keep their owner disabled until the last of them
// closes; the loop returns as soon as its answer is in.
#include "platform/desktop/core/core_internal.h"

namespace desktop {
namespace core {

// Owner disabling for modal dialogs and boxes: the owner is disabled while at least one is
// open, so nested dialogs keep it disabled until the last closes.
void HoldOwner(HWND owner) {
    Window* w = FindWindowRecord(owner);
    if (!w) return;
    if (w->modalDepth++ == 0) EnableWindow(owner, FALSE);
}
void ReleaseOwner(HWND owner) {
    Window* w = FindWindowRecord(owner);
    if (!w || w->modalDepth == 0) return;
    if (--w->modalDepth == 0) EnableWindow(owner, TRUE);
}

bool RunModalLoop(const std::function<bool()>& done) {
    MSG msg{};
    for (;;) {
        switch (WaitForMessage(msg, &done)) {
            case NextMessage::Done:
                return true;
            case NextMessage::Quit:
                PostQuitMessage(static_cast<int>(msg.wParam));
                return false;
            case NextMessage::Message:
                TranslateMessage(&msg);
                DispatchMessage(&msg);
                break;
        }
    }
}

}  // namespace core

using core::FindWindowRecord;
using core::TheBackend;

int MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    if (owner && !FindWindowRecord(owner)) owner = nullptr;
    core::MessageBoxRequest request{owner, text ? text : "", caption ? caption : "Error", type};
    core::HoldOwner(owner);
    int result = TheBackend().RunMessageBox(request);
    core::ReleaseOwner(owner);
    return result;
}

}  // namespace desktop
