// The Windows desktop floor's one view of the system headers. Our desktop headers declare the
// calls, structures and constants with the system's values; this header brings in the
// system's own declarations beside them and converts between the two where their C++ types
// differ (LONG and DWORD are long on Windows, 32-bit int in our headers).
#pragma once

// Ours first: the system headers turn many of these names into macros.
#include "platform/desktop/desktop.h"

#include <windows.h>
// The system headers must come after ours; these follow <windows.h>.
#include <commctrl.h>
#include <mmsystem.h>

namespace desktop::win32 {

// Structures whose layouts are checked equal to the system's (win32_checks.cpp).
template <typename System, typename Ours>
System* AsSystem(Ours* value) {
    static_assert(sizeof(System) == sizeof(Ours));
    return reinterpret_cast<System*>(value);
}
template <typename System, typename Ours>
const System* AsSystem(const Ours* value) {
    static_assert(sizeof(System) == sizeof(Ours));
    return reinterpret_cast<const System*>(value);
}

// WM_ERASEBKGND of a window whose frames the 3D layer presents: draws the last frame into
// dc, scaled to the window's present scene area, so a size change never shows a cleared
// surface before the next frame (win32_paint.cpp). False when the window has shown no frame.
bool EraseWithLastFrame(HWND hwnd, HDC dc);

}  // namespace desktop::win32

// The floor defines these names in namespace desktop; the system spells them as macros that
// pick the A or W function. Below they are gone, and the floor calls the A functions by name
// (the program's code page is UTF-8, so they take our UTF-8 texts).
#undef CreateWindowEx
#undef DefWindowProc
#undef DialogBoxParam
#undef DispatchMessage
#undef FindWindow
#undef GetDlgItemText
#undef GetMessage
#undef GetModuleHandle
#undef GetWindowText
#undef LoadCursor
#undef LoadIcon
#undef LoadImage
#undef LoadMenu
#undef MessageBox
#undef PlaySound
#undef PostMessage
#undef RegisterClass
#undef SendMessage
#undef SetDlgItemText
#undef SetWindowText
#undef WNDCLASS
#undef CREATESTRUCT
