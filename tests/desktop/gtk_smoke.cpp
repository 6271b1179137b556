// A small program on the real backend, for looking at it under a virtual display: the menu
// bar from the program's menu, a scene area that shows a test picture through the present
// target, the status bar with icons and texts, the three dialogs and a message box, a 50 ms
// timer that keeps counting behind dialogs, and a log of every message on stdout.
// Commands: 先手 → the result dialog, 後手 → a message box, USER vs USER → the result dialog
// from a tick two seconds later (inside whatever dialog is open then), levels → radio mark,
// 設定/ヘルプ → the dialogs, 終了 → close. A second start while one runs prints "already running".
#include <cstdio>
#include <vector>

#include "platform/desktop/desktop.h"

using namespace desktop;

namespace {

HWND gMain, gStatus;
HICON gIcons[2];
int gTicks = 0, gClicks = 0;
int gResultAtTick = 0;
POINT gCursor{0, 0};
int gFlat = 1, gMarkers = 1;

void Log(const char* format, int a = 0, int b = 0, int c = 0) {
    std::printf(format, a, b, c);
    std::printf("\n");
    std::fflush(stdout);
}

RECT SceneArea() {
    RECT r;
    GetClientRect(gMain, &r);
    r.bottom -= GetSystemMetrics(SM_CYEDGE) + 20;
    return r;
}

void UpdateStatus() {
    char text[40];
    for (int part = 0; part < 2; ++part) {
        SendMessage(gStatus, SB_SETICON, part, reinterpret_cast<LPARAM>(gIcons[part]));
        std::snprintf(text, sizeof text, "%d (%s)", part ? gClicks : gTicks / 20,
                      part ? "USER" : "TICKS");
        SendMessage(gStatus, SB_SETTEXT, part, reinterpret_cast<LPARAM>(text));
    }
}

INT_PTR ConfigProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        CheckDlgButton(dialog, 1003, gMarkers ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, 1004, BST_CHECKED);
        CheckRadioButton(dialog, 1005, 1006, gFlat ? 1006 : 1005);
        RECT client;
        GetClientRect(dialog, &client);
        Log("CONFIG SIZE %dx%d", client.right, client.bottom);
        return 0;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        gMarkers = IsDlgButtonChecked(dialog, 1003) == BST_CHECKED;
        gFlat = IsDlgButtonChecked(dialog, 1005) == BST_CHECKED ? 0 : 1;
        Log("CONFIG OK markers=%d flat=%d anim=%d", gMarkers, gFlat,
            IsDlgButtonChecked(dialog, 1004) == BST_CHECKED);
        EndDialog(dialog, 0);
        return 1;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        Log("CONFIG CANCEL");
        EndDialog(dialog, 0);
        return 1;
    }
    if (message == WM_COMMAND) Log("CONFIG CLICK %d", LOWORD(wParam));
    return 0;
}

INT_PTR HelpProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        Log("HELP CLOSED %d", LOWORD(wParam));
        EndDialog(dialog, 0);
        return 1;
    }
    return 0;
}

INT_PTR ResultProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        RECT m, d;
        GetWindowRect(gMain, &m);
        GetWindowRect(dialog, &d);
        int w = d.right - d.left, h = d.bottom - d.top;
        MoveWindow(dialog, m.left + (m.right - m.left) / 2 - w / 2,
                   m.top + (m.bottom - m.top) / 2 - h / 2, w, h, TRUE);
        SetDlgItemText(dialog, 1000, "33 (USER)");
        SetDlgItemText(dialog, 1001, "31 (MASTER)");
        SetDlgItemText(dialog, 1002, "黒の勝ちです");
        return 0;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        Log("RESULT CLOSED %d enabled=%d", LOWORD(wParam), IsWindowEnabled(gMain));
        EndDialog(dialog, 0);
        return 1;
    }
    return 0;
}

void Paint(HDC) {
    RECT r = SceneArea();
    int width = r.right, height = r.bottom;
    if (width <= 0 || height <= 0) return;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t red = static_cast<uint32_t>(x * 255 / width), green = gFlat ? 0x80 : 0x40;
            uint32_t blue = static_cast<uint32_t>((gTicks * 4) & 0xFF);
            bool grid = x % 40 == 0 || y % 40 == 0;
            pixels[static_cast<size_t>(y) * width + x] =
                grid ? 0 : (red << 16) | (green << 8) | blue;
        }
    // A white square where the pointer last was.
    for (int y = gCursor.y - 3; y <= gCursor.y + 3; ++y)
        for (int x = gCursor.x - 3; x <= gCursor.x + 3; ++x)
            if (x >= 0 && y >= 0 && x < width && y < height)
                pixels[static_cast<size_t>(y) * width + x] = 0xFFFFFF;
    GetWindowPresentTarget(gMain)->Present(pixels.data(), width, height, width);
}

LRESULT MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            gMain = hwnd;
            RECT client;
            GetClientRect(hwnd, &client);
            Log("CREATE client=%dx%d menu=%d", client.right, client.bottom,
                GetMenu(hwnd) != nullptr);
            InitCommonControls();
            gStatus = CreateWindowEx(
                0, STATUSCLASSNAME, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM, 0,
                0, 0, 0, hwnd, reinterpret_cast<HMENU>(100), GetModuleHandle(nullptr), nullptr);
            static const int kEdges[3] = {144, 288, -1};
            SendMessage(gStatus, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(kEdges));
            SendMessage(gStatus, SB_SETMINHEIGHT, 20, 0);
            gIcons[0] = static_cast<HICON>(
                LoadImage(GetModuleHandle(nullptr), "ico_black", IMAGE_ICON, 32, 32, LR_SHARED));
            gIcons[1] = static_cast<HICON>(
                LoadImage(GetModuleHandle(nullptr), "ico_white", IMAGE_ICON, 32, 32, LR_SHARED));
            CheckMenuRadioItem(GetMenu(hwnd), 40014, 40018, 40014, MF_BYCOMMAND);
            UpdateStatus();
            HDC dc = GetDC(hwnd);
            Log("BITSPIXEL %d", GetDeviceCaps(dc, BITSPIXEL));
            ReleaseDC(hwnd, dc);
            return 0;
        }
        case WM_SIZE:
            Log("SIZE %d %dx%d", static_cast<int>(wParam), LOWORD(lParam), HIWORD(lParam));
            SendMessage(gStatus, WM_SIZE, wParam, lParam);
            return 0;
        case WM_ACTIVATE:
            Log("ACTIVATE %d", LOWORD(wParam));
            return 0;
        case WM_PAINT: {
            if (IsIconic(hwnd)) {
                Log("PAINT ICONIC");
                return 0;
            }
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            Paint(ps.hdc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_TIMER: {
            ++gTicks;
            if (gTicks % 20 == 0) {
                Log("TICK %d", gTicks);
                UpdateStatus();
                RECT r = SceneArea();
                InvalidateRect(hwnd, &r, FALSE);
            }
            if (gResultAtTick && gTicks >= gResultAtTick) {
                gResultAtTick = 0;
                DialogBoxParam(GetModuleHandle(nullptr), "dlg_result", hwnd, ResultProc, 0);
            }
            return 0;
        }
        case WM_MOUSEMOVE:
            GetCursorPos(&gCursor);
            ScreenToClient(hwnd, &gCursor);
            return 0;
        case WM_LBUTTONDOWN:
            ++gClicks;
            Log("CLICK %d at %d,%d", gClicks, gCursor.x, gCursor.y);
            UpdateStatus();
            {
                RECT r = SceneArea();
                InvalidateRect(hwnd, &r, TRUE);
            }
            return 0;
        case WM_KEYDOWN:
            Log("KEY %d", static_cast<int>(wParam));
            return 0;
        case WM_COMMAND:
            Log("COMMAND %d high=%d", LOWORD(wParam), HIWORD(wParam));
            switch (wParam) {
                case 40001:
                    DialogBoxParam(GetModuleHandle(nullptr), "dlg_result", hwnd, ResultProc, 0);
                    break;
                case 40002:
                    Log("BOX %d",
                        MessageBox(hwnd, "デバイスの生成に失敗しました", "エラー", MB_OK));
                    break;
                case 40003:
                    gResultAtTick = gTicks + 40;
                    break;
                case 40011:
                    DialogBoxParam(GetModuleHandle(nullptr), "dlg_config", hwnd, ConfigProc, 0);
                    break;
                case 40012:
                    DialogBoxParam(GetModuleHandle(nullptr), "dlg_help", hwnd, HelpProc, 0);
                    break;
                case 40013:
                    PostMessage(hwnd, WM_CLOSE, 0, 0);
                    break;
                default:
                    if (wParam >= 40014 && wParam <= 40018)
                        CheckMenuRadioItem(GetMenu(hwnd), 40014, 40018, static_cast<UINT>(wParam),
                                           MF_BYCOMMAND);
            }
            return 0;
        case WM_DESTROY:
            Log("DESTROY ticks=%d", gTicks);
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int main() {
    if (FindWindow("ZANTOBEL_SMOKE", nullptr)) {
        Log("already running");
        return 0;
    }
    HINSTANCE instance = GetModuleHandle(nullptr);
    WNDCLASS wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIcon(instance, "ico");
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    wc.lpszMenuName = "menu";
    wc.lpszClassName = "ZANTOBEL_SMOKE";
    if (!RegisterClass(&wc)) return 0;
    HWND hwnd = CreateWindowEx(0, "ZANTOBEL_SMOKE", "ZANTOBEL", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                               CW_USEDEFAULT, 400, 400, nullptr, nullptr, instance, nullptr);
    if (!hwnd) {
        Log("no window");
        return 0;
    }
    ShowWindow(hwnd, SW_SHOWDEFAULT);
    Log("SOUND %d", PlaySound("click", nullptr, SND_RESOURCE | SND_ASYNC | SND_NODEFAULT));
    SetTimer(hwnd, 1, 50, nullptr);
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    Log("EXIT %d", static_cast<int>(msg.wParam));
    return static_cast<int>(msg.wParam);
}
