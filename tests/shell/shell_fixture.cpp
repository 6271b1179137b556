// The whole-program fixture for the shell's tests.
#include "tests/shell/shell_fixture.h"

#include "platform/resources/resource_table.h"

void ShellTest::SetUp() {
    desktop::fake::Reset();
    retained::testing::ResetFailures();
    resources::ReplaceResourceTableForTesting({});
    gMatch = MatchState{};
    gShell = ShellState{};
}

void ShellTest::TearDown() {
    desktop::fake::SetIdleScript(nullptr);
    desktop::fake::SetDialogScript(nullptr);
    desktop::fake::SetMessageBoxScript(nullptr);
    if (gShell.mainWindow && desktop::IsWindow(gShell.mainWindow)) {
        desktop::DestroyWindow(gShell.mainWindow);
    }
    retained::testing::ResetFailures();
    resources::ReplaceResourceTableForTesting({});
    EXPECT_EQ(retained::LiveObjectCount(), 0) << "a retained object outlived the window";
    desktop::fake::Reset();
}

int ShellTest::RunProgram(std::vector<std::function<void()>> steps, bool quitsByItself) {
    size_t next = 0;
    desktop::fake::SetIdleScript([&steps, &next] {
        if (next == steps.size()) return false;
        steps[next++]();
        return true;
    });
    const int code =
        WinMain(desktop::GetModuleHandle(nullptr), nullptr, "", desktop::SW_SHOWDEFAULT);
    if (!quitsByItself) {
        EXPECT_EQ(next, steps.size()) << "the program ended before every step ran";
        EXPECT_TRUE(desktop::fake::LoopRanDry()) << "the program quit by itself";
    }
    return code;
}

bool ShellTest::TickUntil(const std::function<bool()>& done, int limit) {
    for (int i = 0; i < limit; ++i) {
        if (done()) return true;
        desktop::fake::FireTimer(Window(), 1);
        desktop::fake::PumpMessages();
    }
    return done();
}
