// The main window through size changes, on the recording desktop with the real view: the
// scene is drawn whole for every new size without any other prompt, a click lands on the
// square under the pointer at that size, and a drag through sizes the device cannot take
// shows one failure box at a time and leaves a board that takes clicks again.
#include <cmath>
#include <string>

#include "game/board.h"
#include "tests/shell/shell_fixture.h"
#include "view/renderer.h"

using namespace desktop;
using retained::testing::CallId;

namespace {

constexpr uint32_t kBackground = 0x663F00;

int StatusStrip() {
    return GetSystemMetrics(SM_CYEDGE) + 20;
}

// The legal square of the side to move that the view shows nearest the middle of the scene,
// projected to client coordinates at the present size.
bool LegalSquareOnScreen(SquarePos& square, POINT& where) {
    if (!gScene.viewport || !gScene.device) return false;
    const float midX = gScene.device->GetWidth() / 2.0f, midY = gScene.device->GetHeight() / 2.0f;
    float best = -1;
    for (int i = 0; i < 64; ++i) {
        if (!IsLegalMove(gMatch.board, i % 8, i / 8, gMatch.sideToMove)) continue;
        const retained::D3DVECTOR centre{2.0f * (i % 8) - 7, 2.0f * (i / 8) - 7, 0};
        retained::D3DVECTOR screen{};
        if (gScene.viewport->Transform(&screen, &centre) < 0) return false;
        const float distance = std::hypot(screen.x - midX, screen.y - midY);
        if (best >= 0 && distance >= best) continue;
        best = distance;
        square = {i % 8, i / 8};
        where = {static_cast<LONG>(screen.x + 0.5f), static_cast<LONG>(screen.y + 0.5f)};
    }
    return best >= 0;
}

// Clicks the legal square nearest the middle where the view shows it; true when the move was
// played.
bool ClickALegalSquare() {
    // The last move's discs land first; then the board waits for the next click.
    for (int i = 0; i < 2000 && gMatch.clickHandler != OnHumanClick; ++i) {
        fake::FireTimer(gShell.mainWindow, 1);
        fake::PumpMessages();
    }
    SquarePos square{};
    POINT where{};
    if (!LegalSquareOnScreen(square, where)) return false;
    const int before = gMatch.history.count;
    fake::MoveMouse(gShell.mainWindow, where.x, where.y);
    if (!fake::Click(gShell.mainWindow)) return false;
    fake::PumpMessages();
    return gMatch.history.count == before + 1 && gMatch.board[square.y * 8 + square.x] != 0;
}

// The four corners of the presented picture, one in each quadrant, show the background.
std::string CornersNotBackground(const fake::PresentedImage& image) {
    std::string wrong;
    const int w = image.width, h = image.height;
    const POINT corners[] = {{1, 1}, {w - 2, 1}, {1, h - 2}, {w - 2, h - 2}};
    for (POINT p : corners) {
        if (image.pixels[static_cast<size_t>(p.y) * w + p.x] != kBackground)
            wrong += " (" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
    }
    return wrong;
}

}  // namespace

TEST_F(ShellTest, EverySizeChangeDrawsTheWholeSceneAtOnceAndClicksLandForThatSize) {
    struct Step {
        const char* name;
        int width, height;  // client size; 0 x 0: minimise and restore
        bool click;         // squares are big enough to aim at
    } steps[] = {
        {"larger", 720, 560, true},
        {"smaller", 300, 260, true},
        {"very small", 90, 60, false},
        {"wide and low", 640, 150, true},
        {"minimised and restored", 0, 0, true},
        {"back to the start", 392, 334, true},
    };
    RunProgram({[&] {
        fake::PumpMessages();
        // Two people at the mouse: every click is a move, nothing else moves the game on.
        fake::ChooseMenuItem(gShell.mainWindow, kModeTwoHumans);
        fake::PumpMessages();
        ASSERT_TRUE(TickUntil([] { return gMatch.clickHandler == OnHumanClick; }));
        for (const Step& s : steps) {
            const int presents = fake::LastPresented(gShell.mainWindow).presentCount;
            RECT client{};
            GetClientRect(gShell.mainWindow, &client);
            if (s.width == 0) {
                fake::Minimize(gShell.mainWindow);
                fake::PumpMessages();
                fake::Restore(gShell.mainWindow);
            } else {
                fake::SetClientSize(gShell.mainWindow, s.width, s.height);
                client = {0, 0, s.width, s.height};
            }
            fake::PumpMessages();
            const fake::PresentedImage image = fake::LastPresented(gShell.mainWindow);
            EXPECT_GT(image.presentCount, presents) << s.name << ": no new picture";
            EXPECT_EQ(image.width, client.right) << s.name;
            EXPECT_EQ(image.height, client.bottom - StatusStrip()) << s.name;
            if (image.width > 4 && image.height > 4) {
                EXPECT_EQ(CornersNotBackground(image), "") << s.name;
            }
            if (s.click) {
                EXPECT_TRUE(ClickALegalSquare()) << s.name;
            }
        }
        EXPECT_TRUE(Boxes().empty());
    }});
}

TEST_F(ShellTest, ADragThroughSizesTheDeviceCannotTakeShowsOneBoxAtATime) {
    RunProgram({[&] {
        fake::PumpMessages();
        fake::ChooseMenuItem(gShell.mainWindow, kModeTwoHumans);
        fake::PumpMessages();
        ASSERT_TRUE(TickUntil([] { return gMatch.clickHandler == OnHumanClick; }));
        // While the first box is up, the drag goes on through three more sizes the device
        // cannot take, then back to one it can, before the player closes the box.
        int boxesSeenInside = 0;
        fake::SetMessageBoxScript([&](const fake::MessageBoxCall&) {
            if (++boxesSeenInside > 1) return IDOK;
            for (int step = 1; step <= 3; ++step)
                fake::SetClientSize(gShell.mainWindow, 1000 + 100 * step, 900 + 100 * step);
            retained::testing::ResetFailures();
            fake::SetClientSize(gShell.mainWindow, 480, 380);
            return IDOK;
        });
        retained::testing::FailEveryCall(CallId::CreateDeviceFromClipper);
        fake::SetClientSize(gShell.mainWindow, 1000, 900);
        fake::PumpMessages();
        ASSERT_EQ(Boxes().size(), 1u) << "the boxes stacked up";
        EXPECT_EQ(Boxes()[0].text, "デバイスの生成に失敗しました");
        EXPECT_EQ(Boxes()[0].owner, gShell.mainWindow);
        ASSERT_NE(gScene.device, nullptr);
        EXPECT_EQ(gScene.device->GetWidth(), 480u);
        EXPECT_TRUE(ClickALegalSquare()) << "the board takes clicks again after the box";

        // One at a time, not once for good: a later failure is reported again.
        retained::testing::FailEveryCall(CallId::CreateDeviceFromClipper);
        fake::SetClientSize(gShell.mainWindow, 1200, 1000);
        fake::PumpMessages();
        EXPECT_EQ(Boxes().size(), 2u);
        retained::testing::ResetFailures();
        fake::SetClientSize(gShell.mainWindow, 400, 330);
        fake::PumpMessages();
        EXPECT_TRUE(ClickALegalSquare());
    }});
}
