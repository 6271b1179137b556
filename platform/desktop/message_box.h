// Message boxes: a modal box with a text, a caption and buttons. Like a dialog it runs its own
// message loop with the owner disabled, so timers keep reaching the windows behind it.
#pragma once

#include "platform/desktop/win_types.h"

namespace desktop {

constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_OKCANCEL = 0x0001;
constexpr UINT MB_YESNO = 0x0004;
constexpr UINT MB_ICONERROR = 0x0010;
constexpr UINT MB_ICONQUESTION = 0x0020;
constexpr UINT MB_ICONWARNING = 0x0030;
constexpr UINT MB_ICONINFORMATION = 0x0040;

// Texts are UTF-8; owner may be null. Returns the id of the button pressed (IDOK, IDCANCEL,
// IDYES, IDNO), 0 when the box could not be shown.
int MessageBox(HWND owner, const char* text, const char* caption, UINT type);

}  // namespace desktop
