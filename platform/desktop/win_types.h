// The plain value types and handles of the window-system calls the game is written against,
// spelled as the platform spells them, so code above this floor reads like the calls it
// replaces. Handles are opaque pointers; only a backend knows what they point at.
#pragma once

#include <cstdint>

namespace desktop {

using BOOL = int32_t;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using LONG = int32_t;
using ATOM = uint16_t;
using INT_PTR = intptr_t;
using UINT_PTR = uintptr_t;
using LONG_PTR = intptr_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;

#ifdef _WIN32
}  // namespace desktop
// On Windows the handles are the system's own types (declared as its headers declare them),
// so a handle and a window procedure pass to the system as they are.
struct HWND__;
struct HINSTANCE__;
struct HMENU__;
struct HICON__;
struct HDC__;
struct HBRUSH__;
namespace desktop {
using HWND = ::HWND__*;
using HINSTANCE = ::HINSTANCE__*;
using HMODULE = HINSTANCE;
using HMENU = ::HMENU__*;
using HICON = ::HICON__*;
using HDC = ::HDC__*;
using HCURSOR = HICON;
using HBRUSH = ::HBRUSH__*;
using HGDIOBJ = void*;
#else
struct HWND__;
struct HINSTANCE__;
struct HMENU__;
struct HICON__;
struct HDC__;
struct HCURSOR__;
struct HBRUSH__;
struct HGDIOBJ__;
using HWND = HWND__*;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
using HMENU = HMENU__*;
using HICON = HICON__*;
using HDC = HDC__*;
using HCURSOR = HCURSOR__*;
using HBRUSH = HBRUSH__*;
using HGDIOBJ = HGDIOBJ__*;
#endif
using HANDLE = void*;

struct POINT {
    LONG x;
    LONG y;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

constexpr WORD LOWORD(UINT_PTR value) {
    return static_cast<WORD>(value & 0xFFFF);
}
constexpr WORD HIWORD(UINT_PTR value) {
    return static_cast<WORD>((value >> 16) & 0xFFFF);
}
// Signed coordinates packed in an LPARAM (a mouse position left of or above the client area
// is negative).
constexpr int GET_X_LPARAM(LPARAM value) {
    return static_cast<int16_t>(LOWORD(static_cast<UINT_PTR>(value)));
}
constexpr int GET_Y_LPARAM(LPARAM value) {
    return static_cast<int16_t>(HIWORD(static_cast<UINT_PTR>(value)));
}
constexpr LPARAM MAKELPARAM(int low, int high) {
    return static_cast<LPARAM>(static_cast<DWORD>((static_cast<DWORD>(low) & 0xFFFF) |
                                                  ((static_cast<DWORD>(high) & 0xFFFF) << 16)));
}
constexpr WPARAM MAKEWPARAM(int low, int high) {
    return static_cast<WPARAM>(static_cast<DWORD>((static_cast<DWORD>(low) & 0xFFFF) |
                                                  ((static_cast<DWORD>(high) & 0xFFFF) << 16)));
}

// A resource named by a 16-bit integer id instead of a string, as the platform passes it
// through a string argument.
inline const char* MAKEINTRESOURCE(WORD id) {
    return reinterpret_cast<const char*>(static_cast<UINT_PTR>(id));
}
inline bool IS_INTRESOURCE(const char* name) {
    return (reinterpret_cast<UINT_PTR>(name) >> 16) == 0;
}

}  // namespace desktop
