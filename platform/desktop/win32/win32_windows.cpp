// Windows, classes, geometry, the message loop and timers: the system's own calls.
#include "platform/desktop/win32/win32_system.h"

namespace desktop {

using win32::AsSystem;

HINSTANCE GetModuleHandle(const char* moduleName) {
    return ::GetModuleHandleA(moduleName);
}

ATOM RegisterClass(const WNDCLASS* windowClass) {
    return ::RegisterClassA(AsSystem<::WNDCLASSA>(windowClass));
}

HWND FindWindow(const char* className, const char* windowName) {
    return ::FindWindowA(className, windowName);
}

HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU menu,
                    HINSTANCE instance, void* param) {
    return ::CreateWindowExA(exStyle, className, windowName, style, x, y, width, height, parent,
                             menu, instance, param);
}

BOOL DestroyWindow(HWND hwnd) {
    return ::DestroyWindow(hwnd);
}
BOOL IsWindow(HWND hwnd) {
    return ::IsWindow(hwnd);
}
BOOL ShowWindow(HWND hwnd, int command) {
    return ::ShowWindow(hwnd, command);
}
BOOL UpdateWindow(HWND hwnd) {
    return ::UpdateWindow(hwnd);
}
BOOL IsIconic(HWND hwnd) {
    return ::IsIconic(hwnd);
}
BOOL IsWindowVisible(HWND hwnd) {
    return ::IsWindowVisible(hwnd);
}
BOOL EnableWindow(HWND hwnd, BOOL enable) {
    return ::EnableWindow(hwnd, enable);
}
BOOL IsWindowEnabled(HWND hwnd) {
    return ::IsWindowEnabled(hwnd);
}
HWND GetParent(HWND hwnd) {
    return ::GetParent(hwnd);
}
BOOL SetWindowText(HWND hwnd, const char* text) {
    return ::SetWindowTextA(hwnd, text);
}
int GetWindowText(HWND hwnd, char* buffer, int bufferSize) {
    return ::GetWindowTextA(hwnd, buffer, bufferSize);
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
    return ::GetClientRect(hwnd, AsSystem<::RECT>(rect));
}
BOOL GetWindowRect(HWND hwnd, RECT* rect) {
    return ::GetWindowRect(hwnd, AsSystem<::RECT>(rect));
}
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    return ::MoveWindow(hwnd, x, y, width, height, repaint);
}
BOOL ScreenToClient(HWND hwnd, POINT* point) {
    return ::ScreenToClient(hwnd, AsSystem<::POINT>(point));
}
BOOL ClientToScreen(HWND hwnd, POINT* point) {
    return ::ClientToScreen(hwnd, AsSystem<::POINT>(point));
}
BOOL GetCursorPos(POINT* point) {
    return ::GetCursorPos(AsSystem<::POINT>(point));
}
int GetSystemMetrics(int index) {
    return ::GetSystemMetrics(index);
}

BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    return ::GetMessageA(AsSystem<::MSG>(msg), hwnd, filterMin, filterMax);
}
BOOL TranslateMessage(const MSG* msg) {
    return ::TranslateMessage(AsSystem<::MSG>(msg));
}
LRESULT DispatchMessage(const MSG* msg) {
    return ::DispatchMessageA(AsSystem<::MSG>(msg));
}
void PostQuitMessage(int exitCode) {
    ::PostQuitMessage(exitCode);
}
BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(hwnd, message, wParam, lParam);
}
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(hwnd, message, wParam, lParam);
}
LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND && win32::EraseWithLastFrame(hwnd, reinterpret_cast<HDC>(wParam)))
        return TRUE;
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    // The two procedure types differ only in how their DWORD is spelt (unsigned long on
    // Windows); the calling convention is the same.
    return ::SetTimer(hwnd, id, elapse, reinterpret_cast<::TIMERPROC>(proc));
}
BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    return ::KillTimer(hwnd, id);
}

}  // namespace desktop
