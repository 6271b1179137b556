// Window classes (the program's and the built-in button, static, edit and dialog classes),
// creating and destroying windows with their tree of children and owned dialogs, showing,
// enabling and window texts. CreateWindowEx delivers WM_CREATE at the real client size, then
// WM_SIZE; destroying a window ends its timers, queued messages and owned dialogs first.
#include <algorithm>

#include "platform/desktop/core/core_internal.h"

namespace desktop {
namespace core {

void RegisterBuiltin(const char* name, WNDPROC proc) {
    WindowClass c;
    c.name = name;
    c.proc = proc;
    c.atom = S().nextAtom++;
    S().classes[Lower(name)] = c;
}

void EnsureBuiltins() {
    if (S().classes.count("button")) return;
    RegisterBuiltin("Button", ButtonProc);
    RegisterBuiltin("Static", DefWindowProc);
    RegisterBuiltin("Edit", DefWindowProc);
    RegisterBuiltin(kDialogClass, DialogWindowProc);
}

}  // namespace core

using core::FindWindowRecord;
using core::S;
using core::TheBackend;
using core::Window;

HINSTANCE GetModuleHandle(const char* /*moduleName*/) {
    return reinterpret_cast<HINSTANCE>(uintptr_t{0x400000});
}

ATOM RegisterClass(const WNDCLASS* wc) {
    core::EnsureBuiltins();
    if (!wc || !wc->lpfnWndProc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) ||
        !*wc->lpszClassName)
        return 0;
    std::string key = core::Lower(wc->lpszClassName);
    if (S().classes.count(key)) return 0;
    core::WindowClass c;
    c.name = wc->lpszClassName;
    c.style = wc->style;
    c.proc = wc->lpfnWndProc;
    c.icon = wc->hIcon;
    c.cursor = wc->hCursor;
    c.background = wc->hbrBackground;
    c.hasMenu = wc->lpszMenuName != nullptr;
    c.menuName = core::NameText(wc->lpszMenuName);
    c.atom = S().nextAtom++;
    S().classes[key] = c;
    return c.atom;
}

HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU menu,
                    HINSTANCE instance, void* param) {
    core::EnsureBuiltins();
    core::WindowClass* c = core::FindClass(className);
    if (!c) return nullptr;
    Window* parentWindow = FindWindowRecord(parent);
    if ((style & WS_CHILD) && !parentWindow) return nullptr;
    auto window = std::make_unique<Window>();
    Window& w = *window;
    w.className = c->name;
    w.proc = c->proc;
    w.classStyle = c->style;
    w.background = c->background;
    w.icon = c->icon;
    w.text = windowName ? windowName : "";
    w.style = style & ~WS_VISIBLE;
    w.exStyle = exStyle;
    if (style & WS_CHILD) {
        w.parent = parent;
        w.id = static_cast<int>(reinterpret_cast<intptr_t>(menu));
    } else {
        w.owner = parentWindow ? parent : nullptr;
    }
    int left = x == CW_USEDEFAULT ? 0 : x, top = y == CW_USEDEFAULT ? 0 : y;
    int cx = width == CW_USEDEFAULT ? 640 : std::max(width, 0);
    int cy = height == CW_USEDEFAULT ? 480 : std::max(height, 0);
    w.rect = {left, top, left + cx, top + cy};
    if (core::Lower(c->name) == core::Lower(STATUSCLASSNAME))
        w.statusBar = std::make_unique<core::StatusBar>();
    HWND hwnd = core::NewWindow(std::move(window));
    Window* self = FindWindowRecord(hwnd);
    if (!(style & WS_CHILD)) {
        HMENU bar = menu;
        if (!bar && c->hasMenu) bar = LoadMenu(instance, c->menuName.c_str());
        if (bar && S().menus.count(bar)) {
            self->menu = bar;
            S().menus[bar]->owner = hwnd;
        }
    }
    if (parentWindow) parentWindow->children.push_back(hwnd);
    if (!TheBackend().CreateNative(*self)) {
        if (self->menu) core::DestroyMenuTree(self->menu);
        if (parentWindow) parentWindow->children.pop_back();
        S().order.pop_back();
        S().windows.erase(hwnd);
        return nullptr;
    }

    CREATESTRUCT cs{
        param,      instance,  menu,   parent, cy, cx, top, left, static_cast<LONG>(style),
        windowName, className, exStyle};
    if (SendMessage(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    self = FindWindowRecord(hwnd);
    if (!self) return nullptr;  // destroyed by its own create handling
    SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(self->clientWidth, self->clientHeight));
    if ((style & WS_VISIBLE) && FindWindowRecord(hwnd)) ShowWindow(hwnd, SW_SHOW);
    return FindWindowRecord(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    if (w->destroying) return TRUE;
    w->destroying = true;
    // Dialogs owned by this window go first, as the platform destroys owned windows.
    for (HWND h : std::vector<HWND>(S().order))
        if (Window* o = FindWindowRecord(h); o && o->owner == hwnd && o != w) {
            if (o->isDialog && !o->dialogEnded) EndDialog(h, 0);
            DestroyWindow(h);
        }
    for (auto& [id, timer] : w->timers)
        TheBackend().TimerChanged(*w, id, nullptr);
    w->timers.clear();
    core::RemoveQueued(hwnd, 0, 0, true);
    if (w->visible) {
        w->visible = false;
        TheBackend().ShowNative(*w, SW_HIDE);
    }
    SendMessage(hwnd, WM_DESTROY, 0, 0);
    w = FindWindowRecord(hwnd);
    for (HWND child : std::vector<HWND>(w->children))
        DestroyWindow(child);
    if (Window* parent = FindWindowRecord(w->parent)) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
    }
    TheBackend().DestroyNative(*w);
    if (w->menu) core::DestroyMenuTree(w->menu);
    for (auto it = S().dcs.begin(); it != S().dcs.end();)
        it = it->second.hwnd == hwnd ? S().dcs.erase(it) : std::next(it);
    S().order.erase(std::remove(S().order.begin(), S().order.end(), hwnd), S().order.end());
    S().windows.erase(hwnd);
    return TRUE;
}

BOOL IsWindow(HWND hwnd) {
    return FindWindowRecord(hwnd) != nullptr;
}

BOOL ShowWindow(HWND hwnd, int command) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    BOOL wasVisible = w->visible;
    w->visible = command != SW_HIDE;
    bool first = w->visible && !w->shownOnce;
    if (w->visible) w->shownOnce = true;
    TheBackend().ShowNative(*w, command);
    if (first && FindWindowRecord(hwnd) && core::IsTopLevel(*w))
        InvalidateRect(hwnd, nullptr, TRUE);
    return wasVisible;
}

BOOL IsWindowVisible(HWND hwnd) {
    Window* w = FindWindowRecord(hwnd);
    return w && w->visible;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    BOOL wasDisabled = !w->enabled;
    if (w->enabled != (enable != FALSE)) {
        w->enabled = enable != FALSE;
        TheBackend().EnableChanged(*w);
        SendMessage(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    }
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
    Window* w = FindWindowRecord(hwnd);
    return w && w->enabled;
}

HWND GetParent(HWND hwnd) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return nullptr;
    return w->parent ? w->parent : w->owner;
}

BOOL SetWindowText(HWND hwnd, const char* text) {
    return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0;
}

int GetWindowText(HWND hwnd, char* buffer, int size) {
    return static_cast<int>(SendMessage(hwnd, WM_GETTEXT, static_cast<WPARAM>(std::max(size, 0)),
                                        reinterpret_cast<LPARAM>(buffer)));
}

}  // namespace desktop
