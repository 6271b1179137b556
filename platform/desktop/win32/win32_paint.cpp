// Painting through GDI: the update region, device contexts, and the present target that puts
// the 3D layer's finished frames into the window with SetDIBitsToDevice. The target keeps the
// last frame, which stands in for the background until the next one (see EraseWithLastFrame).
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "platform/desktop/win32/win32_system.h"

namespace desktop {
namespace {

using win32::AsSystem;

::BITMAPINFO FrameInfo(int strideInPixels, int height) {
    ::BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = strideInPixels;
    info.bmiHeader.biHeight = -height;  // top-down rows, as the frame holds them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;  // 0x00RRGGBB in memory is the DIB's B, G, R, 0
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// The frame goes to the top-left of the client area: the scene area the device was made for.
class GdiPresentTarget : public platform::PresentTarget {
  public:
    explicit GdiPresentTarget(HWND hwnd) : hwnd_(hwnd) {}

    void Present(const uint32_t* pixels, int width, int height, int strideInPixels) override {
        if (!pixels || width <= 0 || height <= 0 || strideInPixels < width) return;
        Keep(pixels, width, height, strideInPixels);
        const ::BITMAPINFO info = FrameInfo(strideInPixels, height);
        ::HDC dc = ::GetDC(hwnd_);
        if (!dc) return;
        ::SetDIBitsToDevice(dc, 0, 0, width, height, 0, 0, 0, height, pixels, &info,
                            DIB_RGB_COLORS);
        ::ReleaseDC(hwnd_, dc);
    }

    // The system erases a window's background as soon as its size changes, before the
    // program has heard of the new size and drawn for it; with the class's null brush that
    // leaves a freshly allocated surface (black under Wine) on screen until the next frame.
    // The last frame, scaled to the new scene area, stands in for it, as on Linux.
    bool DrawLastFrame(::HDC dc) const {
        ::RECT client{};
        if (last_.empty() || !::GetClientRect(hwnd_, &client)) return false;
        // The strip below the scene (the status bar) keeps its height.
        const int width = client.right, height = client.bottom - belowScene_;
        if (width <= 0 || height <= 0) return false;
        const ::BITMAPINFO info = FrameInfo(lastWidth_, lastHeight_);
        ::SetStretchBltMode(dc, COLORONCOLOR);
        return ::StretchDIBits(dc, 0, 0, width, height, 0, 0, lastWidth_, lastHeight_, last_.data(),
                               &info, DIB_RGB_COLORS, SRCCOPY) != 0;
    }

  private:
    void Keep(const uint32_t* pixels, int width, int height, int strideInPixels) {
        last_.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
        for (int y = 0; y < height; ++y)
            std::memcpy(&last_[static_cast<size_t>(y) * static_cast<size_t>(width)],
                        pixels + static_cast<size_t>(y) * static_cast<size_t>(strideInPixels),
                        static_cast<size_t>(width) * sizeof(uint32_t));
        lastWidth_ = width;
        lastHeight_ = height;
        ::RECT client{};
        belowScene_ = ::GetClientRect(hwnd_, &client) && client.bottom > height
                          ? static_cast<int>(client.bottom) - height
                          : 0;
    }

    HWND hwnd_;
    std::vector<uint32_t> last_;
    int lastWidth_ = 0, lastHeight_ = 0;
    int belowScene_ = 0;
};

std::map<HWND, std::unique_ptr<GdiPresentTarget>>& Targets() {
    // One target per window handle, kept for the program's life: a target holds the handle
    // and the last frame, and once the window is gone its GetDC fails and it draws nothing.
    static std::map<HWND, std::unique_ptr<GdiPresentTarget>> targets;
    return targets;
}

}  // namespace

namespace win32 {

bool EraseWithLastFrame(HWND hwnd, HDC dc) {
    auto it = Targets().find(hwnd);
    return dc && it != Targets().end() && it->second->DrawLastFrame(dc);
}

}  // namespace win32

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
    std::unique_ptr<GdiPresentTarget>& target = Targets()[hwnd];
    if (!target) target = std::make_unique<GdiPresentTarget>(hwnd);
    return target.get();
}

}  // namespace desktop
