// Entry point, window creation and message routing.
#include "shell/main_window.h"

#include "ai/opening_book.h"
#include "ai/pattern_tables.h"
#include "ai/skill_levels.h"
#include "game/match_flow.h"
#include "game/random.h"
#include "shell/menus_dialogs.h"
#include "shell/shell_state.h"
#include "shell/status_bar.h"
#include "view/flip_animation.h"
#include "view/picking_camera.h"
#include "view/renderer.h"
#include "view/scene.h"
#include "view/scene_area.h"

using namespace desktop;

ShellState gShell;

namespace {

const char* const kClassName = "ZANTOBEL";
constexpr UINT_PTR kGameTimer = 1;
constexpr UINT kTickMilliseconds = 50;
constexpr int kStatusBarId = 100;
constexpr DWORD kStatusBarStyle = WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM;
const int kStatusBarPartEdges[3] = {144, 288, -1};

int PickAtLastCursor(SquarePos* square) {
    return PickSquare(gShell.cursorPos, square);
}

void QuitWithError(const char* text, const char* what) {
    gShell.startupFailure = what;
    ShowErrorBox(text);
    PostQuitMessage(kExitStartupFailed);
}

void OnCreate(HWND window) {
    gShell.mainWindow = window;
    InitCommonControls();
    gShell.statusBar =
        CreateWindowEx(0, STATUSCLASSNAME, nullptr, kStatusBarStyle, 0, 0, 0, 0, window,
                       reinterpret_cast<HMENU>(kStatusBarId), gShell.instance, nullptr);
    SendMessage(gShell.statusBar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(kStatusBarPartEdges));
    SendMessage(gShell.statusBar, SB_SETMINHEIGHT, kStatusBarHeight, 0);
    gShell.discIcons[0] =
        static_cast<HICON>(LoadImage(gShell.instance, "ico_black", IMAGE_ICON, 32, 32, LR_SHARED));
    gShell.discIcons[1] =
        static_cast<HICON>(LoadImage(gShell.instance, "ico_white", IMAGE_ICON, 32, 32, LR_SHARED));

    if (!InitRenderer(window)) {
        return QuitWithError("Direct3Dの作成に失敗しました", "could not create the 3D renderer");
    }
    if (!CreateDevice(window)) {
        return QuitWithError("デバイスの作成に失敗しました", "could not create the 3D device");
    }
    if (!BuildSceneMeshes()) {
        return QuitWithError(
            "ファイル読み込みに失敗しました",
            "could not load the disc mesh (XFILE resource \"stone\") or build the board");
    }
    if (!InitGameData()) {
        return QuitWithError("ファイル読み込みに失敗しました",
                             "could not load the pattern statistics (RCDATA resource 107)");
    }
    StartNewGame();
    gShell.running = 1;
}

// The failure box runs its own message loop, in which the size messages of a drag go on
// arriving: each further failure would open another box over the first. One at a time.
int gDeviceFailureShown = 0;

void ReportDeviceFailure(HWND window) {
    if (gDeviceFailureShown) return;
    gDeviceFailureShown = 1;
    MessageBox(window, "デバイスの生成に失敗しました", "エラー", MB_OK);
    gDeviceFailureShown = 0;
}

void OnSize(HWND window, WPARAM wParam, LPARAM lParam) {
    const int edge = GetSystemMetrics(SM_CYEDGE);
    const int width = LOWORD(static_cast<UINT_PTR>(lParam));
    const int height =
        static_cast<int>(HIWORD(static_cast<UINT_PTR>(lParam))) - edge - kStatusBarHeight;
    if (gShell.running && width > 0 && height > 0 && !RecreateDevice(window, width, height)) {
        ReportDeviceFailure(window);
    }
    // The status bar lays itself out along the new bottom edge.
    SendMessage(gShell.statusBar, WM_SIZE, wParam, lParam);
}

void OnPaint(HWND window) {
    if (IsIconic(window)) return;
    PAINTSTRUCT paint{};
    BeginPaint(window, &paint);
    PaintScene(paint.hdc);
    EndPaint(window, &paint);
}

void OnKeyDown(WPARAM key) {
    switch (key) {
        case VK_LEFT:
            OrbitCamera(-kOrbitStep);
            break;
        case VK_RIGHT:
            OrbitCamera(kOrbitStep);
            break;
        case VK_UP:
            ShiftCameraHeight(kHeightStep);
            break;
        case VK_DOWN:
            ShiftCameraHeight(-kHeightStep);
            break;
        default:
            break;
    }
}

void OnCommand(HWND window, WPARAM command) {
    if (command >= kModeHumanBlack && command <= kModeComputers) {
        SelectGameMode(static_cast<GameMode>(command));
    } else if (command >= kLevelFool && command <= kLevelMaster) {
        SetSkillLevel(static_cast<SkillLevel>(command));
    } else if (command == kCommandSettings) {
        ShowConfigDialog();
    } else if (command == kCommandHelp) {
        ShowHelpDialog();
    } else if (command == kCommandExit) {
        PostMessage(window, WM_CLOSE, 0, 0);
    }
}

void OnMouseMove(HWND window) {
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(window, &cursor);
    gShell.cursorPos = cursor;
}

}  // namespace

void ShowErrorBox(const char* text) {
    MessageBox(nullptr, text, "Error", MB_OK);
}

void InstallProgramOperations() {
    InstallMatchOperations({ChooseComputerMove, ScheduleFlipAnimation, PickAtLastCursor,
                            AddDiscVisual, AddMoveMarker, RebuildDiscs, RequestRepaint,
                            UpdateStatusBar, ShowResultDialog, SetSkillLevel, BuildOpeningBook,
                            LoadPatternTables});
}

LRESULT MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            OnCreate(window);
            return 0;
        case WM_DESTROY:
            gShell.running = 0;
            ReleaseRenderer();
            PostQuitMessage(0);
            return 0;
        case WM_SIZE:
            OnSize(window, wParam, lParam);
            return 0;
        case WM_ACTIVATE:
            ActivateRenderer(wParam);
            return 0;
        case WM_PAINT:
            OnPaint(window);
            return 0;
        case WM_KEYDOWN:
            OnKeyDown(wParam);
            return 0;
        case WM_COMMAND:
            OnCommand(window, wParam);
            return 0;
        case WM_TIMER:
            if (gMatch.tickHandler) gMatch.tickHandler();
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(window);
            return 0;
        case WM_LBUTTONDOWN:
            if (gMatch.clickHandler) gMatch.clickHandler();
            return 0;
        default:
            return DefWindowProc(window, message, wParam, lParam);
    }
}

int WinMain(HINSTANCE instance, HINSTANCE previous, const char* /*commandLine*/, int showCommand) {
    ClearHandlers();
    gMatch.settings = {1, 1, 1};
    if (FindWindow(kClassName, nullptr)) return 0;
    if (!previous) {
        WNDCLASS windowClass{};
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = MainWindowProc;
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIcon(instance, "ico");
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        windowClass.lpszMenuName = "menu";
        windowClass.lpszClassName = kClassName;
        if (!RegisterClass(&windowClass)) return 0;
    }
    gShell.instance = instance;
    InstallProgramOperations();
    const HWND window =
        CreateWindowEx(0, kClassName, kClassName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                       400, 400, nullptr, nullptr, instance, nullptr);
    // Without a window there is nothing to run a message loop for.
    if (!window) {
        if (!gShell.startupFailure) gShell.startupFailure = "could not create the main window";
        return kExitStartupFailed;
    }
    gShell.mainWindow = window;
    ShowWindow(window, showCommand);
    SeedRandom(GetTickCount());
    SetTimer(window, kGameTimer, kTickMilliseconds, nullptr);
    MSG message{};
    while (GetMessage(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessage(&message);
    }
    return static_cast<int>(message.wParam);
}
