// The recording backend's side of the window manager: a simulated display with fixed frame
// sizes, scripted users for dialogs and message boxes, and records of what was shown.
#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "platform/desktop/core/core.h"
#include "platform/desktop/fake/fake_desktop.h"
#include "platform/desktop/fake/fake_internal.h"

namespace desktop::fake {
namespace {

constexpr int kFrame = 4;
constexpr int kCaption = 20;
constexpr int kMenuBar = 20;
constexpr int kDialogFrame = 3;
constexpr int kBaseUnitX = 7;
constexpr int kBaseUnitY = 13;

class FakePresentTarget : public platform::PresentTarget {
  public:
    void Present(const uint32_t* pixels, int width, int height, int stride) override {
        ++image.presentCount;
        if (!pixels || width <= 0 || height <= 0 || stride < width) return;
        image.width = width;
        image.height = height;
        image.pixels.resize(static_cast<size_t>(width) * height);
        for (int y = 0; y < height; ++y)
            std::copy_n(pixels + static_cast<size_t>(y) * stride, width,
                        image.pixels.begin() + static_cast<size_t>(y) * width);
    }
    PresentedImage image;
};

struct ForeignWindow {
    std::string className;
    std::string title;
};

struct FakeState {
    int bitsPerPixel = 32;
    std::map<int, int> metrics;
    POINT cursor{0, 0};
    HWND active = nullptr;
    std::vector<ForeignWindow> foreign;
    std::multiset<std::string> failCreate;
    std::vector<ShowCall> shows;
    std::vector<InvalidateCall> invalidations;
    std::map<HWND, std::unique_ptr<FakePresentTarget>> targets;
    std::map<HWND, RECT> restoreRects;
    std::vector<std::string> trace;
    std::function<bool()> idleScript;
    bool ranDry = false;
    std::vector<DialogCall> dialogs;
    std::map<HWND, size_t> dialogCallIndex;
    std::function<void(HWND)> dialogScript;
    std::vector<MessageBoxCall> boxes;
    std::function<int(const MessageBoxCall&)> boxScript;
};

FakeState& F() {
    static FakeState state;
    return state;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

int Metric(int index) {
    auto it = F().metrics.find(index);
    if (it != F().metrics.end()) return it->second;
    switch (index) {
        case SM_CXSCREEN:
            return 1024;
        case SM_CYSCREEN:
            return 768;
        default:
            return core::FixedSystemMetric(index);
    }
}

// Frame thickness of a window: left, top, right, bottom.
RECT NonClient(const core::Window& w) {
    if (w.style & WS_CHILD) return {0, 0, 0, 0};
    if (w.isDialog) return {kDialogFrame, kDialogFrame + kCaption, kDialogFrame, kDialogFrame};
    int top =
        kFrame + ((w.style & WS_CAPTION) == WS_CAPTION ? kCaption : 0) + (w.menu ? kMenuBar : 0);
    return {kFrame, top, kFrame, kFrame};
}

ControlState StateOf(const core::Window& c) {
    ControlState s;
    s.id = c.id;
    s.className = c.className;
    s.style = c.style;
    s.text = c.text;
    s.check = c.check;
    s.rect = c.rect;
    s.visible = c.visible;
    s.enabled = c.enabled;
    if (const core::Icon* icon = core::FindIcon(c.image)) s.iconName = icon->name;
    return s;
}

std::vector<ControlState> ControlsOf(HWND dialog) {
    std::vector<ControlState> out;
    core::Window* d = core::FindWindowRecord(dialog);
    if (!d) return out;
    for (HWND ch : d->children)
        if (core::Window* c = core::FindWindowRecord(ch)) out.push_back(StateOf(*c));
    return out;
}

void Activate(HWND hwnd) {
    if (F().active == hwnd) return;
    HWND previous = F().active;
    F().active = hwnd;
    if (core::FindWindowRecord(previous))
        SendMessage(previous, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0),
                    reinterpret_cast<LPARAM>(hwnd));
    if (hwnd)
        SendMessage(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0),
                    reinterpret_cast<LPARAM>(previous));
}

class FakeBackend : public core::Backend {
  public:
    bool CreateNative(core::Window& w) override {
        auto fail = F().failCreate.find(Lower(w.className));
        if (fail != F().failCreate.end()) {
            F().failCreate.erase(fail);
            return false;
        }
        internal::AppendTrace("CreateWindowEx " + w.className);
        RECT nc = NonClient(w);
        w.clientWidth = std::max<LONG>(0, w.rect.right - w.rect.left - nc.left - nc.right);
        w.clientHeight = std::max<LONG>(0, w.rect.bottom - w.rect.top - nc.top - nc.bottom);
        return true;
    }

    void DestroyNative(core::Window& w) override {
        internal::AppendTrace("DestroyWindow " + w.className);
        if (F().active == w.handle) F().active = nullptr;
    }

    void ShowNative(core::Window& w, int command) override {
        if (!w.isDialog && !(w.style & WS_CHILD)) {
            F().shows.push_back({w.handle, command});
            internal::AppendTrace("ShowWindow " + std::to_string(command));
        }
        if (w.isDialog && command == SW_HIDE) SnapshotDialog(w);
        if (w.style & WS_CHILD) return;
        switch (command) {
            case SW_HIDE:
                if (F().active == w.handle) Activate(w.owner);
                return;
            case SW_MINIMIZE:
            case SW_SHOWMINIMIZED:
                if (!w.iconic) {
                    F().restoreRects[w.handle] = w.rect;
                    w.iconic = true;
                    core::ClientSizeChanged(w.handle, 0, 0, SIZE_MINIMIZED);
                }
                if (command == SW_SHOWMINIMIZED) Activate(w.handle);
                return;
            default:
                if (w.iconic) {
                    w.iconic = false;
                    RECT nc = NonClient(w);
                    core::ClientSizeChanged(
                        w.handle, w.rect.right - w.rect.left - nc.left - nc.right,
                        w.rect.bottom - w.rect.top - nc.top - nc.bottom, SIZE_RESTORED);
                }
                Activate(w.handle);
        }
    }

    void MoveNative(core::Window& w) override {
        RECT nc = NonClient(w);
        int width = std::max<LONG>(0, w.rect.right - w.rect.left - nc.left - nc.right);
        int height = std::max<LONG>(0, w.rect.bottom - w.rect.top - nc.top - nc.bottom);
        if (w.iconic) return;
        core::ClientSizeChanged(w.handle, width, height, SIZE_RESTORED);
    }

    void TextChanged(core::Window&) override {}
    void CheckChanged(core::Window&) override {}
    void EnableChanged(core::Window&) override {}
    void StatusBarChanged(core::Window&) override {}
    void MenuChanged(core::Window&) override {}

    void Invalidated(core::Window& w, const RECT* rect, BOOL erase) override {
        F().invalidations.push_back({w.handle, rect == nullptr, rect ? *rect : RECT{}, erase});
    }

    void TimerChanged(core::Window&, UINT_PTR id, const core::Timer* timer) override {
        if (timer)
            internal::AppendTrace("SetTimer " + std::to_string(id) + " " +
                                  std::to_string(timer->elapse));
        else
            internal::AppendTrace("KillTimer " + std::to_string(id));
    }

    void CreateDialogNative(core::Window& dialog) override {
        // The template places the client area; the frame goes around it.
        RECT nc = NonClient(dialog);
        dialog.rect.right = dialog.rect.left + dialog.clientWidth + nc.left + nc.right;
        dialog.rect.bottom = dialog.rect.top + dialog.clientHeight + nc.top + nc.bottom;
        internal::AppendTrace("DialogBoxParam " + dialog.templateName);
        F().dialogCallIndex[dialog.handle] = F().dialogs.size();
        F().dialogs.push_back({dialog.templateName, dialog.owner, 0, 0, true, {}});
    }

    bool IdleMessage(MSG& msg) override {
        for (HWND h : core::AllWindows()) {
            core::Window* w = core::FindWindowRecord(h);
            if (w && w->hasUpdate && w->visible) {
                msg = {h, WM_PAINT, 0, 0, 0, {0, 0}};
                return true;
            }
        }
        return false;
    }

    bool WaitForEvents() override {
        if (F().idleScript && F().idleScript()) return true;
        F().ranDry = true;
        return false;
    }

    int RunMessageBox(const core::MessageBoxRequest& request) override {
        internal::AppendTrace("MessageBox " + request.caption);
        MessageBoxCall call{request.owner, request.text, request.caption, request.type};
        F().boxes.push_back(call);
        return F().boxScript ? F().boxScript(call) : IDOK;
    }

    void DialogReady(core::Window& dialog) override {
        HWND handle = dialog.handle;
        if (F().dialogScript) F().dialogScript(handle);
        core::Window* d = core::FindWindowRecord(handle);
        if (!d || d->dialogEnded) return;
        core::DialogCancelled(handle);
        d = core::FindWindowRecord(handle);
        if (d && !d->dialogEnded) EndDialog(handle, -1);
        auto index = F().dialogCallIndex.find(handle);
        if (index != F().dialogCallIndex.end()) F().dialogs[index->second].endedByProcedure = false;
    }

    POINT CursorPos() override { return F().cursor; }
    int SystemMetric(int index) override { return Metric(index); }
    int BitsPerPixel() override { return F().bitsPerPixel; }

    HWND FindForeignWindow(const char* className, const char* windowName) override {
        for (const ForeignWindow& f : F().foreign) {
            if (className && !IS_INTRESOURCE(className) && Lower(f.className) != Lower(className))
                continue;
            if (windowName && f.title != windowName) continue;
            // A handle that no window of this process has.
            return reinterpret_cast<HWND>(uintptr_t{0x7FFF0000});
        }
        return nullptr;
    }

    POINT ClientOrigin(core::Window& w) override {
        RECT nc = NonClient(w);
        POINT origin{w.rect.left + nc.left, w.rect.top + nc.top};
        if (core::Window* parent = core::FindWindowRecord(w.parent)) {
            POINT p = ClientOrigin(*parent);
            origin.x += p.x;
            origin.y += p.y;
        }
        return origin;
    }

    platform::PresentTarget* PresentTarget(core::Window& w) override {
        auto& target = F().targets[w.handle];
        if (!target) target = std::make_unique<FakePresentTarget>();
        return target.get();
    }

    void DialogBaseUnits(const core::DialogTemplate&, int& baseX, int& baseY) override {
        baseX = kBaseUnitX;
        baseY = kBaseUnitY;
    }

  private:
    void SnapshotDialog(core::Window& dialog) {
        auto index = F().dialogCallIndex.find(dialog.handle);
        if (index == F().dialogCallIndex.end()) return;
        DialogCall& call = F().dialogs[index->second];
        call.controls = ControlsOf(dialog.handle);
        call.result = dialog.dialogEnded ? dialog.dialogResult : call.result;
    }
};

FakeBackend& Backend() {
    static FakeBackend backend;
    return backend;
}

}  // namespace

namespace internal {

void AppendTrace(std::string entry) {
    F().trace.push_back(std::move(entry));
}

}  // namespace internal

void Reset() {
    core::ResetForTesting();
    F() = FakeState{};
    internal::ResetSoundAndClock();
}

void SetBitsPerPixel(int bits) {
    F().bitsPerPixel = bits;
}
void SetSystemMetric(int index, int value) {
    F().metrics[index] = value;
}
void AddForeignWindow(const std::string& className, const std::string& title) {
    F().foreign.push_back({className, title});
}
void FailNextCreateWindow(const std::string& className) {
    F().failCreate.insert(Lower(className));
}

HWND FindWindowOfClass(const std::string& className) {
    core::Window* w = core::FindWindowByClass(className);
    return w ? w->handle : nullptr;
}
std::string ClassOf(HWND hwnd) {
    core::Window* w = core::FindWindowRecord(hwnd);
    return w ? w->className : "";
}
std::string TextOf(HWND hwnd) {
    core::Window* w = core::FindWindowRecord(hwnd);
    return w ? w->text : "";
}
DWORD StyleOf(HWND hwnd) {
    core::Window* w = core::FindWindowRecord(hwnd);
    return w ? w->style | (w->visible ? WS_VISIBLE : 0) : 0;
}
int ControlIdOf(HWND hwnd) {
    core::Window* w = core::FindWindowRecord(hwnd);
    return w ? w->id : 0;
}
std::vector<HWND> ChildrenOf(HWND hwnd) {
    core::Window* w = core::FindWindowRecord(hwnd);
    return w ? w->children : std::vector<HWND>{};
}
RECT RectOf(HWND hwnd) {
    core::Window* w = core::FindWindowRecord(hwnd);
    return w ? w->rect : RECT{};
}
bool IsActive(HWND hwnd) {
    return hwnd && F().active == hwnd;
}
const std::vector<ShowCall>& ShowCalls() {
    return F().shows;
}
const std::vector<InvalidateCall>& InvalidateCalls() {
    return F().invalidations;
}
std::vector<std::pair<UINT_PTR, UINT>> TimersOf(HWND hwnd) {
    std::vector<std::pair<UINT_PTR, UINT>> out;
    if (core::Window* w = core::FindWindowRecord(hwnd))
        for (const auto& [id, timer] : w->timers)
            out.emplace_back(id, timer.elapse);
    return out;
}
int PaintCount(HWND hwnd) {
    core::Window* w = core::FindWindowRecord(hwnd);
    return w ? w->paintCount : 0;
}
uint64_t UnvalidatedPaints() {
    return core::UnvalidatedPaints();
}
int OpenDeviceContexts() {
    return core::OpenDeviceContextCount();
}
const std::vector<std::string>& Trace() {
    return F().trace;
}

size_t PumpMessages() {
    size_t count = 0;
    MSG msg;
    for (;;) {
        if (core::QuitPosted() && !core::QueueSize()) break;
        if (!core::TakeQueued(msg) && !Backend().IdleMessage(msg)) break;
        DispatchMessage(&msg);
        ++count;
    }
    return count;
}

void SetClientSize(HWND hwnd, int width, int height) {
    core::Window* w = core::FindWindowRecord(hwnd);
    if (!w) return;
    RECT nc = NonClient(*w);
    if (w->iconic) {
        w->iconic = false;
        w->clientWidth = -1;  // forces the size message
    }
    w->rect.right = w->rect.left + width + nc.left + nc.right;
    w->rect.bottom = w->rect.top + height + nc.top + nc.bottom;
    core::ClientSizeChanged(hwnd, width, height, SIZE_RESTORED);
    PumpMessages();
}

void Minimize(HWND hwnd) {
    ShowWindow(hwnd, SW_MINIMIZE);
    PumpMessages();
}

void Restore(HWND hwnd) {
    ShowWindow(hwnd, SW_RESTORE);
    PumpMessages();
}

void SetCursorScreenPos(POINT point) {
    F().cursor = point;
}

bool MoveMouse(HWND hwnd, int x, int y) {
    POINT p{x, y};
    if (!ClientToScreen(hwnd, &p)) return false;
    F().cursor = p;
    if (!core::PostInput(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y))) return false;
    PumpMessages();
    return true;
}

bool Click(HWND hwnd) {
    POINT p = F().cursor;
    if (!ScreenToClient(hwnd, &p)) return false;
    if (!core::PostInput(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y))) return false;
    PumpMessages();
    return true;
}

bool KeyDown(HWND hwnd, WPARAM virtualKey) {
    if (!core::PostInput(hwnd, WM_KEYDOWN, virtualKey, 1)) return false;
    PumpMessages();
    return true;
}

bool ChooseMenuItem(HWND hwnd, UINT id) {
    HMENU menu = GetMenu(hwnd);
    UINT state = menu ? GetMenuState(menu, id, MF_BYCOMMAND) : static_cast<UINT>(-1);
    if (state == static_cast<UINT>(-1) ||
        (state & (MF_GRAYED | MF_DISABLED | MF_POPUP | MF_SEPARATOR)))
        return false;
    if (!core::PostInput(hwnd, WM_COMMAND, MAKEWPARAM(static_cast<int>(id), 0), 0)) return false;
    PumpMessages();
    return true;
}

bool Command(HWND hwnd, WPARAM wParam) {
    if (!core::PostInput(hwnd, WM_COMMAND, wParam, 0)) return false;
    PumpMessages();
    return true;
}

bool CloseBox(HWND hwnd) {
    if (!core::PostInput(hwnd, WM_CLOSE, 0, 0)) return false;
    PumpMessages();
    return true;
}

bool FireTimer(HWND hwnd, UINT_PTR id) {
    core::Window* w = core::FindWindowRecord(hwnd);
    if (!w) return false;
    auto it = w->timers.find(id);
    if (it == w->timers.end()) return false;
    core::TimerElapsed(hwnd, id, it->second.serial);
    PumpMessages();
    return true;
}

void SetIdleScript(std::function<bool()> script) {
    F().idleScript = std::move(script);
}
bool LoopRanDry() {
    return F().ranDry;
}

namespace {

void CollectMenu(HMENU handle, int depth, std::vector<MenuItemState>& out) {
    const core::Menu* menu = core::FindMenu(handle);
    if (!menu) return;
    for (const core::MenuItem& item : menu->items) {
        out.push_back({depth, item.id, item.text, item.separator, item.popup != nullptr,
                       (item.state & MF_CHECKED) != 0, (item.state & MFT_RADIOCHECK) != 0,
                       (item.state & MF_GRAYED) != 0});
        if (item.popup) CollectMenu(item.popup, depth + 1, out);
    }
}

}  // namespace

std::vector<MenuItemState> MenuItems(HWND hwnd) {
    std::vector<MenuItemState> out;
    CollectMenu(GetMenu(hwnd), 0, out);
    return out;
}

bool IsMenuItemChecked(HWND hwnd, UINT id) {
    HMENU menu = GetMenu(hwnd);
    UINT state = menu ? GetMenuState(menu, id, MF_BYCOMMAND) : static_cast<UINT>(-1);
    return state != static_cast<UINT>(-1) && (state & MF_CHECKED);
}

std::vector<UINT> CheckedMenuItems(HWND hwnd) {
    std::vector<UINT> out;
    for (const MenuItemState& item : MenuItems(hwnd))
        if (item.checked && !item.popup && !item.separator) out.push_back(item.id);
    return out;
}

const std::vector<DialogCall>& DialogCalls() {
    return F().dialogs;
}
void SetDialogScript(std::function<void(HWND)> script) {
    F().dialogScript = std::move(script);
}
std::string DialogTemplateName(HWND dialog) {
    core::Window* d = core::FindWindowRecord(dialog);
    return d && d->isDialog ? d->templateName : "";
}
std::string DialogCaption(HWND dialog) {
    return TextOf(dialog);
}
std::vector<ControlState> DialogControls(HWND dialog) {
    return ControlsOf(dialog);
}
ControlState DialogControl(HWND dialog, int id) {
    core::Window* c = core::FindWindowRecord(GetDlgItem(dialog, id));
    return c ? StateOf(*c) : ControlState{0, "", 0, "", 0, {}, false, false, ""};
}
bool ClickControl(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    core::Window* c = core::FindWindowRecord(control);
    if (!c || !c->enabled || !IsWindowEnabled(dialog)) return false;
    core::ControlClicked(control);
    return true;
}
void PressEscape(HWND dialog) {
    core::DialogCancelled(dialog);
}
bool IsDialogOpen(HWND dialog) {
    core::Window* d = core::FindWindowRecord(dialog);
    return d && d->isDialog && !d->dialogEnded;
}
std::vector<HWND> OpenDialogs() {
    std::vector<HWND> out;
    for (HWND h : core::AllWindows())
        if (IsDialogOpen(h)) out.push_back(h);
    return out;
}

const std::vector<MessageBoxCall>& MessageBoxCalls() {
    return F().boxes;
}
void SetMessageBoxScript(std::function<int(const MessageBoxCall&)> script) {
    F().boxScript = std::move(script);
}

StatusBarState StatusBarOf(HWND statusBar) {
    StatusBarState s{};
    core::Window* w = core::FindWindowRecord(statusBar);
    if (!w || !w->statusBar) return s;
    for (const core::StatusBarPart& part : w->statusBar->parts) {
        s.rightEdges.push_back(part.rightEdge);
        s.texts.push_back(part.text);
        s.drawTypes.push_back(part.drawType);
        s.icons.push_back(part.icon);
    }
    s.minHeight = w->statusBar->minHeight;
    s.rect = w->rect;
    return s;
}

IconInfo IconOf(HICON icon) {
    const core::Icon* i = core::FindIcon(icon);
    if (!i) return IconInfo{false, "", 0, 0, 0, 0, 0, {}};
    return {true,           i->name,         i->pixels.width,   i->pixels.height,
            i->entry.width, i->entry.height, i->entry.bitCount, i->pixels.argb};
}

PresentedImage LastPresented(HWND hwnd) {
    auto it = F().targets.find(hwnd);
    return it == F().targets.end() ? PresentedImage{} : it->second->image;
}

}  // namespace desktop::fake

namespace desktop::core {

Backend& TheBackend() {
    return fake::Backend();
}

}  // namespace desktop::core
