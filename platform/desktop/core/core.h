// The window manager shared by both backends: classes, windows and their handles, the message
// queue, timers' bookkeeping, update regions, menus, dialogs and their controls, the status
// bar's parts. A backend only adds what the user sees and does (native widgets, waiting for
// events, the pointer) through the Backend hooks below.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop/core/templates.h"
#include "platform/desktop/desktop.h"

namespace desktop::core {

struct MenuItem {
    UINT id = 0;
    std::string text;
    UINT state = 0;  // MF_CHECKED | MF_GRAYED | MFT_RADIOCHECK
    bool separator = false;
    HMENU popup = nullptr;
};

struct Menu {
    HMENU handle = nullptr;
    std::vector<MenuItem> items;
    HWND owner = nullptr;  // the window whose menu bar this is (or contains this popup)
};

struct StatusBarPart {
    int rightEdge = -1;
    std::string text;
    WPARAM drawType = 0;
    HICON icon = nullptr;
};

struct StatusBar {
    std::vector<StatusBarPart> parts{StatusBarPart{}};
    int minHeight = 0;
};

struct Timer {
    UINT elapse = 0;
    uint64_t serial = 0;  // changes on every SetTimer, so a stale native tick is ignored
};

// Anything a backend hangs on a window (widgets, signal ids...).
struct NativeWindow {
    virtual ~NativeWindow() = default;
};

struct Window {
    HWND handle = nullptr;
    std::string className;
    WNDPROC proc = nullptr;
    UINT classStyle = 0;
    HBRUSH background = nullptr;
    HICON icon = nullptr;
    std::string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;
    HWND owner = nullptr;
    int id = 0;
    RECT rect{};  // outer: screen coordinates, or the parent's client coordinates for a child
    int clientWidth = 0;
    int clientHeight = 0;
    bool visible = false;
    bool shownOnce = false;
    bool enabled = true;
    bool iconic = false;
    bool destroying = false;
    int modalDepth = 0;  // dialogs and message boxes open with this window as owner
    HMENU menu = nullptr;
    std::map<UINT_PTR, Timer> timers;
    bool hasUpdate = false;
    RECT update{};
    bool erase = false;
    bool inPaint = false;
    int paintCount = 0;  // WM_PAINTs delivered
    std::vector<HWND> children;

    // Dialogs.
    bool isDialog = false;
    DLGPROC dialogProc = nullptr;
    std::string templateName;
    std::shared_ptr<DialogTemplate> dialogTemplate;
    bool dialogEnded = false;
    INT_PTR dialogResult = 0;
    // Controls: the template item they were made from; the button check state; an image.
    DialogTemplateItem item;
    UINT check = BST_UNCHECKED;
    HICON image = nullptr;

    std::unique_ptr<StatusBar> statusBar;
    std::unique_ptr<NativeWindow> native;
};

// An icon: the chosen image of a group, already decoded.
struct Icon {
    HICON handle = nullptr;
    std::string name;  // as asked for
    IconGroupEntry entry;
    IconPixels pixels;
};

struct MessageBoxRequest {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};

// What a backend adds. Every hook is called on the one thread, from inside the core's calls.
class Backend {
  public:
    virtual ~Backend() = default;

    // Native side of a window before its WM_CREATE: set window.clientWidth/Height from the
    // outer size in window.rect (a top-level window's menu is already attached). False when
    // the window cannot be made: CreateWindowEx then fails without WM_CREATE.
    virtual bool CreateNative(Window& window) = 0;
    virtual void DestroyNative(Window& window) = 0;
    virtual void ShowNative(Window& window, int command) = 0;
    // window.rect changed (MoveWindow or a status bar's own layout); update the client size.
    virtual void MoveNative(Window& window) = 0;
    virtual void TextChanged(Window& window) = 0;
    virtual void CheckChanged(Window& control) = 0;
    virtual void EnableChanged(Window& window) = 0;
    virtual void StatusBarChanged(Window& statusBar) = 0;
    virtual void MenuChanged(Window& owner) = 0;
    virtual void Invalidated(Window& window, const RECT* rect, BOOL erase) = 0;
    virtual void TimerChanged(Window& window, UINT_PTR id, const Timer* timer) = 0;
    // A dialog's native window and controls, after the core made the control windows.
    virtual void CreateDialogNative(Window& dialog) = 0;

    // Synthesised messages while the queue is empty (the recording backend makes WM_PAINT for
    // windows with an update region); false when there is none.
    virtual bool IdleMessage(MSG& msg) = 0;
    // Blocks until something may have been queued; false when nothing ever will be.
    virtual bool WaitForEvents() = 0;
    // Shows a message box and returns the button pressed; a backend that waits for the user
    // runs RunModalLoop meanwhile. The core disables the owner around the call.
    virtual int RunMessageBox(const MessageBoxRequest& request) = 0;
    // Called right after WM_INITDIALOG, before the dialog's modal loop starts.
    virtual void DialogReady(Window& dialog) = 0;

    virtual POINT CursorPos() = 0;
    virtual int SystemMetric(int index) = 0;
    virtual int BitsPerPixel() = 0;
    // A window of another program on this display; null when none.
    virtual HWND FindForeignWindow(const char* className, const char* windowName) = 0;
    // Screen position of the client area's top-left corner.
    virtual POINT ClientOrigin(Window& window) = 0;
    virtual platform::PresentTarget* PresentTarget(Window& window) = 0;
    // Dialog base units (pixels per 4 horizontal and per 8 vertical dialog units) for the font.
    virtual void DialogBaseUnits(const DialogTemplate& dialog, int& baseX, int& baseY) = 0;
};

// The one backend of the program; each backend library defines it.
Backend& TheBackend();

// --- The core's state and the operations backends and tests call. ---
Window* FindWindowRecord(HWND hwnd);
Window* FindWindowByClass(const std::string& className);
const Menu* FindMenu(HMENU menu);
const Icon* FindIcon(HICON icon);
// Every live window, in creation order.
std::vector<HWND> AllWindows();

// Posts input the user made (mouse, keys, menu commands). Dropped while the window is disabled,
// as the platform gives a disabled window no input.
bool PostInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Marks a timer's period as elapsed: queues one WM_TIMER unless one is already waiting.
void TimerElapsed(HWND hwnd, UINT_PTR id, uint64_t serial);
// Sends WM_PAINT for the window now (the backend's draw handler) and empties its update
// region afterwards, so a procedure that does not paint leaves no repeating request.
void PaintNow(HWND hwnd);
// The native window got a new client size: stores it and sends WM_SIZE when it changed.
void ClientSizeChanged(HWND hwnd, int width, int height, WPARAM kind);
// A control was used: toggles an auto button as the platform does, then sends WM_COMMAND
// (id, BN_CLICKED) to the dialog procedure.
void ControlClicked(HWND control);
// Button check state changed by the native widget itself.
void ControlCheckSet(HWND control, UINT check);
// Esc in a dialog: WM_COMMAND IDCANCEL. Nothing for a dialog that has ended or is disabled
// behind a nested one.
void DialogCancelled(HWND dialog);
// The close box of a dialog (or the window manager's close, Alt+F4): WM_CLOSE, which a
// dialog's default handling turns into IDCANCEL. Nothing when ended or disabled.
void DialogCloseBox(HWND dialog);
// The next message of the queue, waiting for the backend's events while there is none; Quit
// for WM_QUIT (m holds it). With done given, Done as soon as done() is true, also while
// waiting, and before any message is taken.
enum class NextMessage { Message, Quit, Done };
NextMessage WaitForMessage(MSG& m, const std::function<bool()>* done);
// Dispatches messages, as a modal dialog or box does, until done() is true or WM_QUIT
// arrives (which is posted again for the outer loop); false on WM_QUIT.
bool RunModalLoop(const std::function<bool()>& done);
// Number of WM_PAINTs whose procedure did not validate (no BeginPaint/EndPaint).
uint64_t UnvalidatedPaints();
bool QuitPosted();
size_t QueueSize();
// Takes the first queued message; false when the queue is empty.
bool TakeQueued(MSG& msg);
int OpenDeviceContextCount();
// Forgets every window, class, menu, icon and queued message (tests start from nothing).
void ResetForTesting();

// The metrics that are the same for every backend: edges 2, icons 32, small icons 16 pixels;
// 0 for any other index.
int FixedSystemMetric(int index);

}  // namespace desktop::core
