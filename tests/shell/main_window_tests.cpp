// The entry point and the main window's message routing, run on the recording desktop with
// the real view and the retained layer's failure injection.
#include <cmath>
#include <string>

#include "platform/resources/resource_table.h"
#include "shell/menus_dialogs.h"
#include "tests/shell/shell_fixture.h"
#include "view/renderer.h"

using namespace desktop;
using retained::testing::CallId;

namespace {

int gTicks = 0;
int gClicks = 0;
void CountTick() {
    ++gTicks;
}
void CountClick() {
    ++gClicks;
}

int IndexInTrace(const std::string& entry) {
    const auto& trace = fake::Trace();
    for (size_t i = 0; i < trace.size(); ++i) {
        if (trace[i].rfind(entry, 0) == 0) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

TEST_F(ShellTest, StartsWithStatusBarTimerLevelMarkAndTheFirstGame) {
    EXPECT_EQ(RunProgram(), 0);
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(fake::ClassOf(Window()), "ZANTOBEL");
    EXPECT_EQ(fake::TextOf(Window()), "ZANTOBEL");
    const fake::StatusBarState bar = fake::StatusBarOf(gShell.statusBar);
    EXPECT_EQ(bar.rightEdges, (std::vector<int>{144, 288, -1}));
    EXPECT_EQ(bar.minHeight, 20);
    ASSERT_GE(bar.texts.size(), 2u);
    EXPECT_EQ(bar.texts[0], "2 (USER)");
    EXPECT_EQ(bar.texts[1], "2 (FOOL)");
    EXPECT_EQ(fake::IconOf(bar.icons[0]).name, "ico_black");
    EXPECT_EQ(fake::IconOf(bar.icons[1]).name, "ico_white");
    EXPECT_EQ(fake::TimersOf(Window()), (std::vector<std::pair<UINT_PTR, UINT>>{{1, 50}}));
    EXPECT_EQ(fake::CheckedMenuItems(Window()), (std::vector<UINT>{kLevelFool}));
    EXPECT_EQ(gMatch.mode, kModeHumanBlack);
    EXPECT_EQ(gMatch.settings.showLegalMoves, 1);
    EXPECT_EQ(gMatch.settings.flipAnimation, 1);
    EXPECT_EQ(gMatch.settings.flatShading, 1);
    // The generator is seeded after the window is shown, the timer started after that.
    const int shown = IndexInTrace("ShowWindow");
    const int seeded = IndexInTrace("GetTickCount");
    const int timer = IndexInTrace("SetTimer 1 50");
    EXPECT_LT(shown, seeded);
    EXPECT_LT(seeded, timer);
    EXPECT_TRUE(fake::MessageBoxCalls().empty());
}

TEST_F(ShellTest, ASecondCopyEndsAtOnceWithoutAWindow) {
    fake::AddForeignWindow("ZANTOBEL", "ZANTOBEL");
    EXPECT_EQ(RunProgram({[] { ADD_FAILURE() << "a second copy ran"; }}, true), 0);
    EXPECT_EQ(IndexInTrace("CreateWindowEx"), -1);
    EXPECT_EQ(Window(), nullptr);
}

TEST_F(ShellTest, AFailedWindowCreationNeverEntersTheLoop) {
    fake::FailNextCreateWindow("ZANTOBEL");
    EXPECT_EQ(RunProgram({[] { ADD_FAILURE() << "the message loop ran"; }}, true),
              kExitStartupFailed);
    EXPECT_FALSE(fake::LoopRanDry());
    ASSERT_NE(gShell.startupFailure, nullptr);
    EXPECT_STREQ(gShell.startupFailure, "could not create the main window");
}

TEST_F(ShellTest, StartUpFailuresShowTheirBoxAndQuit) {
    struct Case {
        CallId call;
        const char* text;
        const char* named;  // in the line for stderr
    };
    const Case cases[] = {
        {CallId::Direct3DRMCreate, "Direct3Dの作成に失敗しました", "3D renderer"},
        {CallId::QueryInterfaceDirect3DRM2, "Direct3Dの作成に失敗しました", "3D renderer"},
        {CallId::DirectDrawCreateClipper, "Direct3Dの作成に失敗しました", "3D renderer"},
        {CallId::SetHWnd, "Direct3Dの作成に失敗しました", "3D renderer"},
        {CallId::CreateDeviceFromClipper, "デバイスの作成に失敗しました", "3D device"},
        {CallId::CreateFrame, "デバイスの作成に失敗しました", "3D device"},
        {CallId::CreateLightRGB, "デバイスの作成に失敗しました", "3D device"},
        {CallId::CreateMeshBuilder, "デバイスの作成に失敗しました", "3D device"},
        {CallId::CreateViewport, "デバイスの作成に失敗しました", "3D device"},
        {CallId::Load, "ファイル読み込みに失敗しました", "disc mesh"},
        {CallId::AddFaces, "ファイル読み込みに失敗しました", "board"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.call));
        TearDown();
        SetUp();
        retained::testing::FailEveryCall(c.call);
        EXPECT_EQ(RunProgram({[] { ADD_FAILURE() << "the program ran on"; }}, true),
                  kExitStartupFailed)
            << "a failed start never ends as a success";
        ASSERT_NE(gShell.startupFailure, nullptr);
        EXPECT_NE(std::string(gShell.startupFailure).find(c.named), std::string::npos)
            << gShell.startupFailure;
        EXPECT_FALSE(fake::LoopRanDry()) << "the quit request must end the loop";
        const auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u) << "one box, no second one from the first resize";
        EXPECT_EQ(boxes[0].text, c.text);
        EXPECT_EQ(boxes[0].caption, "Error");
        EXPECT_EQ(boxes[0].owner, nullptr);
        EXPECT_EQ(gMatch.tickHandler, nullptr) << "no game starts";
    }
}

TEST_F(ShellTest, MissingPatternStatisticsStopTheStart) {
    std::vector<resources::EmbeddedResource> withoutStatistics;
    for (const resources::EmbeddedResource& r : resources::AllResources()) {
        if (!resources::KeysMatch(r.name, resources::ResourceKey::Id(107))) {
            withoutStatistics.push_back(r);
        }
    }
    resources::ReplaceResourceTableForTesting(withoutStatistics);
    EXPECT_EQ(RunProgram({}, true), kExitStartupFailed);
    EXPECT_FALSE(fake::LoopRanDry());
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "ファイル読み込みに失敗しました");
    ASSERT_NE(gShell.startupFailure, nullptr);
    EXPECT_STREQ(gShell.startupFailure,
                 "could not load the pattern statistics (RCDATA resource 107)");
}

TEST_F(ShellTest, TimerMouseAndClicksReachTheFlow) {
    RunProgram({[] {
        ClearHandlers();
        gTicks = gClicks = 0;
        fake::FireTimer(gShell.mainWindow, 1);
        EXPECT_TRUE(fake::MoveMouse(gShell.mainWindow, 100, 120));
        fake::Click(gShell.mainWindow);
        gMatch.tickHandler = CountTick;
        gMatch.clickHandler = CountClick;
        fake::FireTimer(gShell.mainWindow, 1);
        fake::Click(gShell.mainWindow);
        fake::PumpMessages();
        EXPECT_EQ(gTicks, 1);
        EXPECT_EQ(gClicks, 1);
        EXPECT_EQ(gShell.cursorPos.x, 100);
        EXPECT_EQ(gShell.cursorPos.y, 120);
        ClearHandlers();
    }});
}

namespace {

retained::D3DVECTOR CameraPosition(retained::IDirect3DRMFrame* reference) {
    retained::D3DVECTOR position{};
    gScene.cameraFrame->GetPosition(reference, &position);
    return position;
}

}  // namespace

TEST_F(ShellTest, ArrowKeysMoveTheCameraAndOtherKeysDoNothing) {
    RunProgram({[] {
        const size_t before = fake::InvalidateCalls().size();
        for (WPARAM key : {VK_SPACE, VK_RETURN, WPARAM{'A'}})
            fake::KeyDown(gShell.mainWindow, key);
        fake::PumpMessages();
        EXPECT_EQ(fake::InvalidateCalls().size(), before);
        EXPECT_NEAR(CameraPosition(gScene.sceneFrame).y, 0.0f, 1e-4);

        // Left turns the pivot by -pi/32: the camera swings toward -y; right turns it back.
        fake::KeyDown(gShell.mainWindow, VK_LEFT);
        fake::PumpMessages();
        EXPECT_NEAR(CameraPosition(gScene.sceneFrame).y, -50 * std::sin(3.14159265f / 32), 1e-3);
        fake::KeyDown(gShell.mainWindow, VK_RIGHT);
        fake::PumpMessages();
        EXPECT_NEAR(CameraPosition(gScene.sceneFrame).y, 0.0f, 1e-3);
        // Up brings the camera 3.1 nearer the board plane, down takes it back.
        fake::KeyDown(gShell.mainWindow, VK_UP);
        fake::PumpMessages();
        EXPECT_NEAR(CameraPosition(gScene.cameraPivot).z, -80 + 3.1f, 1e-3);
        fake::KeyDown(gShell.mainWindow, VK_DOWN);
        fake::PumpMessages();
        EXPECT_NEAR(CameraPosition(gScene.cameraPivot).z, -80.0f, 1e-3);

        ASSERT_EQ(fake::InvalidateCalls().size(), before + 4);
        RECT client{};
        GetClientRect(gShell.mainWindow, &client);
        for (size_t i = before; i < before + 4; ++i) {
            const fake::InvalidateCall& call = fake::InvalidateCalls()[i];
            EXPECT_EQ(call.erase, FALSE) << "camera changes repaint without erase";
            EXPECT_EQ(call.rect.bottom, client.bottom - GetSystemMetrics(SM_CYEDGE) - 20);
        }
    }});
}

TEST_F(ShellTest, MenuCommandsSwitchModeLevelDialogsAndExit) {
    const int exitCode =
        RunProgram({
                       [] {
                           fake::ChooseMenuItem(gShell.mainWindow, kModeComputers);
                           EXPECT_EQ(gMatch.mode, kModeComputers);
                           EXPECT_EQ(gMatch.tickHandler, PlayComputerTurn);
                           fake::ChooseMenuItem(gShell.mainWindow, kLevelNormal);
                           EXPECT_EQ(gMatch.level, kLevelNormal);
                           EXPECT_EQ(fake::CheckedMenuItems(gShell.mainWindow),
                                     (std::vector<UINT>{kLevelNormal}));
                           EXPECT_EQ(gMatch.tickHandler, PlayComputerTurn)
                               << "a level change does not restart";
                           fake::ChooseMenuItem(gShell.mainWindow, kCommandSettings);
                           fake::ChooseMenuItem(gShell.mainWindow, kCommandHelp);
                           for (WPARAM id : {40005, 40010, 40019, 1})
                               fake::Command(gShell.mainWindow, id);
                           // A notification code in the high word makes it another command
                           // altogether.
                           fake::Command(gShell.mainWindow, MAKEWPARAM(40003, 1));
                           EXPECT_EQ(gMatch.mode, kModeComputers);
                           ASSERT_EQ(fake::DialogCalls().size(), 2u);
                           EXPECT_EQ(fake::DialogCalls()[0].templateName, "dlg_config");
                           EXPECT_EQ(fake::DialogCalls()[1].templateName, "dlg_help");
                       },
                       [] { fake::ChooseMenuItem(gShell.mainWindow, kCommandExit); },
                       [] { ADD_FAILURE() << "the exit command did not end the program"; },
                   },
                   true);
    EXPECT_EQ(exitCode, 0);
    EXPECT_FALSE(fake::LoopRanDry());
    EXPECT_FALSE(IsWindow(gShell.mainWindow));
    EXPECT_EQ(retained::LiveObjectCount(), 0);
}

TEST_F(ShellTest, ClosingTheWindowEndsWithCodeZeroAndReleasesEverything) {
    EXPECT_EQ(RunProgram({[] { fake::CloseBox(gShell.mainWindow); },
                          [] { ADD_FAILURE() << "still running"; }},
                         true),
              0);
    EXPECT_FALSE(IsWindow(gShell.mainWindow));
    EXPECT_EQ(retained::LiveObjectCount(), 0);
}

TEST_F(ShellTest, ResizeRecreatesTheDeviceOnlyForARealSceneArea) {
    RunProgram({[] {
        const int before = retained::testing::CallCount(CallId::CreateDeviceFromClipper);
        fake::SetClientSize(gShell.mainWindow, 500, 400);
        fake::PumpMessages();
        ASSERT_NE(gScene.device, nullptr);
        EXPECT_EQ(gScene.device->GetWidth(), 500u);
        EXPECT_EQ(gScene.device->GetHeight(), 400u - GetSystemMetrics(SM_CYEDGE) - 20);
        const int afterResize = retained::testing::CallCount(CallId::CreateDeviceFromClipper);
        EXPECT_GT(afterResize, before);
        fake::Minimize(gShell.mainWindow);
        fake::PumpMessages();
        fake::SetClientSize(gShell.mainWindow, 500, GetSystemMetrics(SM_CYEDGE) + 20);
        fake::PumpMessages();
        EXPECT_EQ(retained::testing::CallCount(CallId::CreateDeviceFromClipper), afterResize);
        EXPECT_EQ(gScene.device->GetWidth(), 500u) << "the old device is kept";
        EXPECT_TRUE(Boxes().empty());
    }});
}

TEST_F(ShellTest, AfterAFailedResizeTheProgramRunsOnWithoutADevice) {
    RunProgram({[] {
        fake::PumpMessages();
        TickUntil([] { return gMatch.clickHandler == OnHumanClick; });
        retained::testing::FailEveryCall(CallId::CreateDeviceFromClipper);
        fake::SetClientSize(gShell.mainWindow, 480, 360);
        fake::PumpMessages();
        const auto boxes = fake::MessageBoxCalls();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "デバイスの生成に失敗しました");
        EXPECT_EQ(boxes[0].caption, "エラー");
        EXPECT_EQ(boxes[0].owner, gShell.mainWindow);

        // Painting and clicking find no device and do nothing; the game waits on.
        const int presents = fake::LastPresented(gShell.mainWindow).presentCount;
        InvalidateRect(gShell.mainWindow, nullptr, TRUE);
        fake::MoveMouse(gShell.mainWindow, 240, 180);
        fake::Click(gShell.mainWindow);
        fake::PumpMessages();
        EXPECT_EQ(fake::LastPresented(gShell.mainWindow).presentCount, presents);
        EXPECT_EQ(gMatch.history.count, 0);
        EXPECT_EQ(gMatch.clickHandler, OnHumanClick);
        // The camera still moves: its frames survived.
        const size_t invalidations = fake::InvalidateCalls().size();
        fake::KeyDown(gShell.mainWindow, VK_LEFT);
        fake::PumpMessages();
        EXPECT_GT(fake::InvalidateCalls().size(), invalidations);

        // A later resize brings the device back.
        retained::testing::ResetFailures();
        fake::SetClientSize(gShell.mainWindow, 500, 380);
        fake::PumpMessages();
        InvalidateRect(gShell.mainWindow, nullptr, TRUE);
        fake::PumpMessages();
        EXPECT_GT(fake::LastPresented(gShell.mainWindow).presentCount, presents);
        EXPECT_EQ(fake::MessageBoxCalls().size(), 1u);
    }});
}

TEST_F(ShellTest, TheLevelMarkLeavesMasterLikeAnyOtherLevel) {
    // MASTER is the last id of the radio range; each choice must leave exactly its own mark.
    const SkillLevel sequence[] = {kLevelMaster, kLevelFool,   kLevelMaster, kLevelPoor,
                                   kLevelMaster, kLevelNormal, kLevelMaster, kLevelExpert,
                                   kLevelMaster, kLevelMaster};
    RunProgram({[&sequence] {
        for (const SkillLevel level : sequence) {
            SCOPED_TRACE(level);
            ASSERT_TRUE(fake::ChooseMenuItem(gShell.mainWindow, level));
            EXPECT_EQ(fake::CheckedMenuItems(gShell.mainWindow),
                      (std::vector<UINT>{static_cast<UINT>(level)}));
            EXPECT_EQ(gMatch.level, level);
        }
    }});
}
