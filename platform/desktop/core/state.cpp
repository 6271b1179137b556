// The window manager's records: windows, classes, menus, icons and device contexts by handle,
// the message queue, and the lookups backends and tests use. Names of classes and resources
// match without regard to case, as on the platform.
#include <algorithm>

#include "platform/desktop/core/core_internal.h"

namespace desktop {
namespace core {

State& S() {
    static State state;
    return state;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

WindowClass* FindClass(const char* name) {
    if (!name || IS_INTRESOURCE(name)) return nullptr;
    auto it = S().classes.find(Lower(name));
    return it == S().classes.end() ? nullptr : &it->second;
}

resources::ResourceKey KeyOf(const char* name) {
    if (IS_INTRESOURCE(name))
        return resources::ResourceKey::Id(static_cast<uint16_t>(reinterpret_cast<UINT_PTR>(name)));
    return resources::ResourceKey::Name(name);
}

std::string NameText(const char* name) {
    if (!name) return "";
    if (IS_INTRESOURCE(name)) {
        // Appended, not `"#" + ...`: GCC 12 at -O3 warns falsely (-Wrestrict) on that.
        std::string text = "#";
        text += std::to_string(reinterpret_cast<UINT_PTR>(name));
        return text;
    }
    return name;
}

HWND NewWindow(std::unique_ptr<Window> window) {
    HWND handle = NewHandle<HWND>();
    window->handle = handle;
    S().order.push_back(handle);
    S().windows[handle] = std::move(window);
    return handle;
}

Window* FindWindowRecord(HWND hwnd) {
    auto it = S().windows.find(hwnd);
    return it == S().windows.end() ? nullptr : it->second.get();
}

Window* FindWindowByClass(const std::string& className) {
    for (HWND h : S().order)
        if (Window* w = FindWindowRecord(h); w && Lower(w->className) == Lower(className)) return w;
    return nullptr;
}

const Menu* FindMenu(HMENU menu) {
    auto it = S().menus.find(menu);
    return it == S().menus.end() ? nullptr : it->second.get();
}

const Icon* FindIcon(HICON icon) {
    auto it = S().icons.find(icon);
    return it == S().icons.end() ? nullptr : it->second.get();
}

std::vector<HWND> AllWindows() {
    return S().order;
}

void ResetForTesting() {
    // Destroy top-level windows first so backends see their natives go.
    std::vector<HWND> order = S().order;
    for (HWND h : order)
        if (Window* w = FindWindowRecord(h); w && IsTopLevel(*w)) DestroyWindow(h);
    S() = State{};
}

}  // namespace core

}  // namespace desktop
