// Runs the whole program on the recording desktop: WinMain with its message loop, driven by
// a list of steps that the loop takes one at a time whenever it runs out of messages.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "game/match_flow.h"
#include "platform/desktop/fake/fake_desktop.h"
#include "platform/retained/d3drm.h"
#include "platform/retained/testing.h"
#include "shell/main_window.h"
#include "shell/shell_state.h"

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the program; each step runs when the message loop is idle; after the last step
    // the loop ends. Unless the program is expected to quit by itself on the way, every step
    // must have run. Returns WinMain's result.
    int RunProgram(std::vector<std::function<void()>> steps = {}, bool quitsByItself = false);

    static desktop::HWND Window() { return gShell.mainWindow; }
    static std::vector<desktop::fake::MessageBoxCall> Boxes() {
        return desktop::fake::MessageBoxCalls();
    }
    // Ticks of the 50 ms timer until the predicate holds (at most limit ticks).
    static bool TickUntil(const std::function<bool()>& done, int limit = 2000);
};
