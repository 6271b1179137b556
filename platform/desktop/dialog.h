// Modal dialogs built from dialog resources. A dialog runs its own message loop until its
// procedure calls EndDialog; meanwhile the owner is disabled (it gets no clicks or keys) but
// its timers keep ticking, so the game goes on behind the dialog. Dialogs may nest.
#pragma once

#include "platform/desktop/win_types.h"

namespace desktop {

using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

// Standard command ids: OK, and cancel (also sent by Esc and the close box).
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDC_STATIC = -1;

// Dialog template styles.
constexpr DWORD DS_SETFONT = 0x0040;
constexpr DWORD DS_MODALFRAME = 0x0080;
constexpr DWORD DS_CENTER = 0x0800;

// Button styles (the low four bits are the kind).
constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
constexpr DWORD BS_CHECKBOX = 0x0002;
constexpr DWORD BS_AUTOCHECKBOX = 0x0003;
constexpr DWORD BS_RADIOBUTTON = 0x0004;
constexpr DWORD BS_3STATE = 0x0005;
constexpr DWORD BS_AUTO3STATE = 0x0006;
constexpr DWORD BS_GROUPBOX = 0x0007;
constexpr DWORD BS_AUTORADIOBUTTON = 0x0009;
constexpr DWORD BS_TYPEMASK = 0x000F;

// Static styles.
constexpr DWORD SS_LEFT = 0x0000;
constexpr DWORD SS_CENTER = 0x0001;
constexpr DWORD SS_RIGHT = 0x0002;
constexpr DWORD SS_ICON = 0x0003;
constexpr DWORD SS_TYPEMASK = 0x001F;

// Button messages: BM_GETCHECK returns BST_*; BM_SETCHECK takes it in wParam; BM_CLICK
// clicks the button as the user would.
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_CLICK = 0x00F5;

// Button states.
constexpr UINT BST_UNCHECKED = 0;
constexpr UINT BST_CHECKED = 1;
constexpr UINT BST_INDETERMINATE = 2;

// Runs the dialog resource `templateName` modally with `owner` disabled: the procedure gets
// WM_INITDIALOG with lParam = initParam, then WM_COMMAND for button clicks (Esc and the close
// box send IDCANCEL). Returns the value given to EndDialog, or -1 when the dialog cannot be
// made (missing or malformed template).
INT_PTR DialogBoxParam(HINSTANCE instance, const char* templateName, HWND owner, DLGPROC proc,
                       LPARAM initParam);
// Ends the modal loop of the dialog once its procedure returns; the owner is enabled again
// when no other dialog of it remains open.
BOOL EndDialog(HWND dialog, INT_PTR result);
// The control with this id in the dialog, null when there is none.
HWND GetDlgItem(HWND dialog, int id);
BOOL SetDlgItemText(HWND dialog, int id, const char* text);
UINT GetDlgItemText(HWND dialog, int id, char* buffer, int bufferSize);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
// Checks the radio button `check` and unchecks the others with ids first..last.
BOOL CheckRadioButton(HWND dialog, int first, int last, int check);

}  // namespace desktop
