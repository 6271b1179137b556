// The status bar of the common controls: its parts with their right edges, texts, draw
// types and icons, its minimum height, and its place along the bottom of the parent's client
// area, taken again at every WM_SIZE of the parent. The backend draws it.
#include <algorithm>
#include <cstring>

#include "platform/desktop/core/core_internal.h"

namespace desktop {
namespace core {

namespace {

// The status bar's text line when no minimum height asks for more, and its border.
constexpr int kStatusBarTextHeight = 18;
constexpr int kStatusBarBorder = 1;

void LayOutStatusBar(Window& bar) {
    Window* parent = FindWindowRecord(bar.parent);
    if (!parent) return;
    int height = std::max(bar.statusBar->minHeight, kStatusBarTextHeight) + 2 * kStatusBarBorder;
    bar.rect = {0, parent->clientHeight - height, parent->clientWidth, parent->clientHeight};
    TheBackend().MoveNative(bar);
}

LRESULT StatusBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = FindWindowRecord(hwnd);
    if (!w || !w->statusBar) return DefWindowProc(hwnd, message, wParam, lParam);
    StatusBar& bar = *w->statusBar;
    switch (message) {
        case SB_SETPARTS: {
            const int* edges = reinterpret_cast<const int*>(lParam);
            if (wParam == 0 || wParam > 256 || !edges) return FALSE;
            bar.parts.resize(wParam);
            for (size_t i = 0; i < wParam; ++i)
                bar.parts[i].rightEdge = edges[i];
            TheBackend().StatusBarChanged(*w);
            return TRUE;
        }
        case SB_GETPARTS: {
            int* edges = reinterpret_cast<int*>(lParam);
            for (size_t i = 0; edges && i < std::min<size_t>(wParam, bar.parts.size()); ++i)
                edges[i] = bar.parts[i].rightEdge;
            return static_cast<LRESULT>(bar.parts.size());
        }
        case SB_SETTEXT: {
            size_t part = wParam & 0xFF;
            if (part >= bar.parts.size()) return FALSE;
            const char* text = reinterpret_cast<const char*>(lParam);
            bar.parts[part].text = text ? text : "";
            bar.parts[part].drawType = wParam & 0xFF00;
            TheBackend().StatusBarChanged(*w);
            return TRUE;
        }
        case SB_GETTEXT:
        case SB_GETTEXTLENGTH: {
            if (wParam >= bar.parts.size()) return 0;
            const StatusBarPart& p = bar.parts[wParam];
            if (message == SB_GETTEXT && lParam) {
                char* out = reinterpret_cast<char*>(lParam);
                std::memcpy(out, p.text.c_str(), p.text.size() + 1);
            }
            return static_cast<LRESULT>(
                MAKELPARAM(static_cast<int>(p.text.size()), static_cast<int>(p.drawType)));
        }
        case SB_SETICON:
            if (wParam >= bar.parts.size()) return FALSE;
            bar.parts[wParam].icon = reinterpret_cast<HICON>(lParam);
            TheBackend().StatusBarChanged(*w);
            return TRUE;
        case SB_GETICON:
            if (wParam >= bar.parts.size()) return 0;
            return reinterpret_cast<LRESULT>(bar.parts[wParam].icon);
        case SB_SETMINHEIGHT:
            bar.minHeight = static_cast<int>(std::min<WPARAM>(wParam, 4096));
            return 0;
        case WM_SIZE:
            LayOutStatusBar(*w);
            return 0;
        case WM_SETTEXT:
            bar.parts[0].text = lParam ? reinterpret_cast<const char*>(lParam) : "";
            TheBackend().StatusBarChanged(*w);
            return TRUE;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

}  // namespace

}  // namespace core

using core::S;

void InitCommonControls() {
    core::EnsureBuiltins();
    if (S().commonControls) return;
    S().commonControls = true;
    core::RegisterBuiltin(STATUSCLASSNAME, core::StatusBarProc);
}

}  // namespace desktop
