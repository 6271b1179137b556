// Messages and the message loop: the message numbers with the platform's values and word-packed
// parameters, the virtual-key codes, the posted-message queue, the timer and the window
// procedure's default handling. Every event reaches a window as a call of its procedure.
#pragma once

#include "platform/desktop/win_types.h"

namespace desktop {

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

// Message numbers.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;   // lParam: const CREATESTRUCT*; return -1 to fail creation
constexpr UINT WM_DESTROY = 0x0002;  // sent to the window, then to its children
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;      // wParam: SIZE_*; lParam: MAKELPARAM(client width, height)
constexpr UINT WM_ACTIVATE = 0x0006;  // wParam: WA_* in the low word, minimised flag high
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;  // the default handling destroys the window
constexpr UINT WM_QUIT = 0x0012;   // never reaches a procedure: GetMessage returns 0
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_KEYDOWN = 0x0100;  // wParam: VK_*; lParam: repeat count and flags
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_INITDIALOG = 0x0110;  // wParam: control to focus; lParam: DialogBoxParam's
constexpr UINT WM_COMMAND = 0x0111;     // wParam: MAKEWPARAM(id, notification); lParam: control
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;      // wParam: timer id; lParam: TIMERPROC or 0
constexpr UINT WM_MOUSEMOVE = 0x0200;  // wParam: MK_*; lParam: MAKELPARAM(client x, y)
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_USER = 0x0400;

// WM_SIZE kinds.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

// WM_ACTIVATE states (low word of wParam).
constexpr WORD WA_INACTIVE = 0;
constexpr WORD WA_ACTIVE = 1;
constexpr WORD WA_CLICKACTIVE = 2;

// Mouse-key flags of the mouse messages' wParam.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;

// Notification code of a button click in the high word of WM_COMMAND's wParam. A menu
// command has 0 there (and lParam 0).
constexpr WORD BN_CLICKED = 0;

// Virtual-key codes.
constexpr WPARAM VK_BACK = 0x08;
constexpr WPARAM VK_TAB = 0x09;
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_SHIFT = 0x10;
constexpr WPARAM VK_CONTROL = 0x11;
constexpr WPARAM VK_MENU = 0x12;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM VK_SPACE = 0x20;
constexpr WPARAM VK_PRIOR = 0x21;
constexpr WPARAM VK_NEXT = 0x22;
constexpr WPARAM VK_END = 0x23;
constexpr WPARAM VK_HOME = 0x24;
constexpr WPARAM VK_LEFT = 0x25;
constexpr WPARAM VK_UP = 0x26;
constexpr WPARAM VK_RIGHT = 0x27;
constexpr WPARAM VK_DOWN = 0x28;
constexpr WPARAM VK_DELETE = 0x2E;
// Letters and digits are their upper-case ASCII codes ('A'..'Z', '0'..'9').
constexpr WPARAM VK_F1 = 0x70;
constexpr WPARAM VK_F10 = 0x79;

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

// Waits for the next message of the thread (hwnd null and both filters 0: any message) and
// returns nonzero, or 0 when it is WM_QUIT (msg->wParam then holds the quit code). While
// nothing is queued, windows that need painting get WM_PAINT and due timers WM_TIMER.
BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL TranslateMessage(const MSG* msg);
// Calls the procedure of msg->hwnd with the message; returns its result (0 without a window).
LRESULT DispatchMessage(const MSG* msg);
// Asks the loop to end: GetMessage returns 0 with this code once the queue is empty.
void PostQuitMessage(int exitCode);
// Queues a message for the window's procedure; FALSE when the window does not exist.
BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Calls the window's procedure at once and returns its result; 0 when the window is gone.
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// The default handling: WM_CLOSE destroys the window, WM_PAINT validates the update region,
// everything else returns 0.
LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Starts (or restarts) a timer of the window: WM_TIMER with wParam id every elapse ms. The
// timer ends with the window: no tick reaches a destroyed window. Returns the id, 0 on failure.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

}  // namespace desktop
