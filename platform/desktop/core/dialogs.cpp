// Modal dialogs from the program's dialog templates: the dialog window and its controls at
// their dialog units turned into pixels with the backend's base units, WM_INITDIALOG, the
// modal loop, and the ways a dialog ends (EndDialog, Esc, the close box, its owner).
#include "platform/desktop/core/core_internal.h"

namespace desktop {
namespace core {

namespace {

std::shared_ptr<DialogTemplate> LoadDialogTemplate(const char* name) {
    auto bytes =
        resources::LoadResourceBytes(KeyOf(name), resources::ResourceKey::Id(resources::RT_DIALOG));
    if (bytes.empty()) return nullptr;
    auto dialog = std::make_shared<DialogTemplate>();
    std::string error;
    if (!ReadDialogTemplate(bytes, *dialog, error)) return nullptr;
    return dialog;
}

}  // namespace

LRESULT DialogWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = FindWindowRecord(hwnd);
    if (!w) return 0;
    INT_PTR handled = w->dialogProc ? w->dialogProc(hwnd, message, wParam, lParam) : 0;
    if (handled) return handled;
    if (message == WM_CLOSE) {
        // The close box of a dialog is a cancel, never a destroy; a close request that arrives
        // after the dialog ended (queued behind its OK) has nothing left to cancel.
        w = FindWindowRecord(hwnd);
        if (w && !w->dialogEnded)
            SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return 0;
    }
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_PAINT || message == WM_SETTEXT || message == WM_GETTEXT)
        return DefWindowProc(hwnd, message, wParam, lParam);
    return 0;
}

void DialogCancelled(HWND dialog) {
    Window* d = FindWindowRecord(dialog);
    if (!d || !d->isDialog || d->dialogEnded || !d->enabled) return;
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void DialogCloseBox(HWND dialog) {
    Window* d = FindWindowRecord(dialog);
    if (!d || !d->isDialog || d->dialogEnded || !d->enabled) return;
    SendMessage(dialog, WM_CLOSE, 0, 0);
}

}  // namespace core

using core::FindWindowRecord;
using core::TheBackend;
using core::Window;

INT_PTR DialogBoxParam(HINSTANCE instance, const char* templateName, HWND owner, DLGPROC proc,
                       LPARAM initParam) {
    core::EnsureBuiltins();
    std::shared_ptr<core::DialogTemplate> t =
        templateName ? core::LoadDialogTemplate(templateName) : nullptr;
    if (!t || (owner && !FindWindowRecord(owner))) return -1;
    auto window = std::make_unique<Window>();
    Window& d = *window;
    d.className = core::kDialogClass;
    d.proc = core::DialogWindowProc;
    d.isDialog = true;
    d.dialogProc = proc;
    d.templateName = core::NameText(templateName);
    d.dialogTemplate = t;
    d.text = t->title;
    d.style = t->style & ~WS_VISIBLE;
    d.exStyle = t->exStyle;
    d.owner = owner;
    int baseX = 0, baseY = 0;
    TheBackend().DialogBaseUnits(*t, baseX, baseY);
    auto px = [&](int dlu) { return (dlu * baseX + 2) / 4; };
    auto py = [&](int dlu) { return (dlu * baseY + 4) / 8; };
    d.clientWidth = px(t->cx);
    d.clientHeight = py(t->cy);
    POINT origin{0, 0};
    if (Window* o = FindWindowRecord(owner)) origin = TheBackend().ClientOrigin(*o);
    d.rect = {origin.x + px(t->x), origin.y + py(t->y), origin.x + px(t->x) + d.clientWidth,
              origin.y + py(t->y) + d.clientHeight};
    HWND dialog = core::NewWindow(std::move(window));
    for (const core::DialogTemplateItem& item : t->items) {
        auto control = std::make_unique<Window>();
        Window& c = *control;
        c.className = item.ClassName();
        core::WindowClass* cls = core::FindClass(c.className.c_str());
        c.proc = cls ? cls->proc : DefWindowProc;
        c.item = item;
        c.style = item.style | WS_CHILD;
        c.exStyle = item.exStyle;
        c.parent = dialog;
        c.id = item.id;
        c.text = item.title.isOrdinal ? "" : item.title.text;
        c.visible = (item.style & WS_VISIBLE) != 0;
        c.enabled = !(item.style & WS_DISABLED);
        c.rect = {px(item.x), py(item.y), px(item.x) + px(item.cx), py(item.y) + py(item.cy)};
        c.clientWidth = px(item.cx);
        c.clientHeight = py(item.cy);
        if (core::Lower(c.className) == "static" && (item.style & SS_TYPEMASK) == SS_ICON) {
            const char* iconName = item.title.isOrdinal ? MAKEINTRESOURCE(item.title.ordinal)
                                                        : item.title.text.c_str();
            c.image = static_cast<HICON>(
                LoadImage(instance, iconName, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
        }
        HWND ch = core::NewWindow(std::move(control));
        FindWindowRecord(dialog)->children.push_back(ch);
    }
    TheBackend().CreateDialogNative(*FindWindowRecord(dialog));
    core::HoldOwner(owner);
    HWND focus = nullptr;
    for (HWND ch : FindWindowRecord(dialog)->children)
        if (Window* c = FindWindowRecord(ch); c && (c->style & WS_TABSTOP)) {
            focus = ch;
            break;
        }
    SendMessage(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), initParam);
    Window* d2 = FindWindowRecord(dialog);
    if (d2 && !d2->dialogEnded) {
        ShowWindow(dialog, SW_SHOW);
        TheBackend().DialogReady(*FindWindowRecord(dialog));
        core::RunModalLoop([dialog] {
            Window* w = FindWindowRecord(dialog);
            return !w || w->dialogEnded;
        });
    }
    d2 = FindWindowRecord(dialog);
    INT_PTR result = d2 && d2->dialogEnded ? d2->dialogResult : 0;
    if (d2 && !d2->dialogEnded) EndDialog(dialog, 0);
    DestroyWindow(dialog);
    return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    Window* d = FindWindowRecord(dialog);
    if (!d || !d->isDialog) return FALSE;
    if (d->dialogEnded) return TRUE;
    d->dialogEnded = true;
    d->dialogResult = result;
    core::ReleaseOwner(d->owner);
    if (d->visible) ShowWindow(dialog, SW_HIDE);
    return TRUE;
}

}  // namespace desktop
