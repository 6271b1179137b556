// Painting through GDI: the update region, device contexts, and the present target that puts
// the 3D layer's finished frames into the window with SetDIBitsToDevice.
#include <map>
#include <memory>

#include "platform/desktop/win32/win32_system.h"

namespace desktop {
namespace {

using win32::AsSystem;

// The frame goes to the top-left of the client area: the scene area the device was made for.
class GdiPresentTarget : public platform::PresentTarget {
  public:
    explicit GdiPresentTarget(HWND hwnd) : hwnd_(hwnd) {}

    void Present(const uint32_t* pixels, int width, int height, int strideInPixels) override {
        if (!pixels || width <= 0 || height <= 0 || strideInPixels < width) return;
        ::BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = strideInPixels;
        info.bmiHeader.biHeight = -height;  // top-down rows, as the frame holds them
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;  // 0x00RRGGBB in memory is the DIB's B, G, R, 0
        info.bmiHeader.biCompression = BI_RGB;
        ::HDC dc = ::GetDC(hwnd_);
        if (!dc) return;
        ::SetDIBitsToDevice(dc, 0, 0, width, height, 0, 0, 0, height, pixels, &info,
                            DIB_RGB_COLORS);
        ::ReleaseDC(hwnd_, dc);
    }

  private:
    HWND hwnd_;
};

}  // namespace

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    return ::InvalidateRect(hwnd, AsSystem<::RECT>(rect), erase);
}
BOOL ValidateRect(HWND hwnd, const RECT* rect) {
    return ::ValidateRect(hwnd, AsSystem<::RECT>(rect));
}
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase) {
    return ::GetUpdateRect(hwnd, AsSystem<::RECT>(rect), erase);
}
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
    return ::BeginPaint(hwnd, AsSystem<::PAINTSTRUCT>(ps));
}
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
    return ::EndPaint(hwnd, AsSystem<::PAINTSTRUCT>(ps));
}
HDC GetDC(HWND hwnd) {
    return ::GetDC(hwnd);
}
int ReleaseDC(HWND hwnd, HDC dc) {
    return ::ReleaseDC(hwnd, dc);
}
int GetDeviceCaps(HDC dc, int index) {
    return ::GetDeviceCaps(dc, index);
}

platform::PresentTarget* GetWindowPresentTarget(HWND hwnd) {
    if (!::IsWindow(hwnd)) return nullptr;
    // One target per window handle, kept for the program's life: a target holds nothing but
    // the handle, and once the window is gone its GetDC fails and it draws nothing.
    static std::map<HWND, std::unique_ptr<GdiPresentTarget>> targets;
    std::unique_ptr<GdiPresentTarget>& target = targets[hwnd];
    if (!target) target = std::make_unique<GdiPresentTarget>(hwnd);
    return target.get();
}

}  // namespace desktop
