// The recording desktop backend for headless tests and the command-line tool. Windows,
// messages, menus, dialogs and the status bar behave as in the real backend (they share the
// same window manager); what a person would see or do is recorded or scripted here instead:
// input is injected, dialogs and message boxes are answered by test scripts, sounds and
// presented images are kept, and the tick count is a clock the test sets by hand.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/desktop/desktop.h"

namespace desktop::fake {

// --- Sound and clock ---

struct SoundCall {
    std::string name;
    DWORD flags;
};
const std::vector<SoundCall>& SoundCalls();
void ClearSoundCalls();

// The clock: a fixed value, or a source consulted on every GetTickCount (for tests that need
// time to pass while the code under test runs). Reset() returns to a fixed clock at 0.
void SetTickCount(DWORD now);
void SetTickSource(std::function<DWORD()> source);
// Number of GetTickCount calls since the last Reset.
uint64_t TickReadings();

// Forgets every window, class, menu, icon, queued message and recorded call, and restores the
// default settings below (the state of a freshly started program).
void Reset();

// --- The simulated display ---

// Defaults: 32 bits per pixel; SM_CXEDGE/SM_CYEDGE 2, SM_CXICON/SM_CYICON 32, SM_CXSMICON/
// SM_CYSMICON 16, screen 1024 x 768. A top-level window's frame is 4 pixels on each side with
// a 20-pixel caption and a 20-pixel menu bar (when it has a menu), so a 400 x 400 window with
// a menu has a 392 x 352 client area. Dialog base units are 7 x 13 pixels.
void SetBitsPerPixel(int bits);
void SetSystemMetric(int index, int value);
// A window of another program on this display, found by FindWindow (a second copy's check).
void AddForeignWindow(const std::string& className, const std::string& title);
// The next CreateWindowEx of this class fails (returns null, no WM_CREATE).
void FailNextCreateWindow(const std::string& className);

// --- Windows ---

HWND FindWindowOfClass(const std::string& className);  // a live window, top-level or child
std::string ClassOf(HWND hwnd);
std::string TextOf(HWND hwnd);
DWORD StyleOf(HWND hwnd);
int ControlIdOf(HWND hwnd);
std::vector<HWND> ChildrenOf(HWND hwnd);
// Rectangle in the parent's client coordinates for a child, in screen coordinates otherwise.
RECT RectOf(HWND hwnd);
bool IsActive(HWND hwnd);

struct ShowCall {
    HWND hwnd;
    int command;
};
const std::vector<ShowCall>& ShowCalls();

struct InvalidateCall {
    HWND hwnd;
    bool wholeClient;  // the rect argument was null
    RECT rect;
    BOOL erase;
};
const std::vector<InvalidateCall>& InvalidateCalls();

// Timers running on the window: id -> period in ms.
std::vector<std::pair<UINT_PTR, UINT>> TimersOf(HWND hwnd);
// WM_PAINTs delivered to the window, and those whose procedure left the region invalid.
int PaintCount(HWND hwnd);
uint64_t UnvalidatedPaints();
// Device contexts from GetDC not yet released.
int OpenDeviceContexts();

// A readable trace of the calls that matter for ordering: "CreateWindowEx ZANTOBEL",
// "ShowWindow 5", "SetTimer 1 50", "GetTickCount", "MessageBox Error", "DialogBoxParam
// dlg_config", "PlaySound click", "DestroyWindow ZANTOBEL", "KillTimer 1".
const std::vector<std::string>& Trace();

// --- Input, delivered as the message loop would (posted, then dispatched at once) ---

// Delivers every queued message and pending paint; stops early when a quit is posted.
// Returns the number of messages dispatched.
size_t PumpMessages();
// The user resizes the window so its client area is width x height (WM_SIZE).
void SetClientSize(HWND hwnd, int width, int height);
void Minimize(HWND hwnd);
void Restore(HWND hwnd);
// The pointer, in screen coordinates; MoveMouse places it at client (x, y) of the window and
// delivers WM_MOUSEMOVE with that position.
void SetCursorScreenPos(POINT point);
bool MoveMouse(HWND hwnd, int x, int y);
// WM_LBUTTONDOWN at the current pointer position. False (nothing delivered) while the window
// is disabled, e.g. behind a modal dialog.
bool Click(HWND hwnd);
bool KeyDown(HWND hwnd, WPARAM virtualKey);
// The user chooses a menu item: WM_COMMAND(id, 0). False when the id is not an enabled item
// of the window's menu or the window is disabled.
bool ChooseMenuItem(HWND hwnd, UINT id);
// A raw WM_COMMAND with the whole wParam (ids outside the menu, notification codes).
bool Command(HWND hwnd, WPARAM wParam);
// The close box of the frame: WM_CLOSE.
bool CloseBox(HWND hwnd);
// One period of the timer elapsed: WM_TIMER. False when the window has no such timer.
bool FireTimer(HWND hwnd, UINT_PTR id);

// While a message loop (GetMessage) finds nothing to do it asks this script for more: the
// script injects input or fires timers and returns true, or returns false when the test is
// over (GetMessage then ends the loop as if WM_QUIT arrived and LoopRanDry() turns true).
void SetIdleScript(std::function<bool()> script);
bool LoopRanDry();

// --- Menus ---

struct MenuItemState {
    int depth;  // 0 on the menu bar, 1 in its drop-down, 2 in a submenu...
    UINT id;
    std::string text;
    bool separator;
    bool popup;
    bool checked;
    bool radio;
    bool grayed;
};
std::vector<MenuItemState> MenuItems(HWND hwnd);
bool IsMenuItemChecked(HWND hwnd, UINT id);
// Ids of the checked command items, in menu order.
std::vector<UINT> CheckedMenuItems(HWND hwnd);

// --- Dialogs ---

struct ControlState {
    int id;
    std::string className;
    DWORD style;
    std::string text;
    UINT check;
    RECT rect;  // pixels in the dialog's client area
    bool visible;
    bool enabled;
    std::string iconName;  // for an icon control, the icon it shows
};

struct DialogCall {
    std::string templateName;
    HWND owner;
    LPARAM initParam;
    INT_PTR result;
    bool endedByProcedure;  // false: still open when the script returned, closed by the fake
    std::vector<ControlState> controls;  // as they were when the dialog closed
};
const std::vector<DialogCall>& DialogCalls();

// Runs each time a dialog is open and initialised (after WM_INITDIALOG), in place of the
// user. The script inspects and clicks controls with the calls below, may deliver timer ticks
// or other input meanwhile, and normally ends with a click that closes the dialog. When the
// script returns with the dialog still open, the fake presses Esc; if the procedure still
// keeps it open, the fake ends it with -1. Without a script every dialog gets Esc.
void SetDialogScript(std::function<void(HWND dialog)> script);
std::string DialogTemplateName(HWND dialog);
std::string DialogCaption(HWND dialog);
std::vector<ControlState> DialogControls(HWND dialog);
ControlState DialogControl(HWND dialog, int id);
// A click on the control as the user makes it (auto buttons toggle first); false when there is
// no such enabled control.
bool ClickControl(HWND dialog, int id);
// Esc, or the dialog's close box: WM_COMMAND IDCANCEL.
void PressEscape(HWND dialog);
bool IsDialogOpen(HWND dialog);
// Dialogs currently open, innermost last.
std::vector<HWND> OpenDialogs();

// --- Message boxes ---

struct MessageBoxCall {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
const std::vector<MessageBoxCall>& MessageBoxCalls();
// Answers each box (default: IDOK). The script may deliver input meanwhile.
void SetMessageBoxScript(std::function<int(const MessageBoxCall&)> script);

// --- Status bar, icons, presented images ---

struct StatusBarState {
    std::vector<int> rightEdges;
    std::vector<std::string> texts;
    std::vector<WPARAM> drawTypes;
    std::vector<HICON> icons;
    int minHeight;
    RECT rect;  // in the parent's client coordinates
};
StatusBarState StatusBarOf(HWND statusBar);

struct IconInfo {
    bool valid;
    std::string name;  // the resource name it was loaded by
    int width;         // of the loaded icon
    int height;
    int imageWidth;  // of the group's image that was chosen
    int imageHeight;
    int imageBitCount;
    std::vector<uint32_t> argb;
};
IconInfo IconOf(HICON icon);

struct PresentedImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows packed
    int presentCount = 0;
};
PresentedImage LastPresented(HWND hwnd);

}  // namespace desktop::fake
