// The status bar's lines, the settings, help and result dialogs, and a whole game between
// two computers ending in the result dialog.
#include <string>

#include "platform/resources/resource_table.h"
#include "shell/menus_dialogs.h"
#include "shell/status_bar.h"
#include "tests/shell/shell_fixture.h"
#include "view/renderer.h"

using namespace desktop;
using retained::testing::CallId;

TEST(StatusBar, NamesFollowTheModeAndTheLevel) {
    struct Case {
        GameMode mode;
        SkillLevel level;
        const char* black;
        const char* white;
    };
    const Case cases[] = {
        {kModeHumanBlack, kLevelExpert, "USER", "EXPERT"},
        {kModeHumanWhite, kLevelNormal, "NORMAL", "USER"},
        {kModeTwoHumans, kLevelMaster, "USER", "USER"},
        {kModeComputers, kLevelPoor, "POOR", "POOR"},
        {40009, kLevelFool, "FOOL", "FOOL"},
        {kModeHumanBlack, 40013, "USER", "MASTER"},
        {kModeHumanBlack, 40019, "USER", "MASTER"},
    };
    for (const Case& c : cases) {
        const PlayerNames names = NamesForMode(c.mode, c.level);
        EXPECT_STREQ(names.black, c.black) << c.mode << " " << c.level;
        EXPECT_STREQ(names.white, c.white) << c.mode << " " << c.level;
    }
    char line[40];
    FormatSideLine(line, 12, "EXPERT");
    EXPECT_STREQ(line, "12 (EXPERT)");
}

TEST(ResultDialog, OutcomeNamesTheColourThatHasMoreDiscs) {
    EXPECT_STREQ(OutcomeText({32, 32}), "引き分けです");
    EXPECT_STREQ(OutcomeText({33, 31}), "黒の勝ちです");
    EXPECT_STREQ(OutcomeText({31, 33}), "白の勝ちです");
    EXPECT_STREQ(OutcomeText({13, 0}), "黒の勝ちです");
}

TEST_F(ShellTest, StatusBarShowsCountsAndNamesAfterEveryMove) {
    RunProgram({[] {
        fake::ChooseMenuItem(gShell.mainWindow, kLevelNormal);
        fake::ChooseMenuItem(gShell.mainWindow, kModeHumanWhite);
        auto bar = fake::StatusBarOf(gShell.statusBar);
        EXPECT_EQ(bar.texts[0], "2 (NORMAL)");
        EXPECT_EQ(bar.texts[1], "2 (USER)");
        EXPECT_EQ(bar.texts.size() < 3 || bar.texts[2].empty(), true)
            << "the third part stays empty";
        // The computer's first move: 4 black, 1 white.
        TickUntil([] { return gMatch.clickHandler == OnHumanClick; });
        bar = fake::StatusBarOf(gShell.statusBar);
        EXPECT_EQ(bar.texts[0], "4 (NORMAL)");
        EXPECT_EQ(bar.texts[1], "1 (USER)");
    }});
}

TEST_F(ShellTest, SettingsDialogShowsAndAppliesTheFlags) {
    RunProgram({[] {
        gMatch.settings = {1, 0, 1};
        const int devicesBefore = retained::testing::CallCount(CallId::CreateDeviceFromClipper);
        fake::SetDialogScript([](HWND dialog) {
            EXPECT_EQ(fake::DialogCaption(dialog), "設定");
            EXPECT_EQ(fake::DialogControl(dialog, kConfigShowLegalMoves).check, BST_CHECKED);
            EXPECT_EQ(fake::DialogControl(dialog, kConfigFlipAnimation).check, BST_UNCHECKED);
            EXPECT_EQ(fake::DialogControl(dialog, kConfigFlat).check, BST_CHECKED);
            EXPECT_EQ(fake::DialogControl(dialog, kConfigGouraud).check, BST_UNCHECKED);
            fake::ClickControl(dialog, kConfigShowLegalMoves);
            fake::ClickControl(dialog, kConfigFlipAnimation);
            fake::ClickControl(dialog, kConfigGouraud);
            fake::ClickControl(dialog, IDOK);
        });
        ShowConfigDialog();
        EXPECT_EQ(gMatch.settings.showLegalMoves, 0);
        EXPECT_EQ(gMatch.settings.flipAnimation, 1);
        EXPECT_EQ(gMatch.settings.flatShading, 0);
        EXPECT_EQ(gRenderSettings.quality, retained::D3DRMRENDER_GOURAUD);
        EXPECT_EQ(retained::testing::CallCount(CallId::CreateDeviceFromClipper), devicesBefore + 1);
        EXPECT_EQ(gScene.device->GetQuality(), retained::D3DRMRENDER_GOURAUD);

        // Reopened, it shows Gouraud; Cancel leaves flags, quality and device untouched.
        fake::SetDialogScript([](HWND dialog) {
            EXPECT_EQ(fake::DialogControl(dialog, kConfigGouraud).check, BST_CHECKED);
            fake::ClickControl(dialog, kConfigFlat);
            fake::ClickControl(dialog, kConfigShowLegalMoves);
            fake::PressEscape(dialog);
        });
        ShowConfigDialog();
        EXPECT_EQ(gMatch.settings.showLegalMoves, 0);
        EXPECT_EQ(gMatch.settings.flatShading, 0);
        EXPECT_EQ(retained::testing::CallCount(CallId::CreateDeviceFromClipper), devicesBefore + 1);

        // OK without any change still re-creates the device once.
        fake::SetDialogScript([](HWND dialog) { fake::ClickControl(dialog, IDOK); });
        ShowConfigDialog();
        EXPECT_EQ(retained::testing::CallCount(CallId::CreateDeviceFromClipper), devicesBefore + 2);
        EXPECT_EQ(gRenderSettings.quality, retained::D3DRMRENDER_GOURAUD);
    }});
}

TEST_F(ShellTest, TheGameRunsOnBehindTheSettingsDialog) {
    RunProgram({[] {
        fake::ChooseMenuItem(gShell.mainWindow, kModeComputers);
        fake::SetDialogScript([](HWND dialog) {
            for (int i = 0; i < 40; ++i)
                fake::FireTimer(gShell.mainWindow, 1);
            fake::PumpMessages();
            EXPECT_GT(gMatch.history.count, 0) << "ticks reach the flow behind the dialog";
            EXPECT_FALSE(fake::Click(gShell.mainWindow)) << "the main window is disabled";
            fake::ClickControl(dialog, IDCANCEL);
        });
        ShowConfigDialog();
    }});
}

TEST_F(ShellTest, HelpDialogClosesWithOkOrEscape) {
    RunProgram({[] {
        fake::SetDialogScript([](HWND dialog) { fake::ClickControl(dialog, IDOK); });
        ShowHelpDialog();
        fake::SetDialogScript([](HWND dialog) { fake::PressEscape(dialog); });
        ShowHelpDialog();
        ASSERT_EQ(fake::DialogCalls().size(), 2u);
        for (const auto& call : fake::DialogCalls()) {
            EXPECT_TRUE(call.endedByProcedure);
            EXPECT_EQ(call.result, 0);
        }
    }});
}

TEST_F(ShellTest, ResultDialogShowsTheCountsCentredAndArmsANewGame) {
    RunProgram({[] {
        fake::ChooseMenuItem(gShell.mainWindow, kModeHumanWhite);
        struct Case {
            int black;
            int white;
            const char* outcome;
            bool escape;
        };
        const Case cases[] = {{32, 32, "引き分けです", false},
                              {33, 31, "黒の勝ちです", true},
                              {10, 20, "白の勝ちです", false}};
        for (const Case& c : cases) {
            gMatch.board = {};
            for (int i = 0; i < c.black; ++i)
                gMatch.board[i] = kBlack;
            for (int i = 0; i < c.white; ++i)
                gMatch.board[63 - i] = kWhite;
            std::string lines[3];
            fake::SetDialogScript([&](HWND dialog) {
                EXPECT_EQ(fake::DialogCaption(dialog), "対局結果");
                lines[0] = fake::DialogControl(dialog, kResultBlackLine).text;
                lines[1] = fake::DialogControl(dialog, kResultWhiteLine).text;
                lines[2] = fake::DialogControl(dialog, kResultOutcome).text;
                RECT main{}, own{};
                GetWindowRect(gShell.mainWindow, &main);
                GetWindowRect(dialog, &own);
                EXPECT_EQ(own.left,
                          main.left + (main.right - main.left) / 2 - (own.right - own.left) / 2);
                EXPECT_EQ(own.top,
                          main.top + (main.bottom - main.top) / 2 - (own.bottom - own.top) / 2);
                if (c.escape) {
                    fake::PressEscape(dialog);
                } else {
                    fake::ClickControl(dialog, IDOK);
                }
            });
            ClearHandlers();
            ShowResultDialog();
            EXPECT_EQ(lines[0], std::to_string(c.black) + " (FOOL)");
            EXPECT_EQ(lines[1], std::to_string(c.white) + " (USER)");
            EXPECT_EQ(lines[2], c.outcome);
            EXPECT_EQ(gMatch.tickHandler, nullptr);
            EXPECT_EQ(gMatch.clickHandler, StartNewGame);
        }
        fake::Click(gShell.mainWindow);
        fake::PumpMessages();
        EXPECT_EQ(gMatch.board, InitialBoard());
        EXPECT_EQ(gMatch.mode, kModeHumanWhite);
    }});
}

TEST_F(ShellTest, ComputersPlayToTheEndAndTheResultOpensOnce) {
    RunProgram({[] {
        int results = 0;
        DiscCounts shown{};
        fake::SetDialogScript([&](HWND dialog) {
            ++results;
            shown = CountDiscs(gMatch.board);
            EXPECT_EQ(fake::DialogControl(dialog, kResultBlackLine).text,
                      std::to_string(shown.black) + " (FOOL)");
            fake::ClickControl(dialog, IDOK);
        });
        fake::ChooseMenuItem(gShell.mainWindow, kModeComputers);
        ASSERT_TRUE(TickUntil([&] { return results > 0; }, 5000));
        for (int i = 0; i < 20; ++i)
            fake::FireTimer(gShell.mainWindow, 1);
        fake::PumpMessages();
        EXPECT_EQ(results, 1);
        EXPECT_EQ(gMatch.clickHandler, StartNewGame);
        EXPECT_GT(shown.black + shown.white, 4);
    }});
}
