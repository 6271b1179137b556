// Level marks, the settings, help and result dialogs.
#include "shell/menus_dialogs.h"

#include "shell/shell_state.h"
#include "shell/status_bar.h"
#include "view/renderer.h"
#include "view/scene_area.h"

using namespace desktop;

void SetSkillLevel(SkillLevel level) {
    CheckMenuRadioItem(GetMenu(gShell.mainWindow), kLevelFool, kLevelMaster, level, MF_BYCOMMAND);
    gMatch.level = level;
}

void ShowConfigDialog() {
    DialogBoxParam(gShell.instance, "dlg_config", gShell.mainWindow, ConfigDialogProc, 0);
}

void ShowHelpDialog() {
    DialogBoxParam(gShell.instance, "dlg_help", gShell.mainWindow, HelpDialogProc, 0);
}

void ShowResultDialog() {
    DialogBoxParam(gShell.instance, "dlg_result", gShell.mainWindow, ResultDialogProc, 0);
}

void InitConfigDialog(HWND dialog) {
    CheckDlgButton(dialog, kConfigShowLegalMoves,
                   gMatch.settings.showLegalMoves ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, kConfigFlipAnimation,
                   gMatch.settings.flipAnimation ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(dialog, kConfigGouraud, kConfigFlat,
                     gMatch.settings.flatShading ? kConfigFlat : kConfigGouraud);
}

void ApplyConfigDialog(HWND dialog) {
    gMatch.settings.showLegalMoves =
        IsDlgButtonChecked(dialog, kConfigShowLegalMoves) == BST_CHECKED ? 1 : 0;
    gMatch.settings.flipAnimation =
        IsDlgButtonChecked(dialog, kConfigFlipAnimation) == BST_CHECKED ? 1 : 0;
    // Only the Gouraud button is read: the two are a radio group.
    gMatch.settings.flatShading = IsDlgButtonChecked(dialog, kConfigGouraud) == BST_CHECKED ? 0 : 1;
    gRenderSettings.quality =
        gMatch.settings.flatShading ? retained::D3DRMRENDER_FLAT : retained::D3DRMRENDER_GOURAUD;
    // The new quality takes effect at once; a failure here shows nothing, and a later resize
    // tries again.
    const RECT area = SceneArea(gShell.mainWindow);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width > 0 && height > 0) RecreateDevice(gShell.mainWindow, width, height);
}

INT_PTR ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        InitConfigDialog(dialog);
        return 0;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        ApplyConfigDialog(dialog);
        EndDialog(dialog, 0);
        return 1;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return 1;
    }
    return 0;
}

INT_PTR HelpDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, 0);
        return 1;
    }
    return 0;
}

const char* OutcomeText(DiscCounts counts) {
    if (counts.black == counts.white) return "引き分けです";
    return counts.black > counts.white ? "黒の勝ちです" : "白の勝ちです";
}

void InitResultDialog(HWND dialog) {
    // Centred on the main window's frame, not on the screen.
    RECT main{};
    RECT own{};
    GetWindowRect(gShell.mainWindow, &main);
    GetWindowRect(dialog, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    MoveWindow(dialog, main.left + (main.right - main.left) / 2 - width / 2,
               main.top + (main.bottom - main.top) / 2 - height / 2, width, height, TRUE);

    const DiscCounts counts = CountDiscs(gMatch.board);
    const PlayerNames names = NamesForMode(gMatch.mode, gMatch.level);
    char line[40];
    FormatSideLine(line, counts.black, names.black);
    SetDlgItemText(dialog, kResultBlackLine, line);
    FormatSideLine(line, counts.white, names.white);
    SetDlgItemText(dialog, kResultWhiteLine, line);
    SetDlgItemText(dialog, kResultOutcome, OutcomeText(counts));
}

INT_PTR ResultDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        InitResultDialog(dialog);
        return 0;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, 0);
        // The board stays as it ended; the next left-button press starts a new game.
        ClearHandlers();
        gMatch.clickHandler = StartNewGame;
        return 1;
    }
    return 0;
}
