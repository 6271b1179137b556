// Dialogs from templates as GtkDialogs: each control sits in a GtkFixed at its dialog units
// turned into pixels with the base units of the template's font, measured with Pango as the
// platform measures its dialog font. Clicks, Esc and the close box become WM_COMMAND for the
// dialog procedure; message boxes are GtkMessageDialogs. Both run the core's modal loop, so
// the owner's timers keep ticking.
#include <map>
#include <string>

#include "platform/desktop/gtk/gtk_internal.h"

namespace desktop::gtk {
namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// A CSS class per dialog font, so the dialog and everything in it use the template's font.
std::string FontClass(const core::DialogTemplate& t) {
    static std::map<std::string, std::string> classes;
    if (t.pointSize == 0 || t.typeface.empty()) return "";
    std::string key = t.typeface + "/" + std::to_string(t.pointSize) + "/" +
                      std::to_string(t.weight) + (t.italic ? "i" : "");
    auto it = classes.find(key);
    if (it != classes.end()) return it->second;
    std::string name = "zantobel-dialog-font-" + std::to_string(classes.size());
    std::string family;
    for (char c : t.typeface)
        if (c != '"' && c != '\\') family += c;
    std::string css = "." + name + ", ." + name + " * { font-family: \"" + family +
                      "\"; font-size: " + std::to_string(t.pointSize) + "pt;" +
                      (t.weight >= 600 ? " font-weight: bold;" : "") +
                      (t.italic ? " font-style: italic;" : "") + " }";
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                              GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
    classes[key] = name;
    return name;
}

HWND HandleOf(gpointer data) {
    return static_cast<HWND>(data);
}

void OnClicked(GtkWidget*, gpointer data) {
    if (gUpdating) return;
    HWND control = HandleOf(data);
    core::ControlClicked(control);
    // The widget shows what the control's state is now, whatever GTK toggled by itself.
    if (core::Window* c = core::FindWindowRecord(control)) SyncControl(*c);
}

void OnRadioToggled(GtkToggleButton* button, gpointer data) {
    // A radio button is only clicked on its way in; GTK's own toggling off is not a click.
    if (gUpdating || !gtk_toggle_button_get_active(button)) return;
    OnClicked(GTK_WIDGET(button), data);
}

// The core owns every dialog widget's life: GTK's own ways of ending a dialog (Esc runs the
// dialog's "close", the close box and Alt+F4 a delete event, whose default destroys the window)
// are turned into the platform's messages, and the widgets stay until DestroyWindow.
void OnEscape(GtkDialog* dialog, gpointer data) {
    g_signal_stop_emission_by_name(dialog, "close");
    core::DialogCancelled(HandleOf(data));
}

gboolean OnDialogDelete(GtkWidget*, GdkEvent*, gpointer data) {
    core::DialogCloseBox(HandleOf(data));
    return TRUE;
}

GtkWidget* MakeControl(core::Window& c, GtkWidget* dialogWindow) {
    Native& n = *static_cast<Native*>(c.native.get());
    std::string cls = Lower(c.className);
    gpointer handle = c.handle;
    if (cls == "button") {
        DWORD kind = c.style & BS_TYPEMASK;
        GtkWidget* widget = nullptr;
        switch (kind) {
            case BS_CHECKBOX:
            case BS_AUTOCHECKBOX:
            case BS_3STATE:
            case BS_AUTO3STATE:
                widget = gtk_check_button_new_with_mnemonic(Mnemonic(c.text).c_str());
                g_signal_connect(widget, "clicked", G_CALLBACK(OnClicked), handle);
                return widget;
            case BS_RADIOBUTTON:
            case BS_AUTORADIOBUTTON:
                // Every radio button has a hidden partner in its GTK group, so it can show
                // "unchecked" even when no button of its platform group is checked; the platform's
                // group logic lives in the core.
                widget = gtk_radio_button_new_with_mnemonic(nullptr, Mnemonic(c.text).c_str());
                n.radioNone = gtk_radio_button_new_from_widget(GTK_RADIO_BUTTON(widget));
                g_object_ref_sink(n.radioNone);
                gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(n.radioNone), TRUE);
                g_signal_connect(widget, "toggled", G_CALLBACK(OnRadioToggled), handle);
                return widget;
            case BS_GROUPBOX: {
                widget = gtk_frame_new(c.text.c_str());
                return widget;
            }
            default:
                widget = gtk_button_new_with_mnemonic(Mnemonic(c.text).c_str());
                g_signal_connect(widget, "clicked", G_CALLBACK(OnClicked), handle);
                if (kind == BS_DEFPUSHBUTTON) {
                    gtk_widget_set_can_default(widget, TRUE);
                    gtk_window_set_default(GTK_WINDOW(dialogWindow), widget);
                }
                return widget;
        }
    }
    if (cls == "static") {
        DWORD kind = c.style & SS_TYPEMASK;
        if (kind == SS_ICON) {
            // An icon control takes the icon's own size, whatever the template says.
            GdkPixbuf* pixbuf = PixbufOfIcon(c.image, 32);
            GtkWidget* image = pixbuf ? gtk_image_new_from_pixbuf(pixbuf) : gtk_image_new();
            if (pixbuf) g_object_unref(pixbuf);
            gtk_widget_set_halign(image, GTK_ALIGN_START);
            gtk_widget_set_valign(image, GTK_ALIGN_START);
            return image;
        }
        GtkWidget* label = gtk_label_new(c.text.c_str());
        gtk_label_set_xalign(GTK_LABEL(label), kind == SS_CENTER  ? 0.5f
                                               : kind == SS_RIGHT ? 1.0f
                                                                  : 0.0f);
        gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
        return label;
    }
    if (cls == "edit") {
        GtkWidget* entry = gtk_entry_new();
        gtk_entry_set_text(GTK_ENTRY(entry), c.text.c_str());
        return entry;
    }
    return gtk_label_new(c.text.c_str());
}

int ButtonOf(gint response, UINT type) {
    switch (response) {
        case GTK_RESPONSE_OK:
            return IDOK;
        case GTK_RESPONSE_CANCEL:
            return IDCANCEL;
        case GTK_RESPONSE_YES:
            return IDYES;
        case GTK_RESPONSE_NO:
            return IDNO;
        default:
            // Esc or the close box: cancel where there is one, otherwise the only button.
            return (type & 0xF) == MB_OK ? IDOK : IDCANCEL;
    }
}

}  // namespace

void DialogUnits(const core::DialogTemplate& t, int& baseX, int& baseY) {
    baseX = 7;
    baseY = 13;
    if (!EnsureGtk()) return;
    PangoContext* context = gdk_pango_context_get_for_screen(gdk_screen_get_default());
    PangoFontDescription* font =
        pango_font_description_from_string(t.typeface.empty() ? "Sans" : t.typeface.c_str());
    if (!t.typeface.empty()) pango_font_description_set_family(font, t.typeface.c_str());
    pango_font_description_set_size(font, (t.pointSize ? t.pointSize : 9) * PANGO_SCALE);
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, font);
    pango_layout_set_text(layout, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", -1);
    PangoRectangle ink, logical;
    pango_layout_get_pixel_extents(layout, &ink, &logical);
    // The platform's average character width: the 52 letters' width / 52, rounded.
    baseX = (logical.width / 26 + 1) / 2;
    PangoFontMetrics* metrics = pango_context_get_metrics(context, font, nullptr);
    baseY = PANGO_PIXELS(pango_font_metrics_get_ascent(metrics)) +
            PANGO_PIXELS(pango_font_metrics_get_descent(metrics));
    pango_font_metrics_unref(metrics);
    g_object_unref(layout);
    pango_font_description_free(font);
    g_object_unref(context);
    if (baseX <= 0) baseX = 7;
    if (baseY <= 0) baseY = 13;
}

void CreateDialogWidgets(core::Window& dialog) {
    if (!EnsureGtk()) return;
    auto native = std::make_unique<Native>();
    Native& n = *native;
    n.window = gtk_dialog_new();
    gtk_window_set_title(GTK_WINDOW(n.window), dialog.text.c_str());
    gtk_window_set_resizable(GTK_WINDOW(n.window), FALSE);
    gtk_window_set_modal(GTK_WINDOW(n.window), TRUE);
    gtk_window_set_type_hint(GTK_WINDOW(n.window), GDK_WINDOW_TYPE_HINT_DIALOG);
    if (core::Window* owner = core::FindWindowRecord(dialog.owner)) {
        Native* on = NativeOf(*owner);
        if (on && on->window)
            gtk_window_set_transient_for(GTK_WINDOW(n.window), GTK_WINDOW(on->window));
    }
    if (dialog.dialogTemplate) {
        std::string font = FontClass(*dialog.dialogTemplate);
        if (!font.empty())
            gtk_style_context_add_class(gtk_widget_get_style_context(n.window), font.c_str());
    }
    GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(n.window));
    gtk_container_set_border_width(GTK_CONTAINER(content), 0);
    gtk_box_set_spacing(GTK_BOX(content), 0);
    n.fixed = gtk_fixed_new();
    gtk_widget_set_has_window(n.fixed, TRUE);
    gtk_widget_set_size_request(n.fixed, dialog.clientWidth, dialog.clientHeight);
    gtk_box_pack_start(GTK_BOX(content), n.fixed, TRUE, TRUE, 0);
    gpointer handle = dialog.handle;
    g_signal_connect(n.window, "close", G_CALLBACK(OnEscape), handle);
    g_signal_connect(n.window, "delete-event", G_CALLBACK(OnDialogDelete), handle);
    g_signal_connect(n.window, "configure-event", G_CALLBACK(OnConfigure), handle);
    GtkWidget* window = n.window;
    GtkWidget* fixed = n.fixed;
    dialog.native = std::move(native);
    GtkWidget* focus = nullptr;
    for (HWND ch : dialog.children) {
        core::Window* c = core::FindWindowRecord(ch);
        if (!c) continue;
        c->native = std::make_unique<Native>();
        GtkWidget* widget = MakeControl(*c, window);
        NativeOf(*c)->widget = widget;
        gtk_widget_set_size_request(widget, c->clientWidth, c->clientHeight);
        gtk_fixed_put(GTK_FIXED(fixed), widget, c->rect.left, c->rect.top);
        gtk_widget_set_sensitive(widget, c->enabled);
        gtk_widget_set_no_show_all(widget, !c->visible);
        if (!focus && (c->style & WS_TABSTOP) && gtk_widget_get_can_focus(widget)) focus = widget;
        SyncControl(*c);
    }
    if (focus) gtk_window_set_focus(GTK_WINDOW(window), focus);
    gtk_window_move(GTK_WINDOW(window), dialog.rect.left, dialog.rect.top);
}

void SyncControl(core::Window& c) {
    Native* n = NativeOf(c);
    if (!n || !n->widget) return;
    Updating guard;
    GtkWidget* w = n->widget;
    if (GTK_IS_RADIO_BUTTON(w) && n->radioNone) {
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(c.check == BST_CHECKED ? w : n->radioNone),
                                     TRUE);
        gtk_button_set_label(GTK_BUTTON(w), Mnemonic(c.text).c_str());
    } else if (GTK_IS_CHECK_BUTTON(w)) {
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w), c.check == BST_CHECKED);
        gtk_toggle_button_set_inconsistent(GTK_TOGGLE_BUTTON(w), c.check == BST_INDETERMINATE);
        gtk_button_set_label(GTK_BUTTON(w), Mnemonic(c.text).c_str());
    } else if (GTK_IS_BUTTON(w)) {
        gtk_button_set_label(GTK_BUTTON(w), Mnemonic(c.text).c_str());
    } else if (GTK_IS_FRAME(w)) {
        gtk_frame_set_label(GTK_FRAME(w), c.text.c_str());
    } else if (GTK_IS_LABEL(w)) {
        gtk_label_set_text(GTK_LABEL(w), c.text.c_str());
    } else if (GTK_IS_ENTRY(w)) {
        gtk_entry_set_text(GTK_ENTRY(w), c.text.c_str());
    }
}

int ShowMessageBox(const core::MessageBoxRequest& request) {
    GtkWindow* parent = nullptr;
    if (core::Window* owner = core::FindWindowRecord(request.owner)) {
        Native* n = NativeOf(*owner);
        if (n && n->window) parent = GTK_WINDOW(n->window);
    }
    UINT icon = request.type & 0xF0;
    GtkMessageType kind = icon == MB_ICONERROR         ? GTK_MESSAGE_ERROR
                          : icon == MB_ICONWARNING     ? GTK_MESSAGE_WARNING
                          : icon == MB_ICONQUESTION    ? GTK_MESSAGE_QUESTION
                          : icon == MB_ICONINFORMATION ? GTK_MESSAGE_INFO
                                                       : GTK_MESSAGE_OTHER;
    GtkButtonsType buttons = (request.type & 0xF) == MB_OKCANCEL ? GTK_BUTTONS_OK_CANCEL
                             : (request.type & 0xF) == MB_YESNO  ? GTK_BUTTONS_YES_NO
                                                                 : GTK_BUTTONS_OK;
    GtkWidget* box =
        gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, kind, buttons, "%s", request.text.c_str());
    gtk_window_set_title(GTK_WINDOW(box), request.caption.c_str());
    // Return answers with the first button, as on the platform: it is the default and has the
    // focus (not the selectable text).
    const gint first = buttons == GTK_BUTTONS_YES_NO ? GTK_RESPONSE_YES : GTK_RESPONSE_OK;
    gtk_dialog_set_default_response(GTK_DIALOG(box), first);
    gint response = GTK_RESPONSE_NONE;
    bool answered = false;
    struct Answer {
        gint* response;
        bool* answered;
    } answer{&response, &answered};
    g_signal_connect(box, "response", G_CALLBACK(+[](GtkDialog*, gint r, gpointer data) {
                         auto* a = static_cast<Answer*>(data);
                         *a->response = r;
                         *a->answered = true;
                     }),
                     &answer);
    // Esc and the close box answer through "response" (GtkDialog's own delete handling runs
    // first); the box itself stays until it is destroyed below, once.
    g_signal_connect(box, "delete-event", G_CALLBACK(gtk_true), nullptr);
    gtk_widget_show_all(box);
    if (GtkWidget* button = gtk_dialog_get_widget_for_response(GTK_DIALOG(box), first))
        gtk_widget_grab_focus(button);
    gtk_window_present(GTK_WINDOW(box));
    bool finished = core::RunModalLoop([&] { return answered; });
    gtk_widget_destroy(box);
    return finished ? ButtonOf(response, request.type) : 0;
}

std::string Mnemonic(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size() && text[i + 1] == '&') {
            out += '&';
            ++i;
        } else if (text[i] == '&') {
            out += '_';
        } else if (text[i] == '_') {
            out += "__";
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace desktop::gtk
