// The menu bar in GTK, built from the core's menu: items post WM_COMMAND with their id,
// check and radio marks follow the program's calls only, and an unchecked item shows no
// empty box, as the platform's menus.
#include "platform/desktop/gtk/gtk_internal.h"

namespace desktop::gtk {

namespace {

struct MenuItemRef {
    HWND owner;
    HMENU menu;
    size_t index;
};

void OnMenuActivate(GtkMenuItem* item, gpointer data) {
    if (gUpdating) return;
    auto* ref = static_cast<MenuItemRef*>(data);
    const core::Menu* menu = core::FindMenu(ref->menu);
    if (!menu || ref->index >= menu->items.size()) return;
    const core::MenuItem& entry = menu->items[ref->index];
    // A check item toggles itself when chosen; the mark only follows the program's calls.
    if (GTK_IS_CHECK_MENU_ITEM(item)) {
        Updating guard;
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), (entry.state & MF_CHECKED) != 0);
    }
    core::PostInput(ref->owner, WM_COMMAND, MAKEWPARAM(static_cast<int>(entry.id), 0), 0);
}

void ShowMark(GtkWidget* widget, const core::MenuItem& entry) {
    if (!GTK_IS_CHECK_MENU_ITEM(widget)) return;
    Updating guard;
    bool checked = (entry.state & MF_CHECKED) != 0;
    gtk_check_menu_item_set_draw_as_radio(GTK_CHECK_MENU_ITEM(widget),
                                          (entry.state & MFT_RADIOCHECK) != 0);
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget), checked);
    GtkStyleContext* style = gtk_widget_get_style_context(widget);
    if (checked)
        gtk_style_context_remove_class(style, "zantobel-unmarked");
    else
        gtk_style_context_add_class(style, "zantobel-unmarked");
    gtk_widget_set_sensitive(widget, !(entry.state & (MF_GRAYED | MF_DISABLED)));
}

}  // namespace

void FillMenu(GtkWidget* shell, HMENU handle, HWND owner, Native& n) {
    const core::Menu* menu = core::FindMenu(handle);
    if (!menu) return;
    for (size_t i = 0; i < menu->items.size(); ++i) {
        const core::MenuItem& entry = menu->items[i];
        GtkWidget* item = nullptr;
        if (entry.separator) {
            item = gtk_separator_menu_item_new();
        } else if (entry.popup) {
            item = gtk_menu_item_new_with_mnemonic(Mnemonic(entry.text).c_str());
            GtkWidget* submenu = gtk_menu_new();
            FillMenu(submenu, entry.popup, owner, n);
            gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), submenu);
        } else if (GTK_IS_MENU_BAR(shell)) {
            item = gtk_menu_item_new_with_mnemonic(Mnemonic(entry.text).c_str());
        } else {
            item = gtk_check_menu_item_new_with_mnemonic(Mnemonic(entry.text).c_str());
        }
        if (!entry.separator && !entry.popup) {
            auto* ref = new MenuItemRef{owner, handle, i};
            g_signal_connect_data(
                item, "activate", G_CALLBACK(OnMenuActivate), ref,
                [](gpointer data, GClosure*) { delete static_cast<MenuItemRef*>(data); },
                GConnectFlags(0));
            n.menuItems.push_back({item, {handle, i}});
            ShowMark(item, entry);
        }
        gtk_menu_shell_append(GTK_MENU_SHELL(shell), item);
    }
}

void InstallStyles() {
    // An unchecked item keeps the mark column but shows no empty box, as the platform's menus.
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css,
                                    "menuitem.zantobel-unmarked check,"
                                    "menuitem.zantobel-unmarked radio {"
                                    " border-color: transparent; background: none;"
                                    " box-shadow: none; -gtk-icon-source: none; }",
                                    -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(css);
}

void ShowMenuMarks(Native& n) {
    for (auto& [widget, where] : n.menuItems) {
        const core::Menu* menu = core::FindMenu(where.first);
        if (menu && where.second < menu->items.size()) ShowMark(widget, menu->items[where.second]);
    }
}

}  // namespace desktop::gtk
