// Icons, menus, dialogs from the templates windres compiled in, message boxes, the status
// bar's common controls, sound and the tick count: the system's own calls.
#include "platform/desktop/win32/win32_system.h"

namespace desktop {
namespace {

// When a modal dialog or box goes away, a system without composition sends its owner
// WM_PAINT for what it uncovers, and the game counts on that paint (the settings re-create
// the device while their dialog is up). With composition, and under Wine, the owner just
// shows its last image again, so the floor asks for the paint itself.
void RepaintAfterModal(HWND owner) {
    if (owner && ::IsWindow(owner)) ::InvalidateRect(owner, nullptr, FALSE);
}

}  // namespace

HICON LoadIcon(HINSTANCE instance, const char* name) {
    return ::LoadIconA(instance, name);
}
HCURSOR LoadCursor(HINSTANCE instance, const char* name) {
    return ::LoadCursorA(instance, name);
}
HANDLE LoadImage(HINSTANCE instance, const char* name, UINT type, int width, int height,
                 UINT flags) {
    return ::LoadImageA(instance, name, type, width, height, flags);
}
BOOL DestroyIcon(HICON icon) {
    return ::DestroyIcon(icon);
}
HGDIOBJ GetStockObject(int object) {
    return ::GetStockObject(object);
}

HMENU GetMenu(HWND hwnd) {
    return ::GetMenu(hwnd);
}
HMENU LoadMenu(HINSTANCE instance, const char* name) {
    return ::LoadMenuA(instance, name);
}
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
    return ::CheckMenuRadioItem(menu, first, last, check, flags);
}
DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags) {
    return ::CheckMenuItem(menu, item, flags);
}
UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
    return ::GetMenuState(menu, item, flags);
}

INT_PTR DialogBoxParam(HINSTANCE instance, const char* templateName, HWND owner, DLGPROC proc,
                       LPARAM initParam) {
    const INT_PTR result = ::DialogBoxParamA(instance, templateName, owner, proc, initParam);
    RepaintAfterModal(owner);
    return result;
}
BOOL EndDialog(HWND dialog, INT_PTR result) {
    return ::EndDialog(dialog, result);
}
HWND GetDlgItem(HWND dialog, int id) {
    return ::GetDlgItem(dialog, id);
}
BOOL SetDlgItemText(HWND dialog, int id, const char* text) {
    return ::SetDlgItemTextA(dialog, id, text);
}
UINT GetDlgItemText(HWND dialog, int id, char* buffer, int bufferSize) {
    return ::GetDlgItemTextA(dialog, id, buffer, bufferSize);
}
BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
    return ::CheckDlgButton(dialog, id, check);
}
UINT IsDlgButtonChecked(HWND dialog, int id) {
    return ::IsDlgButtonChecked(dialog, id);
}
BOOL CheckRadioButton(HWND dialog, int first, int last, int check) {
    return ::CheckRadioButton(dialog, first, last, check);
}

int MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    const int pressed = ::MessageBoxA(owner, text, caption, type);
    RepaintAfterModal(owner);
    return pressed;
}

void InitCommonControls() {
    ::InitCommonControls();
}

BOOL PlaySound(const char* sound, void* module, DWORD flags) {
    // A resource sound needs the module that holds it; null means the program itself.
    HMODULE holder = module ? static_cast<HMODULE>(module) : ::GetModuleHandleA(nullptr);
    return ::PlaySoundA(sound, holder, flags);
}

DWORD GetTickCount() {
    return ::GetTickCount();
}

}  // namespace desktop
