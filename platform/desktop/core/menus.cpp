// Menus built from the program's menu templates: each window's menu bar with its popups,
// check marks and radio marks. A change to a menu a window shows is passed to the backend.
#include "platform/desktop/core/core_internal.h"

namespace desktop {
namespace core {

namespace {

HMENU BuildMenu(const std::vector<MenuTemplateItem>& items, HMENU root) {
    auto menu = std::make_unique<Menu>();
    HMENU handle = NewHandle<HMENU>();
    menu->handle = handle;
    if (!root) root = handle;
    for (const MenuTemplateItem& t : items) {
        MenuItem item;
        item.id = t.id;
        item.text = t.text;
        item.separator = t.separator;
        item.state = t.flags & (MF_CHECKED | MF_GRAYED | MF_DISABLED);
        if (t.flags & kMenuPopup) item.popup = BuildMenu(t.children, root);
        menu->items.push_back(std::move(item));
    }
    S().menuRoot[handle] = root;
    S().menus[handle] = std::move(menu);
    return handle;
}

// The menu and index of the item `item` (a command id searched through submenus, or a position).
bool LocateItem(HMENU handle, UINT item, UINT flags, Menu*& menu, size_t& index) {
    auto it = S().menus.find(handle);
    if (it == S().menus.end()) return false;
    Menu& m = *it->second;
    if (flags & MF_BYPOSITION) {
        if (item >= m.items.size()) return false;
        menu = &m;
        index = item;
        return true;
    }
    for (size_t i = 0; i < m.items.size(); ++i) {
        if (!m.items[i].popup && !m.items[i].separator && m.items[i].id == item) {
            menu = &m;
            index = i;
            return true;
        }
        if (m.items[i].popup && LocateItem(m.items[i].popup, item, flags, menu, index)) return true;
    }
    return false;
}

void NotifyMenuChanged(HMENU handle) {
    auto root = S().menuRoot.find(handle);
    if (root == S().menuRoot.end()) return;
    const Menu* top = FindMenu(root->second);
    if (!top || !top->owner) return;
    if (Window* owner = FindWindowRecord(top->owner)) TheBackend().MenuChanged(*owner);
}

}  // namespace

void DestroyMenuTree(HMENU handle) {
    auto it = S().menus.find(handle);
    if (it == S().menus.end()) return;
    std::vector<HMENU> popups;
    for (const MenuItem& item : it->second->items)
        if (item.popup) popups.push_back(item.popup);
    S().menus.erase(it);
    S().menuRoot.erase(handle);
    for (HMENU popup : popups)
        DestroyMenuTree(popup);
}

}  // namespace core

using core::FindWindowRecord;
using core::Window;

HMENU GetMenu(HWND hwnd) {
    Window* w = FindWindowRecord(hwnd);
    return w ? w->menu : nullptr;
}

HMENU LoadMenu(HINSTANCE /*instance*/, const char* name) {
    if (!name) return nullptr;
    auto bytes = resources::LoadResourceBytes(core::KeyOf(name),
                                              resources::ResourceKey::Id(resources::RT_MENU));
    std::vector<core::MenuTemplateItem> items;
    std::string error;
    if (bytes.empty() || !core::ReadMenuTemplate(bytes, items, error)) return nullptr;
    return core::BuildMenu(items, nullptr);
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
    core::Menu* m = nullptr;
    size_t index = 0;
    if (!core::LocateItem(menu, check, flags, m, index)) return FALSE;
    for (size_t i = 0; i < m->items.size(); ++i) {
        core::MenuItem& item = m->items[i];
        UINT key = (flags & MF_BYPOSITION) ? static_cast<UINT>(i) : item.id;
        if (item.separator || item.popup || key < first || key > last) continue;
        if (i == index)
            item.state |= MF_CHECKED | MFT_RADIOCHECK;
        else
            item.state &= ~(MF_CHECKED | MFT_RADIOCHECK);
    }
    core::NotifyMenuChanged(m->handle);
    return TRUE;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags) {
    core::Menu* m = nullptr;
    size_t index = 0;
    if (!core::LocateItem(menu, item, flags, m, index)) return static_cast<DWORD>(-1);
    UINT& state = m->items[index].state;
    DWORD previous = state & MF_CHECKED;
    state = (state & ~(MF_CHECKED | MFT_RADIOCHECK)) | (flags & MF_CHECKED);
    core::NotifyMenuChanged(m->handle);
    return previous;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
    core::Menu* m = nullptr;
    size_t index = 0;
    if (!core::LocateItem(menu, item, flags, m, index)) return static_cast<UINT>(-1);
    const core::MenuItem& it = m->items[index];
    UINT state = it.state;
    if (it.separator) state |= MF_SEPARATOR;
    if (it.popup) {
        const core::Menu* popup = core::FindMenu(it.popup);
        state |= MF_POPUP | (static_cast<UINT>(popup ? popup->items.size() : 0) << 8);
    }
    return state;
}

}  // namespace desktop
