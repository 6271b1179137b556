// The status bar: the common control "msctls_statusbar32", a child window that lays itself
// along the bottom of its parent when it gets the parent's WM_SIZE. It is split into parts by
// right edges (-1: to the right end) and shows an icon and a text in each part.
#pragma once

#include "platform/desktop/messages.h"
#include "platform/desktop/win_types.h"

namespace desktop {

// Registers the common control classes (the status bar) for this process.
void InitCommonControls();

inline constexpr const char* STATUSCLASSNAME = "msctls_statusbar32";

// Status-bar styles.
constexpr DWORD CCS_TOP = 0x0001;
constexpr DWORD CCS_BOTTOM = 0x0003;
constexpr DWORD SBARS_SIZEGRIP = 0x0100;

// Messages: SB_SETPARTS (wParam count up to 256, lParam const int* right edges),
// SB_SETTEXT (wParam part | drawing type, lParam const char* UTF-8 text), SB_SETICON (wParam
// part, lParam HICON or 0), SB_SETMINHEIGHT (wParam pixels, the height without the borders).
// SB_GETTEXT copies a part's text to the char* in lParam and returns MAKELONG(length, type);
// SB_GETPARTS copies up to wParam edges to the int* in lParam and returns the part count.
constexpr UINT SB_SETTEXT = WM_USER + 1;
constexpr UINT SB_GETTEXT = WM_USER + 2;
constexpr UINT SB_GETTEXTLENGTH = WM_USER + 3;
constexpr UINT SB_SETPARTS = WM_USER + 4;
constexpr UINT SB_GETPARTS = WM_USER + 6;
constexpr UINT SB_SETMINHEIGHT = WM_USER + 8;
constexpr UINT SB_GETRECT = WM_USER + 10;
constexpr UINT SB_SETICON = WM_USER + 15;
constexpr UINT SB_GETICON = WM_USER + 20;

// Drawing types of SB_SETTEXT (high byte of the low word of wParam); 0 is the sunken border.
constexpr WPARAM SBT_NOBORDERS = 0x0100;
constexpr WPARAM SBT_POPOUT = 0x0200;

}  // namespace desktop
