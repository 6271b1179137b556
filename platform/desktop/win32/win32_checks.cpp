// Proof, at compile time, that the desktop headers the game is written against carry the
// system's values: every constant equals the system's, and every structure handed to the
// system has its layout. A mismatch stops the Windows build.
#include <cstddef>
#include <type_traits>

#include "platform/desktop/desktop.h"

// Every constant of the desktop headers. They are captured under other names before the
// system headers turn the names into macros.
#define ZANTOBEL_DESKTOP_CONSTANTS(X) \
    X(IDOK)                           \
    X(IDCANCEL)                       \
    X(IDABORT)                        \
    X(IDRETRY)                        \
    X(IDIGNORE)                       \
    X(IDYES)                          \
    X(IDNO)                           \
    X(DS_SETFONT)                     \
    X(DS_MODALFRAME)                  \
    X(DS_CENTER)                      \
    X(BS_PUSHBUTTON)                  \
    X(BS_DEFPUSHBUTTON)               \
    X(BS_CHECKBOX)                    \
    X(BS_AUTOCHECKBOX)                \
    X(BS_RADIOBUTTON)                 \
    X(BS_3STATE)                      \
    X(BS_AUTO3STATE)                  \
    X(BS_GROUPBOX)                    \
    X(BS_AUTORADIOBUTTON)             \
    X(BS_TYPEMASK)                    \
    X(SS_LEFT)                        \
    X(SS_CENTER)                      \
    X(SS_RIGHT)                       \
    X(SS_ICON)                        \
    X(SS_TYPEMASK)                    \
    X(BM_GETCHECK)                    \
    X(BM_SETCHECK)                    \
    X(BM_CLICK)                       \
    X(BST_UNCHECKED)                  \
    X(BST_CHECKED)                    \
    X(BST_INDETERMINATE)              \
    X(IMAGE_BITMAP)                   \
    X(IMAGE_ICON)                     \
    X(IMAGE_CURSOR)                   \
    X(LR_DEFAULTCOLOR)                \
    X(LR_DEFAULTSIZE)                 \
    X(LR_SHARED)                      \
    X(WHITE_BRUSH)                    \
    X(BLACK_BRUSH)                    \
    X(NULL_BRUSH)                     \
    X(HOLLOW_BRUSH)                   \
    X(MF_BYCOMMAND)                   \
    X(MF_BYPOSITION)                  \
    X(MF_UNCHECKED)                   \
    X(MF_CHECKED)                     \
    X(MF_GRAYED)                      \
    X(MF_DISABLED)                    \
    X(MF_POPUP)                       \
    X(MF_SEPARATOR)                   \
    X(MFT_RADIOCHECK)                 \
    X(MB_OK)                          \
    X(MB_OKCANCEL)                    \
    X(MB_YESNO)                       \
    X(MB_ICONERROR)                   \
    X(MB_ICONQUESTION)                \
    X(MB_ICONWARNING)                 \
    X(MB_ICONINFORMATION)             \
    X(WM_NULL)                        \
    X(WM_CREATE)                      \
    X(WM_DESTROY)                     \
    X(WM_MOVE)                        \
    X(WM_SIZE)                        \
    X(WM_ACTIVATE)                    \
    X(WM_SETFOCUS)                    \
    X(WM_KILLFOCUS)                   \
    X(WM_ENABLE)                      \
    X(WM_SETTEXT)                     \
    X(WM_GETTEXT)                     \
    X(WM_PAINT)                       \
    X(WM_CLOSE)                       \
    X(WM_QUIT)                        \
    X(WM_ERASEBKGND)                  \
    X(WM_SHOWWINDOW)                  \
    X(WM_SETICON)                     \
    X(WM_KEYDOWN)                     \
    X(WM_KEYUP)                       \
    X(WM_CHAR)                        \
    X(WM_INITDIALOG)                  \
    X(WM_COMMAND)                     \
    X(WM_SYSCOMMAND)                  \
    X(WM_TIMER)                       \
    X(WM_MOUSEMOVE)                   \
    X(WM_LBUTTONDOWN)                 \
    X(WM_LBUTTONUP)                   \
    X(WM_LBUTTONDBLCLK)               \
    X(WM_RBUTTONDOWN)                 \
    X(WM_USER)                        \
    X(SIZE_RESTORED)                  \
    X(SIZE_MINIMIZED)                 \
    X(SIZE_MAXIMIZED)                 \
    X(WA_INACTIVE)                    \
    X(WA_ACTIVE)                      \
    X(WA_CLICKACTIVE)                 \
    X(MK_LBUTTON)                     \
    X(MK_RBUTTON)                     \
    X(MK_SHIFT)                       \
    X(MK_CONTROL)                     \
    X(BN_CLICKED)                     \
    X(VK_BACK)                        \
    X(VK_TAB)                         \
    X(VK_RETURN)                      \
    X(VK_SHIFT)                       \
    X(VK_CONTROL)                     \
    X(VK_MENU)                        \
    X(VK_ESCAPE)                      \
    X(VK_SPACE)                       \
    X(VK_PRIOR)                       \
    X(VK_NEXT)                        \
    X(VK_END)                         \
    X(VK_HOME)                        \
    X(VK_LEFT)                        \
    X(VK_UP)                          \
    X(VK_RIGHT)                       \
    X(VK_DOWN)                        \
    X(VK_DELETE)                      \
    X(VK_F1)                          \
    X(VK_F10)                         \
    X(HORZRES)                        \
    X(VERTRES)                        \
    X(BITSPIXEL)                      \
    X(PLANES)                         \
    X(LOGPIXELSX)                     \
    X(LOGPIXELSY)                     \
    X(SND_ASYNC)                      \
    X(SND_NODEFAULT)                  \
    X(SND_RESOURCE)                   \
    X(CCS_TOP)                        \
    X(CCS_BOTTOM)                     \
    X(SBARS_SIZEGRIP)                 \
    X(SB_SETTEXT)                     \
    X(SB_GETTEXT)                     \
    X(SB_GETTEXTLENGTH)               \
    X(SB_SETPARTS)                    \
    X(SB_GETPARTS)                    \
    X(SB_SETMINHEIGHT)                \
    X(SB_GETRECT)                     \
    X(SB_SETICON)                     \
    X(SB_GETICON)                     \
    X(SBT_NOBORDERS)                  \
    X(SBT_POPOUT)                     \
    X(CS_VREDRAW)                     \
    X(CS_HREDRAW)                     \
    X(CS_DBLCLKS)                     \
    X(WS_OVERLAPPED)                  \
    X(WS_POPUP)                       \
    X(WS_CHILD)                       \
    X(WS_MINIMIZE)                    \
    X(WS_VISIBLE)                     \
    X(WS_DISABLED)                    \
    X(WS_CAPTION)                     \
    X(WS_BORDER)                      \
    X(WS_DLGFRAME)                    \
    X(WS_VSCROLL)                     \
    X(WS_HSCROLL)                     \
    X(WS_SYSMENU)                     \
    X(WS_THICKFRAME)                  \
    X(WS_GROUP)                       \
    X(WS_TABSTOP)                     \
    X(WS_MINIMIZEBOX)                 \
    X(WS_MAXIMIZEBOX)                 \
    X(WS_OVERLAPPEDWINDOW)            \
    X(CW_USEDEFAULT)                  \
    X(SW_HIDE)                        \
    X(SW_SHOWNORMAL)                  \
    X(SW_SHOWMINIMIZED)               \
    X(SW_SHOWMAXIMIZED)               \
    X(SW_SHOW)                        \
    X(SW_MINIMIZE)                    \
    X(SW_RESTORE)                     \
    X(SW_SHOWDEFAULT)                 \
    X(SM_CXSCREEN)                    \
    X(SM_CYSCREEN)                    \
    X(SM_CXICON)                      \
    X(SM_CYICON)                      \
    X(SM_CXEDGE)                      \
    X(SM_CYEDGE)                      \
    X(SM_CXSMICON)                    \
    X(SM_CYSMICON)

namespace ours {
#define ZANTOBEL_CAPTURE(name) constexpr long long name##_value = desktop::name;
ZANTOBEL_DESKTOP_CONSTANTS(ZANTOBEL_CAPTURE)
#undef ZANTOBEL_CAPTURE
constexpr long long IDC_STATIC_value = desktop::IDC_STATIC;
}  // namespace ours

#include "platform/desktop/win32/win32_system.h"

#define ZANTOBEL_CHECK(name)                                          \
    static_assert(ours::name##_value == static_cast<long long>(name), \
                  #name " differs from the system's value");
ZANTOBEL_DESKTOP_CONSTANTS(ZANTOBEL_CHECK)
#undef ZANTOBEL_CHECK
// Not in the system's program headers, but fixed by its resource compiler's convention.
static_assert(ours::IDC_STATIC_value == -1);

// The structures: same size, every field at the same place.
#define ZANTOBEL_SAME_FIELD(ours, system, field) \
    static_assert(offsetof(ours, field) == offsetof(system, field), #ours "." #field);

static_assert(sizeof(desktop::POINT) == sizeof(::POINT));
ZANTOBEL_SAME_FIELD(desktop::POINT, ::POINT, x)
ZANTOBEL_SAME_FIELD(desktop::POINT, ::POINT, y)
static_assert(sizeof(desktop::RECT) == sizeof(::RECT));
ZANTOBEL_SAME_FIELD(desktop::RECT, ::RECT, left)
ZANTOBEL_SAME_FIELD(desktop::RECT, ::RECT, top)
ZANTOBEL_SAME_FIELD(desktop::RECT, ::RECT, right)
ZANTOBEL_SAME_FIELD(desktop::RECT, ::RECT, bottom)
static_assert(sizeof(desktop::MSG) == sizeof(::MSG));
ZANTOBEL_SAME_FIELD(desktop::MSG, ::MSG, hwnd)
ZANTOBEL_SAME_FIELD(desktop::MSG, ::MSG, message)
ZANTOBEL_SAME_FIELD(desktop::MSG, ::MSG, wParam)
ZANTOBEL_SAME_FIELD(desktop::MSG, ::MSG, lParam)
ZANTOBEL_SAME_FIELD(desktop::MSG, ::MSG, time)
ZANTOBEL_SAME_FIELD(desktop::MSG, ::MSG, pt)
static_assert(sizeof(desktop::WNDCLASS) == sizeof(::WNDCLASSA));
ZANTOBEL_SAME_FIELD(desktop::WNDCLASS, ::WNDCLASSA, style)
ZANTOBEL_SAME_FIELD(desktop::WNDCLASS, ::WNDCLASSA, lpfnWndProc)
ZANTOBEL_SAME_FIELD(desktop::WNDCLASS, ::WNDCLASSA, cbClsExtra)
ZANTOBEL_SAME_FIELD(desktop::WNDCLASS, ::WNDCLASSA, cbWndExtra)
ZANTOBEL_SAME_FIELD(desktop::WNDCLASS, ::WNDCLASSA, hInstance)
ZANTOBEL_SAME_FIELD(desktop::WNDCLASS, ::WNDCLASSA, hIcon)
ZANTOBEL_SAME_FIELD(desktop::WNDCLASS, ::WNDCLASSA, hCursor)
ZANTOBEL_SAME_FIELD(desktop::WNDCLASS, ::WNDCLASSA, hbrBackground)
ZANTOBEL_SAME_FIELD(desktop::WNDCLASS, ::WNDCLASSA, lpszMenuName)
ZANTOBEL_SAME_FIELD(desktop::WNDCLASS, ::WNDCLASSA, lpszClassName)
static_assert(sizeof(desktop::CREATESTRUCT) == sizeof(::CREATESTRUCTA));
ZANTOBEL_SAME_FIELD(desktop::CREATESTRUCT, ::CREATESTRUCTA, lpCreateParams)
ZANTOBEL_SAME_FIELD(desktop::CREATESTRUCT, ::CREATESTRUCTA, hInstance)
ZANTOBEL_SAME_FIELD(desktop::CREATESTRUCT, ::CREATESTRUCTA, hMenu)
ZANTOBEL_SAME_FIELD(desktop::CREATESTRUCT, ::CREATESTRUCTA, hwndParent)
ZANTOBEL_SAME_FIELD(desktop::CREATESTRUCT, ::CREATESTRUCTA, cy)
ZANTOBEL_SAME_FIELD(desktop::CREATESTRUCT, ::CREATESTRUCTA, cx)
ZANTOBEL_SAME_FIELD(desktop::CREATESTRUCT, ::CREATESTRUCTA, y)
ZANTOBEL_SAME_FIELD(desktop::CREATESTRUCT, ::CREATESTRUCTA, x)
ZANTOBEL_SAME_FIELD(desktop::CREATESTRUCT, ::CREATESTRUCTA, style)
ZANTOBEL_SAME_FIELD(desktop::CREATESTRUCT, ::CREATESTRUCTA, lpszName)
ZANTOBEL_SAME_FIELD(desktop::CREATESTRUCT, ::CREATESTRUCTA, lpszClass)
ZANTOBEL_SAME_FIELD(desktop::CREATESTRUCT, ::CREATESTRUCTA, dwExStyle)
static_assert(sizeof(desktop::PAINTSTRUCT) == sizeof(::PAINTSTRUCT));
ZANTOBEL_SAME_FIELD(desktop::PAINTSTRUCT, ::PAINTSTRUCT, hdc)
ZANTOBEL_SAME_FIELD(desktop::PAINTSTRUCT, ::PAINTSTRUCT, fErase)
ZANTOBEL_SAME_FIELD(desktop::PAINTSTRUCT, ::PAINTSTRUCT, rcPaint)
ZANTOBEL_SAME_FIELD(desktop::PAINTSTRUCT, ::PAINTSTRUCT, fRestore)
ZANTOBEL_SAME_FIELD(desktop::PAINTSTRUCT, ::PAINTSTRUCT, fIncUpdate)
ZANTOBEL_SAME_FIELD(desktop::PAINTSTRUCT, ::PAINTSTRUCT, rgbReserved)

// The handles and procedures are the system's own types.
static_assert(std::is_same_v<desktop::HWND, ::HWND>);
static_assert(std::is_same_v<desktop::HINSTANCE, ::HINSTANCE>);
static_assert(std::is_same_v<desktop::HMENU, ::HMENU>);
static_assert(std::is_same_v<desktop::HICON, ::HICON>);
static_assert(std::is_same_v<desktop::HCURSOR, ::HCURSOR>);
static_assert(std::is_same_v<desktop::HDC, ::HDC>);
static_assert(std::is_same_v<desktop::HBRUSH, ::HBRUSH>);
static_assert(std::is_same_v<desktop::HGDIOBJ, ::HGDIOBJ>);
static_assert(std::is_same_v<desktop::WPARAM, ::WPARAM>);
static_assert(std::is_same_v<desktop::LPARAM, ::LPARAM>);
static_assert(std::is_same_v<desktop::LRESULT, ::LRESULT>);
