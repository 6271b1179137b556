// The shared window manager: every desktop call that does not need the screen is answered
// here, the same way for both backends; the backend hooks add the native side.
#include "platform/desktop/core/core.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/resources/resource_table.h"

namespace desktop {
namespace core {
namespace {

struct WindowClass {
    std::string name;
    UINT style = 0;
    WNDPROC proc = nullptr;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    std::string menuName;
    bool hasMenu = false;
    ATOM atom = 0;
};

struct DcInfo {
    HWND hwnd;
    bool paint;
};

// The status bar's text line when no minimum height asks for more, and its border.
constexpr int kStatusBarTextHeight = 18;
constexpr int kStatusBarBorder = 1;
constexpr const char* kDialogClass = "#32770";

struct State {
    std::map<std::string, WindowClass> classes;  // by lower-case name
    ATOM nextAtom = 0xC000;
    bool commonControls = false;
    std::map<HWND, std::unique_ptr<Window>> windows;
    std::vector<HWND> order;
    uintptr_t nextHandle = 0x1000;
    std::map<HMENU, std::unique_ptr<Menu>> menus;
    std::map<HMENU, HMENU> menuRoot;
    std::map<HICON, std::unique_ptr<Icon>> icons;
    std::map<std::string, HICON> sharedIcons;
    std::map<HDC, DcInfo> dcs;
    std::deque<MSG> queue;
    bool quit = false;
    int quitCode = 0;
    uint64_t unvalidatedPaints = 0;
};

State& S() {
    static State state;
    return state;
}

template <typename Handle>
Handle NewHandle() {
    S().nextHandle += 4;
    return reinterpret_cast<Handle>(S().nextHandle);
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

WindowClass* FindClass(const char* name) {
    if (!name || IS_INTRESOURCE(name)) return nullptr;
    auto it = S().classes.find(Lower(name));
    return it == S().classes.end() ? nullptr : &it->second;
}

resources::ResourceKey KeyOf(const char* name) {
    if (IS_INTRESOURCE(name))
        return resources::ResourceKey::Id(static_cast<uint16_t>(reinterpret_cast<UINT_PTR>(name)));
    return resources::ResourceKey::Name(name);
}

std::string NameText(const char* name) {
    if (!name) return "";
    if (IS_INTRESOURCE(name)) {
        // Appended, not `"#" + ...`: GCC 12 at -O3 warns falsely (-Wrestrict) on that.
        std::string text = "#";
        text += std::to_string(reinterpret_cast<UINT_PTR>(name));
        return text;
    }
    return name;
}

bool IsTopLevel(const Window& w) {
    return !(w.style & WS_CHILD);
}

void CopyText(const std::string& text, char* buffer, int size, int& copied) {
    copied = 0;
    if (!buffer || size <= 0) return;
    copied = static_cast<int>(std::min<size_t>(text.size(), static_cast<size_t>(size - 1)));
    std::memcpy(buffer, text.data(), static_cast<size_t>(copied));
    buffer[copied] = '\0';
}

void RemoveQueued(HWND hwnd, UINT message, WPARAM wParam, bool anyMessage) {
    auto& q = S().queue;
    q.erase(std::remove_if(q.begin(), q.end(),
                           [&](const MSG& m) {
                               return m.hwnd == hwnd &&
                                      (anyMessage || (m.message == message && m.wParam == wParam));
                           }),
            q.end());
}

// --- Menus ---

HMENU BuildMenu(const std::vector<MenuTemplateItem>& items, HMENU root) {
    auto menu = std::make_unique<Menu>();
    HMENU handle = NewHandle<HMENU>();
    menu->handle = handle;
    if (!root) root = handle;
    for (const MenuTemplateItem& t : items) {
        MenuItem item;
        item.id = t.id;
        item.text = t.text;
        item.separator = t.separator;
        item.state = t.flags & (MF_CHECKED | MF_GRAYED | MF_DISABLED);
        if (t.flags & kMenuPopup) item.popup = BuildMenu(t.children, root);
        menu->items.push_back(std::move(item));
    }
    S().menuRoot[handle] = root;
    S().menus[handle] = std::move(menu);
    return handle;
}

void DestroyMenuTree(HMENU handle) {
    auto it = S().menus.find(handle);
    if (it == S().menus.end()) return;
    std::vector<HMENU> popups;
    for (const MenuItem& item : it->second->items)
        if (item.popup) popups.push_back(item.popup);
    S().menus.erase(it);
    S().menuRoot.erase(handle);
    for (HMENU popup : popups)
        DestroyMenuTree(popup);
}

// The menu and index of the item `item` (a command id searched through submenus, or a position).
bool LocateItem(HMENU handle, UINT item, UINT flags, Menu*& menu, size_t& index) {
    auto it = S().menus.find(handle);
    if (it == S().menus.end()) return false;
    Menu& m = *it->second;
    if (flags & MF_BYPOSITION) {
        if (item >= m.items.size()) return false;
        menu = &m;
        index = item;
        return true;
    }
    for (size_t i = 0; i < m.items.size(); ++i) {
        if (!m.items[i].popup && !m.items[i].separator && m.items[i].id == item) {
            menu = &m;
            index = i;
            return true;
        }
        if (m.items[i].popup && LocateItem(m.items[i].popup, item, flags, menu, index)) return true;
    }
    return false;
}

void NotifyMenuChanged(HMENU handle) {
    auto root = S().menuRoot.find(handle);
    if (root == S().menuRoot.end()) return;
    const Menu* top = FindMenu(root->second);
    if (!top || !top->owner) return;
    if (Window* owner = FindWindowRecord(top->owner)) TheBackend().MenuChanged(*owner);
}

// --- Built-in window classes ---

LRESULT StatusBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DialogWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

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

LRESULT ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return 0;
    switch (message) {
        case BM_GETCHECK:
            return w->check;
        case BM_SETCHECK:
            if (w->check != wParam && wParam <= BST_INDETERMINATE) {
                w->check = static_cast<UINT>(wParam);
                TheBackend().CheckChanged(*w);
            }
            return 0;
        case BM_CLICK:
            ControlClicked(hwnd);
            return 0;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

LRESULT DialogWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return 0;
    INT_PTR handled = w->dialogProc ? w->dialogProc(hwnd, message, wParam, lParam) : 0;
    if (handled) return handled;
    if (message == WM_CLOSE) {
        // The close box of a dialog is a cancel, never a destroy; a close request that arrives
        // after the dialog ended (queued behind its OK) has nothing left to cancel.
        w = FindWindowRecord(hwnd);
        if (w && !w->dialogEnded)
            SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return 0;
    }
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_PAINT || message == WM_SETTEXT || message == WM_GETTEXT)
        return DefWindowProc(hwnd, message, wParam, lParam);
    return 0;
}

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

void SendPaint(Window& w) {
    HWND hwnd = w.handle;
    ++w.paintCount;
    SendMessage(hwnd, WM_PAINT, 0, 0);
    Window* after = FindWindowRecord(hwnd);
    if (after && after->hasUpdate) {
        ++S().unvalidatedPaints;
        after->hasUpdate = false;
        after->erase = false;
    }
}

std::shared_ptr<DialogTemplate> LoadDialogTemplate(const char* name) {
    auto bytes =
        resources::LoadResourceBytes(KeyOf(name), resources::ResourceKey::Id(resources::RT_DIALOG));
    if (bytes.empty()) return nullptr;
    auto dialog = std::make_shared<DialogTemplate>();
    std::string error;
    if (!ReadDialogTemplate(bytes, *dialog, error)) return nullptr;
    return dialog;
}

HWND NewWindow(std::unique_ptr<Window> window) {
    HWND handle = NewHandle<HWND>();
    window->handle = handle;
    S().order.push_back(handle);
    S().windows[handle] = std::move(window);
    return handle;
}

}  // namespace

// --- Access for backends and tests ---

Window* FindWindowRecord(HWND hwnd) {
    auto it = S().windows.find(hwnd);
    return it == S().windows.end() ? nullptr : it->second.get();
}

Window* FindWindowByClass(const std::string& className) {
    for (HWND h : S().order)
        if (Window* w = FindWindowRecord(h); w && Lower(w->className) == Lower(className)) return w;
    return nullptr;
}

const Menu* FindMenu(HMENU menu) {
    auto it = S().menus.find(menu);
    return it == S().menus.end() ? nullptr : it->second.get();
}

const Icon* FindIcon(HICON icon) {
    auto it = S().icons.find(icon);
    return it == S().icons.end() ? nullptr : it->second.get();
}

std::vector<HWND> AllWindows() {
    return S().order;
}

bool PostInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = FindWindowRecord(hwnd);
    if (!w || !w->enabled) return false;
    return PostMessage(hwnd, message, wParam, lParam);
}

void TimerElapsed(HWND hwnd, UINT_PTR id, uint64_t serial) {
    Window* w = FindWindowRecord(hwnd);
    if (!w || w->destroying) return;
    auto it = w->timers.find(id);
    if (it == w->timers.end() || it->second.serial != serial) return;
    for (const MSG& m : S().queue)
        if (m.hwnd == hwnd && m.message == WM_TIMER && m.wParam == id) return;
    S().queue.push_back({hwnd, WM_TIMER, id, 0, 0, {0, 0}});
}

void PaintNow(HWND hwnd) {
    Window* w = FindWindowRecord(hwnd);
    if (!w || w->destroying) return;
    w->hasUpdate = true;
    w->update = {0, 0, w->clientWidth, w->clientHeight};
    SendPaint(*w);
}

// What a size change leaves to repaint: the whole client area when the class asks for a
// redraw on a change of that dimension (the picture was drawn for the old size), otherwise
// only the strips the window gained.
void InvalidateAfterSize(Window& w, int oldWidth, int oldHeight) {
    const bool widthChanged = oldWidth != w.clientWidth;
    const bool heightChanged = oldHeight != w.clientHeight;
    if ((widthChanged && (w.classStyle & CS_HREDRAW)) ||
        (heightChanged && (w.classStyle & CS_VREDRAW))) {
        InvalidateRect(w.handle, nullptr, TRUE);
        return;
    }
    const HWND hwnd = w.handle;
    const int width = w.clientWidth, height = w.clientHeight;
    if (width > oldWidth) {
        RECT gained{std::max(oldWidth, 0), 0, width, height};
        InvalidateRect(hwnd, &gained, TRUE);
    }
    if (height > oldHeight && FindWindowRecord(hwnd)) {
        RECT gained{0, std::max(oldHeight, 0), width, height};
        InvalidateRect(hwnd, &gained, TRUE);
    }
}

void ClientSizeChanged(HWND hwnd, int width, int height, WPARAM kind) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return;
    const int oldWidth = w->clientWidth, oldHeight = w->clientHeight;
    bool changed = oldWidth != width || oldHeight != height;
    w->clientWidth = width;
    w->clientHeight = height;
    // The platform marks the area to repaint before the window hears of its new size, so a
    // size handler that paints at once (UpdateWindow) already paints everything.
    if (changed && kind != SIZE_MINIMIZED) InvalidateAfterSize(*w, oldWidth, oldHeight);
    if (!FindWindowRecord(hwnd)) return;
    if (changed || kind == SIZE_MINIMIZED)
        SendMessage(hwnd, WM_SIZE, kind, MAKELPARAM(width, height));
}

void ControlClicked(HWND control) {
    Window* c = FindWindowRecord(control);
    if (!c || !c->enabled) return;
    Window* dialog = FindWindowRecord(c->parent);
    if (!dialog) return;
    if (Lower(c->className) == "button") {
        DWORD kind = c->style & BS_TYPEMASK;
        if (kind == BS_AUTOCHECKBOX) {
            SendMessage(control, BM_SETCHECK, c->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED,
                        0);
        } else if (kind == BS_AUTO3STATE) {
            SendMessage(control, BM_SETCHECK, (c->check + 1) % 3, 0);
        } else if (kind == BS_AUTORADIOBUTTON) {
            // The group runs from the control with WS_GROUP at or before this one to the next.
            const std::vector<HWND>& siblings = dialog->children;
            auto self = std::find(siblings.begin(), siblings.end(), control);
            auto first = self;
            while (first != siblings.begin()) {
                Window* s = FindWindowRecord(*first);
                if (s && (s->style & WS_GROUP)) break;
                --first;
            }
            for (auto it = first; it != siblings.end(); ++it) {
                Window* s = FindWindowRecord(*it);
                if (!s) continue;
                if (it != first && (s->style & WS_GROUP)) break;
                if (Lower(s->className) == "button" &&
                    (s->style & BS_TYPEMASK) == BS_AUTORADIOBUTTON)
                    SendMessage(*it, BM_SETCHECK, *it == control ? BST_CHECKED : BST_UNCHECKED, 0);
            }
        }
    }
    SendMessage(dialog->handle, WM_COMMAND, MAKEWPARAM(c->id, BN_CLICKED),
                reinterpret_cast<LPARAM>(control));
}

void ControlCheckSet(HWND control, UINT check) {
    if (Window* c = FindWindowRecord(control)) c->check = check;
}

void DialogCancelled(HWND dialog) {
    Window* d = FindWindowRecord(dialog);
    if (!d || !d->isDialog || d->dialogEnded || !d->enabled) return;
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void DialogCloseBox(HWND dialog) {
    Window* d = FindWindowRecord(dialog);
    if (!d || !d->isDialog || d->dialogEnded || !d->enabled) return;
    SendMessage(dialog, WM_CLOSE, 0, 0);
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

uint64_t UnvalidatedPaints() {
    return S().unvalidatedPaints;
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

int OpenDeviceContextCount() {
    int count = 0;
    for (const auto& [dc, info] : S().dcs)
        count += info.paint ? 0 : 1;
    return count;
}

void ResetForTesting() {
    // Destroy top-level windows first so backends see their natives go.
    std::vector<HWND> order = S().order;
    for (HWND h : order)
        if (Window* w = FindWindowRecord(h); w && IsTopLevel(*w)) DestroyWindow(h);
    S() = State{};
}

int FixedSystemMetric(int index) {
    switch (index) {
        case SM_CXEDGE:
        case SM_CYEDGE:
            return 2;
        case SM_CXICON:
        case SM_CYICON:
            return 32;
        case SM_CXSMICON:
        case SM_CYSMICON:
            return 16;
        default:
            return 0;
    }
}

}  // namespace core

using core::FindWindowRecord;
using core::S;
using core::TheBackend;
using core::Window;

// --- Classes and windows ---

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

void InitCommonControls() {
    core::EnsureBuiltins();
    if (S().commonControls) return;
    S().commonControls = true;
    core::RegisterBuiltin(STATUSCLASSNAME, core::StatusBarProc);
}

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

BOOL UpdateWindow(HWND hwnd) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    if (w->hasUpdate && w->visible) core::SendPaint(*w);
    return TRUE;
}

BOOL IsIconic(HWND hwnd) {
    Window* w = FindWindowRecord(hwnd);
    return w && w->iconic;
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

BOOL GetClientRect(HWND hwnd, RECT* rect) {
    Window* w = FindWindowRecord(hwnd);
    if (!w || !rect) return FALSE;
    *rect = {0, 0, w->clientWidth, w->clientHeight};
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
    Window* w = FindWindowRecord(hwnd);
    if (!w || !rect) return FALSE;
    *rect = w->rect;
    if (Window* parent = FindWindowRecord(w->parent)) {
        POINT origin = TheBackend().ClientOrigin(*parent);
        rect->left += origin.x;
        rect->right += origin.x;
        rect->top += origin.y;
        rect->bottom += origin.y;
    }
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    w->rect = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
    TheBackend().MoveNative(*w);
    if (repaint && FindWindowRecord(hwnd)) InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
    Window* w = FindWindowRecord(hwnd);
    if (!w || !point) return FALSE;
    POINT origin = TheBackend().ClientOrigin(*w);
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
    Window* w = FindWindowRecord(hwnd);
    if (!w || !point) return FALSE;
    POINT origin = TheBackend().ClientOrigin(*w);
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

BOOL GetCursorPos(POINT* point) {
    if (!point) return FALSE;
    *point = TheBackend().CursorPos();
    return TRUE;
}

int GetSystemMetrics(int index) {
    return TheBackend().SystemMetric(index);
}

// --- Messages ---

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

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC /*proc*/) {
    Window* w = FindWindowRecord(hwnd);
    if (!w || w->destroying) return 0;
    core::Timer& timer = w->timers[id];
    timer.elapse = std::max<UINT>(elapse, 10);
    timer.serial = S().nextHandle++;
    TheBackend().TimerChanged(*w, id, &timer);
    return id ? id : 1;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    if (!w->timers.erase(id)) return FALSE;
    TheBackend().TimerChanged(*w, id, nullptr);
    core::RemoveQueued(hwnd, WM_TIMER, id, false);
    return TRUE;
}

// --- Painting ---

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    RECT r = rect ? *rect : RECT{0, 0, w->clientWidth, w->clientHeight};
    r.left = std::max<LONG>(r.left, 0);
    r.top = std::max<LONG>(r.top, 0);
    r.right = std::min<LONG>(r.right, w->clientWidth);
    r.bottom = std::min<LONG>(r.bottom, w->clientHeight);
    if (r.left >= r.right || r.top >= r.bottom) return TRUE;
    if (w->hasUpdate) {
        w->update = {std::min(w->update.left, r.left), std::min(w->update.top, r.top),
                     std::max(w->update.right, r.right), std::max(w->update.bottom, r.bottom)};
    } else {
        w->update = r;
        w->hasUpdate = true;
    }
    w->erase = w->erase || erase;
    TheBackend().Invalidated(*w, rect, erase);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* /*rect*/) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    w->hasUpdate = false;
    w->erase = false;
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL /*erase*/) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    if (rect) *rect = w->hasUpdate ? w->update : RECT{0, 0, 0, 0};
    return w->hasUpdate;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
    Window* w = FindWindowRecord(hwnd);
    if (!w || !ps) return nullptr;
    HDC dc = core::NewHandle<HDC>();
    S().dcs[dc] = {hwnd, true};
    *ps = PAINTSTRUCT{};
    ps->hdc = dc;
    ps->fErase = w->erase;
    ps->rcPaint = w->hasUpdate ? w->update : RECT{0, 0, 0, 0};
    w->hasUpdate = false;
    w->erase = false;
    w->inPaint = true;
    return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
    Window* w = FindWindowRecord(hwnd);
    if (ps) S().dcs.erase(ps->hdc);
    if (!w) return FALSE;
    w->inPaint = false;
    return TRUE;
}

HDC GetDC(HWND hwnd) {
    if (hwnd && !FindWindowRecord(hwnd)) return nullptr;
    HDC dc = core::NewHandle<HDC>();
    S().dcs[dc] = {hwnd, false};
    return dc;
}

int ReleaseDC(HWND hwnd, HDC dc) {
    auto it = S().dcs.find(dc);
    if (it == S().dcs.end() || it->second.paint || it->second.hwnd != hwnd) return 0;
    S().dcs.erase(it);
    return 1;
}

int GetDeviceCaps(HDC dc, int index) {
    if (!S().dcs.count(dc)) return 0;
    switch (index) {
        case BITSPIXEL:
            return TheBackend().BitsPerPixel();
        case PLANES:
            return 1;
        case HORZRES:
            return TheBackend().SystemMetric(SM_CXSCREEN);
        case VERTRES:
            return TheBackend().SystemMetric(SM_CYSCREEN);
        case LOGPIXELSX:
        case LOGPIXELSY:
            return 96;
        default:
            return 0;
    }
}

platform::PresentTarget* GetWindowPresentTarget(HWND hwnd) {
    Window* w = FindWindowRecord(hwnd);
    return w ? TheBackend().PresentTarget(*w) : nullptr;
}

// --- Icons, cursors, stock objects ---

HANDLE LoadImage(HINSTANCE /*instance*/, const char* name, UINT type, int width, int height,
                 UINT flags) {
    if (type != IMAGE_ICON || !name) return nullptr;
    if (width <= 0 || (flags & LR_DEFAULTSIZE && width == 0)) width = GetSystemMetrics(SM_CXICON);
    if (height <= 0) height = GetSystemMetrics(SM_CYICON);
    std::string key = core::Lower(core::NameText(name)) + "/" + std::to_string(width) + "x" +
                      std::to_string(height);
    if (flags & LR_SHARED) {
        auto shared = S().sharedIcons.find(key);
        if (shared != S().sharedIcons.end()) return shared->second;
    }
    auto group = resources::LoadResourceBytes(core::KeyOf(name),
                                              resources::ResourceKey::Id(resources::RT_GROUP_ICON));
    std::vector<core::IconGroupEntry> entries;
    std::string error;
    if (group.empty() || !core::ReadIconGroup(group, entries, error)) return nullptr;
    int chosen = core::ChooseIconEntry(entries, width, height, TheBackend().BitsPerPixel());
    if (chosen < 0) return nullptr;
    auto bits = resources::LoadResourceBytes(resources::ResourceKey::Id(entries[chosen].id),
                                             resources::ResourceKey::Id(resources::RT_ICON));
    auto icon = std::make_unique<core::Icon>();
    if (bits.empty() || !core::DecodeIconImage(bits, icon->pixels, error)) return nullptr;
    icon->pixels = core::ScaleIcon(icon->pixels, width, height);
    icon->name = core::NameText(name);
    icon->entry = entries[chosen];
    HICON handle = core::NewHandle<HICON>();
    icon->handle = handle;
    S().icons[handle] = std::move(icon);
    if (flags & LR_SHARED) S().sharedIcons[key] = handle;
    return handle;
}

HICON LoadIcon(HINSTANCE instance, const char* name) {
    if (!instance) {
        if (name != IDI_APPLICATION) return nullptr;
        static const HICON kApplication = reinterpret_cast<HICON>(uintptr_t{0x7F00});
        return kApplication;
    }
    return static_cast<HICON>(LoadImage(instance, name, IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                        GetSystemMetrics(SM_CYICON), LR_SHARED));
}

BOOL DestroyIcon(HICON icon) {
    for (const auto& [key, handle] : S().sharedIcons)
        if (handle == icon) return TRUE;  // shared icons live as long as the program
    return S().icons.erase(icon) ? TRUE : FALSE;
}

HCURSOR LoadCursor(HINSTANCE instance, const char* name) {
    if (instance || name != IDC_ARROW) return nullptr;
    return reinterpret_cast<HCURSOR>(uintptr_t{0x7F01});
}

HGDIOBJ GetStockObject(int object) {
    if (object != WHITE_BRUSH && object != BLACK_BRUSH && object != NULL_BRUSH) return nullptr;
    return reinterpret_cast<HGDIOBJ>(uintptr_t{0x7E00} + static_cast<uintptr_t>(object));
}

// --- Menus ---

HMENU GetMenu(HWND hwnd) {
    Window* w = FindWindowRecord(hwnd);
    return w ? w->menu : nullptr;
}

HMENU LoadMenu(HINSTANCE /*instance*/, const char* name) {
    if (!name) return nullptr;
    auto bytes = resources::LoadResourceBytes(core::KeyOf(name),
                                              resources::ResourceKey::Id(resources::RT_MENU));
    std::vector<core::MenuTemplateItem> items;
    std::string error;
    if (bytes.empty() || !core::ReadMenuTemplate(bytes, items, error)) return nullptr;
    return core::BuildMenu(items, nullptr);
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
    core::Menu* m = nullptr;
    size_t index = 0;
    if (!core::LocateItem(menu, check, flags, m, index)) return FALSE;
    for (size_t i = 0; i < m->items.size(); ++i) {
        core::MenuItem& item = m->items[i];
        UINT key = (flags & MF_BYPOSITION) ? static_cast<UINT>(i) : item.id;
        if (item.separator || item.popup || key < first || key > last) continue;
        if (i == index)
            item.state |= MF_CHECKED | MFT_RADIOCHECK;
        else
            item.state &= ~(MF_CHECKED | MFT_RADIOCHECK);
    }
    core::NotifyMenuChanged(m->handle);
    return TRUE;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags) {
    core::Menu* m = nullptr;
    size_t index = 0;
    if (!core::LocateItem(menu, item, flags, m, index)) return static_cast<DWORD>(-1);
    UINT& state = m->items[index].state;
    DWORD previous = state & MF_CHECKED;
    state = (state & ~(MF_CHECKED | MFT_RADIOCHECK)) | (flags & MF_CHECKED);
    core::NotifyMenuChanged(m->handle);
    return previous;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
    core::Menu* m = nullptr;
    size_t index = 0;
    if (!core::LocateItem(menu, item, flags, m, index)) return static_cast<UINT>(-1);
    const core::MenuItem& it = m->items[index];
    UINT state = it.state;
    if (it.separator) state |= MF_SEPARATOR;
    if (it.popup) {
        const core::Menu* popup = core::FindMenu(it.popup);
        state |= MF_POPUP | (static_cast<UINT>(popup ? popup->items.size() : 0) << 8);
    }
    return state;
}

// --- Dialogs ---

INT_PTR DialogBoxParam(HINSTANCE instance, const char* templateName, HWND owner, DLGPROC proc,
                       LPARAM initParam) {
    core::EnsureBuiltins();
    std::shared_ptr<core::DialogTemplate> t =
        templateName ? core::LoadDialogTemplate(templateName) : nullptr;
    if (!t || (owner && !FindWindowRecord(owner))) return -1;
    auto window = std::make_unique<Window>();
    Window& d = *window;
    d.className = core::kDialogClass;
    d.proc = core::DialogWindowProc;
    d.isDialog = true;
    d.dialogProc = proc;
    d.templateName = core::NameText(templateName);
    d.dialogTemplate = t;
    d.text = t->title;
    d.style = t->style & ~WS_VISIBLE;
    d.exStyle = t->exStyle;
    d.owner = owner;
    int baseX = 0, baseY = 0;
    TheBackend().DialogBaseUnits(*t, baseX, baseY);
    auto px = [&](int dlu) { return (dlu * baseX + 2) / 4; };
    auto py = [&](int dlu) { return (dlu * baseY + 4) / 8; };
    d.clientWidth = px(t->cx);
    d.clientHeight = py(t->cy);
    POINT origin{0, 0};
    if (Window* o = FindWindowRecord(owner)) origin = TheBackend().ClientOrigin(*o);
    d.rect = {origin.x + px(t->x), origin.y + py(t->y), origin.x + px(t->x) + d.clientWidth,
              origin.y + py(t->y) + d.clientHeight};
    HWND dialog = core::NewWindow(std::move(window));
    for (const core::DialogTemplateItem& item : t->items) {
        auto control = std::make_unique<Window>();
        Window& c = *control;
        c.className = item.ClassName();
        core::WindowClass* cls = core::FindClass(c.className.c_str());
        c.proc = cls ? cls->proc : DefWindowProc;
        c.item = item;
        c.style = item.style | WS_CHILD;
        c.exStyle = item.exStyle;
        c.parent = dialog;
        c.id = item.id;
        c.text = item.title.isOrdinal ? "" : item.title.text;
        c.visible = (item.style & WS_VISIBLE) != 0;
        c.enabled = !(item.style & WS_DISABLED);
        c.rect = {px(item.x), py(item.y), px(item.x) + px(item.cx), py(item.y) + py(item.cy)};
        c.clientWidth = px(item.cx);
        c.clientHeight = py(item.cy);
        if (core::Lower(c.className) == "static" && (item.style & SS_TYPEMASK) == SS_ICON) {
            const char* iconName = item.title.isOrdinal ? MAKEINTRESOURCE(item.title.ordinal)
                                                        : item.title.text.c_str();
            c.image = static_cast<HICON>(
                LoadImage(instance, iconName, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
        }
        HWND ch = core::NewWindow(std::move(control));
        FindWindowRecord(dialog)->children.push_back(ch);
    }
    TheBackend().CreateDialogNative(*FindWindowRecord(dialog));
    core::HoldOwner(owner);
    HWND focus = nullptr;
    for (HWND ch : FindWindowRecord(dialog)->children)
        if (Window* c = FindWindowRecord(ch); c && (c->style & WS_TABSTOP)) {
            focus = ch;
            break;
        }
    SendMessage(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), initParam);
    Window* d2 = FindWindowRecord(dialog);
    if (d2 && !d2->dialogEnded) {
        ShowWindow(dialog, SW_SHOW);
        TheBackend().DialogReady(*FindWindowRecord(dialog));
        core::RunModalLoop([dialog] {
            Window* w = FindWindowRecord(dialog);
            return !w || w->dialogEnded;
        });
    }
    d2 = FindWindowRecord(dialog);
    INT_PTR result = d2 && d2->dialogEnded ? d2->dialogResult : 0;
    if (d2 && !d2->dialogEnded) EndDialog(dialog, 0);
    DestroyWindow(dialog);
    return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    Window* d = FindWindowRecord(dialog);
    if (!d || !d->isDialog) return FALSE;
    if (d->dialogEnded) return TRUE;
    d->dialogEnded = true;
    d->dialogResult = result;
    core::ReleaseOwner(d->owner);
    if (d->visible) ShowWindow(dialog, SW_HIDE);
    return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
    Window* d = FindWindowRecord(dialog);
    if (!d) return nullptr;
    for (HWND ch : d->children)
        if (Window* c = FindWindowRecord(ch); c && c->id == id) return ch;
    return nullptr;
}

BOOL SetDlgItemText(HWND dialog, int id, const char* text) {
    HWND control = GetDlgItem(dialog, id);
    return control ? SetWindowText(control, text) : FALSE;
}

UINT GetDlgItemText(HWND dialog, int id, char* buffer, int size) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) {
        if (buffer && size > 0) buffer[0] = '\0';
        return 0;
    }
    return static_cast<UINT>(GetWindowText(control, buffer, size));
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return FALSE;
    SendMessage(control, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control ? static_cast<UINT>(SendMessage(control, BM_GETCHECK, 0, 0)) : 0;
}

BOOL CheckRadioButton(HWND dialog, int first, int last, int check) {
    Window* d = FindWindowRecord(dialog);
    if (!d) return FALSE;
    for (HWND ch : d->children)
        if (Window* c = FindWindowRecord(ch); c && c->id >= first && c->id <= last)
            SendMessage(ch, BM_SETCHECK, c->id == check ? BST_CHECKED : BST_UNCHECKED, 0);
    return TRUE;
}

int MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    if (owner && !FindWindowRecord(owner)) owner = nullptr;
    core::MessageBoxRequest request{owner, text ? text : "", caption ? caption : "Error", type};
    core::HoldOwner(owner);
    int result = TheBackend().RunMessageBox(request);
    core::ReleaseOwner(owner);
    return result;
}

}  // namespace desktop
