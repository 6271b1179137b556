// The status bar drawn as the platform draws its own: parts separated at their right edges,
// each with a sunken border, its icon at the small icon size and its text, and a size grip in
// the corner. The parts, texts and icons live in the core; this only draws them.
#include <algorithm>

#include "platform/desktop/gtk/gtk_internal.h"

namespace desktop::gtk {
namespace {

constexpr int kBorder = 1;
constexpr int kGap = 2;
constexpr int kIconSize = 16;
constexpr int kGripSize = 12;

void SunkenFrame(cairo_t* cr, double x, double y, double width, double height) {
    cairo_set_line_width(cr, 1);
    cairo_set_source_rgb(cr, 0.63, 0.63, 0.63);  // shadow: top and left
    cairo_move_to(cr, x + 0.5, y + height);
    cairo_line_to(cr, x + 0.5, y + 0.5);
    cairo_line_to(cr, x + width, y + 0.5);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);  // light: bottom and right
    cairo_move_to(cr, x + width - 0.5, y + 1);
    cairo_line_to(cr, x + width - 0.5, y + height - 0.5);
    cairo_line_to(cr, x + 1, y + height - 0.5);
    cairo_stroke(cr);
}

gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer data) {
    core::Window* w = core::FindWindowRecord(static_cast<HWND>(data));
    if (!w || !w->statusBar) return FALSE;
    int width = gtk_widget_get_allocated_width(widget);
    int height = gtk_widget_get_allocated_height(widget);
    cairo_set_source_rgb(cr, 0.94, 0.94, 0.94);
    cairo_paint(cr);
    bool grip = (w->style & SBARS_SIZEGRIP) != 0;
    int left = 0;
    const auto& parts = w->statusBar->parts;
    for (size_t i = 0; i < parts.size(); ++i) {
        const core::StatusBarPart& part = parts[i];
        int right = part.rightEdge < 0 ? width - (grip ? kGripSize : 0) : part.rightEdge;
        right = std::min(right, width);
        if (right <= left) {
            left = right + kGap;
            continue;
        }
        int top = kBorder, bottom = height - kBorder;
        if (!(part.drawType & SBT_NOBORDERS))
            SunkenFrame(cr, left, top, right - left, bottom - top);
        int x = left + 2 * kBorder + 1;
        if (GdkPixbuf* pixbuf = PixbufOfIcon(part.icon, kIconSize)) {
            gdk_cairo_set_source_pixbuf(cr, pixbuf, x,
                                        top + std::max(0, (bottom - top - kIconSize) / 2));
            cairo_paint(cr);
            g_object_unref(pixbuf);
            x += kIconSize + 2;
        }
        if (!part.text.empty()) {
            PangoLayout* layout = gtk_widget_create_pango_layout(widget, part.text.c_str());
            int textWidth = 0, textHeight = 0;
            pango_layout_get_pixel_size(layout, &textWidth, &textHeight);
            cairo_save(cr);
            cairo_rectangle(cr, left + 1, top + 1, right - left - 2, bottom - top - 2);
            cairo_clip(cr);
            cairo_set_source_rgb(cr, 0, 0, 0);
            cairo_move_to(cr, x, top + (bottom - top - textHeight) / 2.0);
            pango_cairo_show_layout(cr, layout);
            cairo_restore(cr);
            g_object_unref(layout);
        }
        left = right + kGap;
    }
    if (grip) {
        cairo_set_line_width(cr, 1);
        for (int k = 0; k < 3; ++k) {
            double offset = 3 + 4 * k;
            cairo_set_source_rgb(cr, 1, 1, 1);
            cairo_move_to(cr, width - offset + 1, height - 1);
            cairo_line_to(cr, width - 1, height - offset + 1);
            cairo_stroke(cr);
            cairo_set_source_rgb(cr, 0.55, 0.55, 0.55);
            cairo_move_to(cr, width - offset, height - 1);
            cairo_line_to(cr, width - 1, height - offset);
            cairo_stroke(cr);
        }
    }
    return TRUE;
}

// The grip resizes the window it sits in, as the platform's does; a maximised window has no
// size to drag.
gboolean OnButtonPress(GtkWidget* widget, GdkEventButton* e, gpointer data) {
    core::Window* w = core::FindWindowRecord(static_cast<HWND>(data));
    if (!w || !(w->style & SBARS_SIZEGRIP) || e->type != GDK_BUTTON_PRESS || e->button != 1)
        return FALSE;
    const int width = gtk_widget_get_allocated_width(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    if (e->x < width - kGripSize || e->y < height - kGripSize) return FALSE;
    GtkWidget* toplevel = gtk_widget_get_toplevel(widget);
    if (!GTK_IS_WINDOW(toplevel) || gtk_window_is_maximized(GTK_WINDOW(toplevel))) return FALSE;
    gtk_window_begin_resize_drag(GTK_WINDOW(toplevel), GDK_WINDOW_EDGE_SOUTH_EAST,
                                 static_cast<gint>(e->button), static_cast<gint>(e->x_root),
                                 static_cast<gint>(e->y_root), e->time);
    return TRUE;
}

}  // namespace

GtkWidget* CreateStatusBarWidget(HWND statusBar) {
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK);
    g_signal_connect(area, "draw", G_CALLBACK(OnDraw), statusBar);
    g_signal_connect(area, "button-press-event", G_CALLBACK(OnButtonPress), statusBar);
    return area;
}

}  // namespace desktop::gtk
