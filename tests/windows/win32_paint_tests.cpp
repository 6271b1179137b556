// The Windows floor under the system itself: a window whose frames the 3D layer presents
// erases its background with the last frame scaled to the present scene area, so a size
// change shows no cleared surface before the next frame; a window without a frame keeps
// the class's null brush, which erases nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <vector>

// The system headers come with the floor's; their constants are macros, so they are used
// unqualified (the floor's equal them).
#include "platform/desktop/win32/win32_system.h"

namespace {

constexpr uint32_t kTopLeft = 0xFF0000, kTopRight = 0x00FF00, kBottomLeft = 0x0000FF,
                   kBottomRight = 0xFFFF00, kUntouched = 0x123456;
constexpr int kBelowScene = 20;  // the status bar's strip under the scene

LRESULT Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return desktop::DefWindowProc(hwnd, message, wParam, lParam);
}

HWND MakeWindow() {
    static const bool registered = [] {
        desktop::WNDCLASS windowClass{};
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = desktop::GetModuleHandle(nullptr);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(desktop::GetStockObject(NULL_BRUSH));
        windowClass.lpszClassName = "EraseTest";
        return desktop::RegisterClass(&windowClass) != 0;
    }();
    if (!registered) {
        std::fprintf(stderr, "RegisterClass failed: %lu\n", ::GetLastError());
        return nullptr;
    }
    return desktop::CreateWindowEx(0, "EraseTest", "erase", WS_OVERLAPPEDWINDOW, 0, 0, 300, 260,
                                   nullptr, nullptr, desktop::GetModuleHandle(nullptr), nullptr);
}

::RECT ClientOf(HWND hwnd) {
    ::RECT client{};
    ::GetClientRect(hwnd, &client);
    return client;
}

// A frame of the scene area of the window's present client size: four coloured quarters.
void PresentQuarters(HWND hwnd) {
    const ::RECT client = ClientOf(hwnd);
    const int width = client.right, height = client.bottom - kBelowScene;
    std::vector<uint32_t> frame(static_cast<size_t>(width * height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            frame[static_cast<size_t>(y * width + x)] =
                y < height / 2 ? (x < width / 2 ? kTopLeft : kTopRight)
                               : (x < width / 2 ? kBottomLeft : kBottomRight);
    desktop::GetWindowPresentTarget(hwnd)->Present(frame.data(), width, height, width);
}

// A memory surface of the window's client size, filled with kUntouched, erased by the
// window's procedure.
struct Erased {
    LRESULT result = 0;
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const {
        return pixels[static_cast<size_t>(y * width + x)] & 0xFFFFFF;
    }
};

Erased EraseInto(HWND hwnd) {
    Erased out;
    const ::RECT client = ClientOf(hwnd);
    out.width = client.right;
    out.height = client.bottom;
    ::BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = out.width;
    info.bmiHeader.biHeight = -out.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    ::HDC dc = ::CreateCompatibleDC(nullptr);
    ::HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dc || !bitmap || !bits) return out;
    ::HGDIOBJ previous = ::SelectObject(dc, bitmap);
    auto* pixels = static_cast<uint32_t*>(bits);
    std::fill(pixels, pixels + out.width * out.height, kUntouched);
    out.result = desktop::SendMessage(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ::GdiFlush();
    out.pixels.assign(pixels, pixels + out.width * out.height);
    ::SelectObject(dc, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return out;
}

TEST(Win32Erase, AfterAFrameTheLastFrameFillsTheNewSceneAreaScaled) {
    struct Case {
        const char* what;
        int outerWidth, outerHeight;
    };
    for (const Case& c : {Case{"same size", 300, 260}, Case{"larger", 520, 430},
                          Case{"smaller", 220, 200}, Case{"wider only", 480, 260}}) {
        SCOPED_TRACE(c.what);
        HWND hwnd = MakeWindow();
        ASSERT_NE(hwnd, nullptr);
        PresentQuarters(hwnd);
        desktop::MoveWindow(hwnd, 0, 0, c.outerWidth, c.outerHeight, FALSE);
        const Erased erased = EraseInto(hwnd);
        ASSERT_FALSE(erased.pixels.empty());
        EXPECT_NE(erased.result, 0) << "the erase is reported done";
        const int w = erased.width, h = erased.height - kBelowScene;
        EXPECT_EQ(erased.At(w / 4, h / 4), kTopLeft);
        EXPECT_EQ(erased.At(3 * w / 4, h / 4), kTopRight);
        EXPECT_EQ(erased.At(w / 4, 3 * h / 4), kBottomLeft);
        EXPECT_EQ(erased.At(3 * w / 4, 3 * h / 4), kBottomRight);
        EXPECT_EQ(erased.At(w - 1, h - 1), kBottomRight) << "the frame reaches the far corner";
        EXPECT_EQ(erased.At(w / 2, h + kBelowScene / 2), kUntouched)
            << "the status bar's strip is left to the status bar";
        desktop::DestroyWindow(hwnd);
    }
}

TEST(Win32Erase, WithoutAFrameOrASceneAreaTheNullBrushErasesNothing) {
    HWND hwnd = MakeWindow();
    ASSERT_NE(hwnd, nullptr);
    Erased erased = EraseInto(hwnd);
    ASSERT_FALSE(erased.pixels.empty());
    EXPECT_EQ(erased.At(erased.width / 2, erased.height / 2), kUntouched) << "no frame yet";
    PresentQuarters(hwnd);
    // A client area no taller than the status bar's strip has no scene to show.
    desktop::MoveWindow(hwnd, 0, 0, 300, 10, FALSE);
    erased = EraseInto(hwnd);
    for (uint32_t pixel : erased.pixels)
        ASSERT_EQ(pixel & 0xFFFFFF, kUntouched);
    desktop::DestroyWindow(hwnd);
}

}  // namespace
