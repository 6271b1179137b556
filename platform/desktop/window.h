// Window classes and windows: registration, creation and destruction, showing, geometry,
// the cursor and the system metrics. A window of a class runs that class's procedure; the
// create message arrives with the menu already attached and the real client size set.
#pragma once

#include "platform/desktop/messages.h"
#include "platform/desktop/win_types.h"

namespace desktop {

// Class styles.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;
constexpr int SW_SHOWDEFAULT = 10;

// GetSystemMetrics indices.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;

struct WNDCLASS {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    const char* lpszMenuName;  // a menu resource of the program, or null
    const char* lpszClassName;
};

// lParam of WM_CREATE points at the creation arguments.
struct CREATESTRUCT {
    void* lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    const char* lpszName;
    const char* lpszClass;
    DWORD dwExStyle;
};

// The program's own module (name null); resources of any module are the embedded ones.
HINSTANCE GetModuleHandle(const char* moduleName);

// Registers a class for this process; 0 when the class name is taken or the class is
// incomplete (no procedure or name).
ATOM RegisterClass(const WNDCLASS* windowClass);

// A top-level window whose class (and title, when windowName is not null) match, on this
// display, in this or another running program; null when there is none.
HWND FindWindow(const char* className, const char* windowName);

// Texts are UTF-8. Creates the window and its menu (from the class's menu resource unless
// menu is given), sends WM_CREATE and then WM_SIZE; returns null when the class is unknown,
// the parent is missing for a child, or WM_CREATE returned -1. For a child window the menu
// argument is its control id.
HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU menu,
                    HINSTANCE instance, void* param);
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
// Returns whether the window was visible before. The first show of a top-level window
// activates it (WM_ACTIVATE) and schedules its first paint.
BOOL ShowWindow(HWND hwnd, int command);
BOOL UpdateWindow(HWND hwnd);
BOOL IsIconic(HWND hwnd);
BOOL IsWindowVisible(HWND hwnd);
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindowEnabled(HWND hwnd);
HWND GetParent(HWND hwnd);
BOOL SetWindowText(HWND hwnd, const char* text);
int GetWindowText(HWND hwnd, char* buffer, int bufferSize);

// The client rectangle: left and top 0, right and bottom the client width and height.
BOOL GetClientRect(HWND hwnd, RECT* rect);
// The outer rectangle in screen coordinates.
BOOL GetWindowRect(HWND hwnd, RECT* rect);
// Moves and sizes a window: screen coordinates for a top-level window, the parent's client
// coordinates for a child. The window receives WM_SIZE when its client size changes.
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL ScreenToClient(HWND hwnd, POINT* point);
BOOL ClientToScreen(HWND hwnd, POINT* point);
// The pointer position in screen coordinates.
BOOL GetCursorPos(POINT* point);
int GetSystemMetrics(int index);

}  // namespace desktop
