// The message queue: posting, sending, dispatching and the default window procedure, and the
// wait for the next message that the main loop and every modal loop share. Input is posted
// and never reaches a disabled window.
#include <algorithm>
#include <cstring>

#include "platform/desktop/core/core_internal.h"

namespace desktop {
namespace core {

namespace {

void CopyText(const std::string& text, char* buffer, int size, int& copied) {
    copied = 0;
    if (!buffer || size <= 0) return;
    copied = static_cast<int>(std::min<size_t>(text.size(), static_cast<size_t>(size - 1)));
    std::memcpy(buffer, text.data(), static_cast<size_t>(copied));
    buffer[copied] = '\0';
}

}  // namespace

void RemoveQueued(HWND hwnd, UINT message, WPARAM wParam, bool anyMessage) {
    auto& q = S().queue;
    q.erase(std::remove_if(q.begin(), q.end(),
                           [&](const MSG& m) {
                               return m.hwnd == hwnd &&
                                      (anyMessage || (m.message == message && m.wParam == wParam));
                           }),
            q.end());
}

bool PostInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = FindWindowRecord(hwnd);
    if (!w || !w->enabled) return false;
    return PostMessage(hwnd, message, wParam, lParam);
}

NextMessage WaitForMessage(MSG& m, const std::function<bool()>* done) {
    for (;;) {
        // A modal loop's answer may come from the backend's own event handling (a click on a
        // box's button) with no message queued at all, as at start-up before any timer runs:
        // it is looked at after every wait, not only when a message arrives.
        if (done && (*done)()) return NextMessage::Done;
        if (!S().queue.empty()) {
            m = S().queue.front();
            S().queue.pop_front();
            return NextMessage::Message;
        }
        if (S().quit) {
            S().quit = false;
            m = {nullptr, WM_QUIT, static_cast<WPARAM>(S().quitCode), 0, 0, {0, 0}};
            return NextMessage::Quit;
        }
        if (TheBackend().IdleMessage(m)) return NextMessage::Message;
        if (!TheBackend().WaitForEvents()) {
            m = {nullptr, WM_QUIT, 0, 0, 0, {0, 0}};
            return NextMessage::Quit;
        }
    }
}

bool QuitPosted() {
    return S().quit;
}

size_t QueueSize() {
    return S().queue.size();
}

bool TakeQueued(MSG& msg) {
    if (S().queue.empty()) return false;
    msg = S().queue.front();
    S().queue.pop_front();
    return true;
}

}  // namespace core

using core::FindWindowRecord;
using core::S;
using core::TheBackend;
using core::Window;

BOOL GetMessage(MSG* msg, HWND /*hwnd*/, UINT /*filterMin*/, UINT /*filterMax*/) {
    MSG local{};
    MSG& m = msg ? *msg : local;
    return core::WaitForMessage(m, nullptr) == core::NextMessage::Message ? TRUE : FALSE;
}

BOOL TranslateMessage(const MSG* msg) {
    return msg && msg->message == WM_KEYDOWN;
}

LRESULT DispatchMessage(const MSG* msg) {
    if (!msg) return 0;
    Window* w = FindWindowRecord(msg->hwnd);
    if (!w) return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, 0);
        return 0;
    }
    if (msg->message == WM_PAINT) {
        core::SendPaint(*w);
        return 0;
    }
    return SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void PostQuitMessage(int exitCode) {
    S().quit = true;
    S().quitCode = exitCode;
}

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd && !FindWindowRecord(hwnd)) return FALSE;
    S().queue.push_back({hwnd, message, wParam, lParam, 0, {0, 0}});
    return TRUE;
}

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = FindWindowRecord(hwnd);
    if (!w || !w->proc) return 0;
    return w->proc(hwnd, message, wParam, lParam);
}

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return 0;
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_SETTEXT:
            w->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
            TheBackend().TextChanged(*w);
            return TRUE;
        case WM_GETTEXT: {
            int copied = 0;
            core::CopyText(w->text, reinterpret_cast<char*>(lParam), static_cast<int>(wParam),
                           copied);
            return copied;
        }
        default:
            return 0;
    }
}

}  // namespace desktop
