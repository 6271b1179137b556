// Painting in GTK: the present target keeps the 3D layer's last frame and shows it in the
// drawing area, whose draw handler delivers WM_PAINT. While a new size is on its way to the
// program, a draw shows the last frame scaled instead, and only the part of a picture that
// can reach the screen is sent to it.
#include "platform/desktop/gtk/gtk_internal.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <cstring>
#include <vector>

namespace desktop::gtk {

namespace {

// glibc keeps freed blocks below its (self-raising) mapping threshold in the heap; after a
// shrink the copy of a large picture would otherwise stay resident.
void GiveBackFreedPages() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

// The part of a draw that can reach the screen: the draw's clip less whatever lies beyond
// the screen's edges. A window much larger than the screen would otherwise send its whole
// picture to the display on every paint, through shared memory that cairo keeps afterwards.
cairo_rectangle_t ShownPart(GtkWidget* widget, cairo_t* cr) {
    double x0, y0, x1, y1;
    cairo_clip_extents(cr, &x0, &y0, &x1, &y1);
    GdkWindow* gdk = widget ? gtk_widget_get_window(widget) : nullptr;
    if (gdk && gtk_widget_get_realized(widget)) {
        int originX = 0, originY = 0;
        gdk_window_get_origin(gdk, &originX, &originY);
        if (!gtk_widget_get_has_window(widget)) {
            GtkAllocation a;
            gtk_widget_get_allocation(widget, &a);
            originX += a.x;
            originY += a.y;
        }
        GdkScreen* screen = gtk_widget_get_screen(widget);
        x0 = std::max<double>(x0, -originX);
        y0 = std::max<double>(y0, -originY);
        x1 = std::min<double>(x1, gdk_screen_get_width(screen) - originX);
        y1 = std::min<double>(y1, gdk_screen_get_height(screen) - originY);
    }
    return {x0, y0, std::max(0.0, x1 - x0), std::max(0.0, y1 - y0)};
}

// GTK lays out and paints in one frame, but the size message comes right after it (see
// OnSizeAllocate): for that one frame the last picture is shown scaled to the new size, and
// the paint for the new size follows as soon as the program has heard of it.
void DrawStretched(HWND hwnd, Native& n, GtkWidget* widget, cairo_t* cr) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    if (n.image.empty() || n.imageWidth <= 0 || n.imageHeight <= 0) return;
    core::Window* w = core::FindWindowRecord(hwnd);
    if (!w || w->clientWidth <= 0 || w->clientHeight <= 0) return;
    const double sx = static_cast<double>(w->clientWidth) / gtk_widget_get_allocated_width(widget);
    const double sy =
        static_cast<double>(w->clientHeight) / gtk_widget_get_allocated_height(widget);
    const cairo_rectangle_t shown = ShownPart(widget, cr);
    const int left = static_cast<int>(shown.x), top = static_cast<int>(shown.y);
    const int width = static_cast<int>(shown.width), height = static_cast<int>(shown.height);
    if (width <= 0 || height <= 0 || !(sx > 0) || !(sy > 0)) return;
    // Scaled here, nearest pixel, rather than by cairo: a scaled source makes cairo render
    // through shared-memory images whose pages it keeps.
    std::vector<uint32_t> scaled(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const int from = std::min(n.imageHeight - 1, static_cast<int>((top + y) * sy));
        const uint32_t* row = &n.image[static_cast<size_t>(from) * n.imageWidth];
        for (int x = 0; x < width; ++x)
            scaled[static_cast<size_t>(y) * width + x] =
                row[std::min(n.imageWidth - 1, static_cast<int>((left + x) * sx))];
    }
    cairo_surface_t* surface =
        cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(scaled.data()),
                                            CAIRO_FORMAT_RGB24, width, height, width * 4);
    cairo_save(cr);
    cairo_set_source_surface(cr, surface, left, top);
    cairo_rectangle(cr, left, top, width, height);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_surface_destroy(surface);
}

}  // namespace

void WindowPresentTarget::Present(const uint32_t* pixels, int width, int height, int stride) {
    Native* n = NativeOf(hwnd_);
    if (!n || !pixels || width <= 0 || height <= 0 || stride < width) return;
    const size_t needed = static_cast<size_t>(width) * height;
    // After a shrink the copy of a much larger picture is given back, not kept for good.
    if (n->image.capacity() / 2 > needed) {
        n->image = std::vector<uint32_t>(needed);
        GiveBackFreedPages();
    } else {
        n->image.resize(needed);
    }
    for (int y = 0; y < height; ++y)
        std::memcpy(&n->image[static_cast<size_t>(y) * width],
                    pixels + static_cast<size_t>(y) * stride, sizeof(uint32_t) * width);
    n->imageWidth = width;
    n->imageHeight = height;
    if (n->paintCr)
        Blit(*n, n->paintCr);
    else if (n->drawing)
        gtk_widget_queue_draw(n->drawing);
}

void WindowPresentTarget::Blit(Native& n, cairo_t* cr) {
    if (n.image.empty()) return;
    int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, n.imageWidth);
    if (stride != n.imageWidth * 4) return;
    cairo_rectangle_t shown = ShownPart(n.drawing, cr);
    const double right = std::min<double>(shown.x + shown.width, n.imageWidth);
    const double bottom = std::min<double>(shown.y + shown.height, n.imageHeight);
    if (right <= shown.x || bottom <= shown.y) return;
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(n.image.data()), CAIRO_FORMAT_RGB24, n.imageWidth,
        n.imageHeight, stride);
    cairo_save(cr);
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_rectangle(cr, shown.x, shown.y, right - shown.x, bottom - shown.y);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_surface_destroy(surface);
}

gboolean OnClientDraw(GtkWidget* widget, cairo_t* cr, gpointer data) {
    HWND hwnd = HandleOf(data);
    Native* n = NativeOf(hwnd);
    if (!n) return FALSE;
    if (n->sizePending) {
        DrawStretched(hwnd, *n, widget, cr);
        n->drawAfterSize = true;
        return TRUE;
    }
    // What was last presented stays on screen unless the paint presents anew, as a window's
    // contents stay on the platform's screen until repainted.
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    WindowPresentTarget::Blit(*n, cr);
    n->paintCr = cr;
    core::PaintNow(hwnd);
    if ((n = NativeOf(hwnd))) n->paintCr = nullptr;
    return TRUE;
}

}  // namespace desktop::gtk
