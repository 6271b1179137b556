// Menus built from menu resources: the menu bar of a window and the check marks of its items.
// Choosing an item sends WM_COMMAND to the window with the item's id and a zero high word.
#pragma once

#include "platform/desktop/win_types.h"

namespace desktop {

// Flags of the menu calls.
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT MFT_RADIOCHECK = 0x0200;

// The window's menu bar, null when it has none.
HMENU GetMenu(HWND hwnd);
// A menu resource of the program, not attached to any window (for tests and tools).
HMENU LoadMenu(HINSTANCE instance, const char* name);
// Checks item `check` with a radio bullet and unchecks the other items from first to last
// (ids with MF_BYCOMMAND, searched through submenus; positions with MF_BYPOSITION). FALSE
// when check is not found.
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);
// Sets or clears a check mark (MF_CHECKED); returns the previous state or (DWORD)-1.
DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags);
// MF_CHECKED / MF_GRAYED / MF_POPUP / MF_SEPARATOR / MFT_RADIOCHECK bits of an item, or
// (UINT)-1 when there is no such item.
UINT GetMenuState(HMENU menu, UINT item, UINT flags);

}  // namespace desktop
