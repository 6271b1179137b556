// A dialog's controls: buttons and their check states (auto check boxes, three-state boxes
// and radio groups toggle themselves as on the platform), a click turned into WM_COMMAND for
// the dialog procedure, and the item calls by control id.
#include <algorithm>

#include "platform/desktop/core/core_internal.h"

namespace desktop {
namespace core {

LRESULT ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return 0;
    switch (message) {
        case BM_GETCHECK:
            return w->check;
        case BM_SETCHECK:
            if (w->check != wParam && wParam <= BST_INDETERMINATE) {
                w->check = static_cast<UINT>(wParam);
                TheBackend().CheckChanged(*w);
            }
            return 0;
        case BM_CLICK:
            ControlClicked(hwnd);
            return 0;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

void ControlClicked(HWND control) {
    Window* c = FindWindowRecord(control);
    if (!c || !c->enabled) return;
    Window* dialog = FindWindowRecord(c->parent);
    if (!dialog) return;
    if (Lower(c->className) == "button") {
        DWORD kind = c->style & BS_TYPEMASK;
        if (kind == BS_AUTOCHECKBOX) {
            SendMessage(control, BM_SETCHECK, c->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED,
                        0);
        } else if (kind == BS_AUTO3STATE) {
            SendMessage(control, BM_SETCHECK, (c->check + 1) % 3, 0);
        } else if (kind == BS_AUTORADIOBUTTON) {
            // The group runs from the control with WS_GROUP at or before this one to the next.
            const std::vector<HWND>& siblings = dialog->children;
            auto self = std::find(siblings.begin(), siblings.end(), control);
            auto first = self;
            while (first != siblings.begin()) {
                Window* s = FindWindowRecord(*first);
                if (s && (s->style & WS_GROUP)) break;
                --first;
            }
            for (auto it = first; it != siblings.end(); ++it) {
                Window* s = FindWindowRecord(*it);
                if (!s) continue;
                if (it != first && (s->style & WS_GROUP)) break;
                if (Lower(s->className) == "button" &&
                    (s->style & BS_TYPEMASK) == BS_AUTORADIOBUTTON)
                    SendMessage(*it, BM_SETCHECK, *it == control ? BST_CHECKED : BST_UNCHECKED, 0);
            }
        }
    }
    SendMessage(dialog->handle, WM_COMMAND, MAKEWPARAM(c->id, BN_CLICKED),
                reinterpret_cast<LPARAM>(control));
}

void ControlCheckSet(HWND control, UINT check) {
    if (Window* c = FindWindowRecord(control)) c->check = check;
}

}  // namespace core

using core::FindWindowRecord;
using core::Window;

HWND GetDlgItem(HWND dialog, int id) {
    Window* d = FindWindowRecord(dialog);
    if (!d) return nullptr;
    for (HWND ch : d->children)
        if (Window* c = FindWindowRecord(ch); c && c->id == id) return ch;
    return nullptr;
}

BOOL SetDlgItemText(HWND dialog, int id, const char* text) {
    HWND control = GetDlgItem(dialog, id);
    return control ? SetWindowText(control, text) : FALSE;
}

UINT GetDlgItemText(HWND dialog, int id, char* buffer, int size) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) {
        if (buffer && size > 0) buffer[0] = '\0';
        return 0;
    }
    return static_cast<UINT>(GetWindowText(control, buffer, size));
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return FALSE;
    SendMessage(control, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control ? static_cast<UINT>(SendMessage(control, BM_GETCHECK, 0, 0)) : 0;
}

BOOL CheckRadioButton(HWND dialog, int first, int last, int check) {
    Window* d = FindWindowRecord(dialog);
    if (!d) return FALSE;
    for (HWND ch : d->children)
        if (Window* c = FindWindowRecord(ch); c && c->id >= first && c->id <= last)
            SendMessage(ch, BM_SETCHECK, c->id == check ? BST_CHECKED : BST_UNCHECKED, 0);
    return TRUE;
}

}  // namespace desktop
