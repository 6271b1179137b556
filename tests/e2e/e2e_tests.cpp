// The real program in a real window on a virtual display, driven with the pointer and the
// keyboard, checked by screenshots. The tests run in order on one running program, as a
// person would play: look, click, turn the camera, change the settings, watch a computer game,
// start again, try a second copy, close the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include "tests/e2e/e2e_support.h"

using namespace e2e;

namespace {

Process gProgram;
std::string gWindow;
Rect gScene;  // the scene area inside the window, found from the background colour
double gFirstFrameSeconds = 0;

// Square centres in window coordinates for the camera after left and up arrow presses, as
// the view's own projection gives them.
std::map<std::string, Point> SquareCentres(int left, int up) {
    std::string out;
    const std::string command = std::string(ZANTOBEL_CLI_PATH) + " squares --width " +
                                std::to_string(gScene.width) + " --height " +
                                std::to_string(gScene.height) + " --camera " +
                                std::to_string(left) + "," + std::to_string(up);
    EXPECT_EQ(e2e::Run(command, &out), 0) << command;
    std::map<std::string, Point> centres;
    std::istringstream lines(out);
    std::string name;
    double x, y;
    while (lines >> name >> x >> y) {
        centres[name] = {gScene.x + static_cast<int>(x + 0.5),
                         gScene.y + static_cast<int>(y + 0.5)};
    }
    EXPECT_EQ(centres.size(), 64u) << out;
    return centres;
}

// The settings dialog's size in dialog units, and a place in it, as the template gives them.
constexpr int kConfigDialogWidth = 138;
constexpr int kConfigDialogHeight = 123;
struct DialogUnits {
    int x;
    int y;
};

uint32_t PixelAt(const Image& image, Point p) {
    return image.At(p.x, p.y);
}

bool IsMarker(uint32_t c) {
    return Red(c) > 140 && Red(c) > Green(c) + 30 && Blue(c) < 90;
}
// The discs are grey-scale: a black top reads dark (its highlight, where it shows, is a
// spot near the edge), a white one white. At a square's centre nothing else is a dark grey:
// an empty square shows the brown background there, and no shadow reaches a neighbour's
// centre.
bool IsNeutral(uint32_t c) {
    return std::abs(Red(c) - Green(c)) < 16 && std::abs(Green(c) - Blue(c)) < 16;
}
bool IsBlackDisc(uint32_t c) {
    return IsNeutral(c) && Luminance(c) < 64;
}
// In Gouraud shading a white top darkens toward the edge turned from the light.
bool IsWhiteDisc(uint32_t c) {
    return IsNeutral(c) && Luminance(c) >= 200;
}

// The status bar strip below the scene area.
Image StatusStrip(const Image& shot) {
    Image strip;
    strip.width = shot.width;
    strip.height = shot.height - (gScene.y + gScene.height);
    for (int y = gScene.y + gScene.height; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x)
            strip.pixels.push_back(shot.At(x, y));
    }
    return strip;
}

bool SameScene(const Image& a, const Image& b) {
    for (int y = gScene.y; y < gScene.y + gScene.height; ++y) {
        for (int x = gScene.x; x < gScene.x + gScene.width; ++x) {
            if (a.At(x, y) != b.At(x, y)) return false;
        }
    }
    return true;
}

// Waits until the picture holds still (no change over half a second).
Image SettledScreenshot() {
    Image last = Screenshot(gWindow);
    for (int i = 0; i < 40; ++i) {
        SleepSeconds(0.5);
        Image now = Screenshot(gWindow);
        if (now.pixels == last.pixels) return now;
        last = std::move(now);
    }
    return last;
}

class Game : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        const auto start = std::chrono::steady_clock::now();
        gProgram = Start(ProgramUnderTest(ZANTOBEL_PATH));
        // A first start in a fresh Wine prefix (the Windows build) can take far longer than
        // a start here; the wait ends as soon as the window shows.
        ASSERT_TRUE(WaitForWindow("^ZANTOBEL$", 90, &gWindow)) << "no window";
        std::optional<Rect> scene;
        for (int i = 0; i < 200 && !scene; ++i) {
            scene = BoundsOfColour(Screenshot(gWindow), kBackground);
            if (!scene) SleepSeconds(0.02);
        }
        gFirstFrameSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ASSERT_TRUE(scene) << "the scene was never drawn";
        gScene = *scene;
        std::printf("first painted frame after %.3f s; scene area %dx%d at %d,%d\n",
                    gFirstFrameSeconds, gScene.width, gScene.height, gScene.x, gScene.y);
    }

    static void TearDownTestSuite() {
        if (gProgram.pid > 0) {
            kill(gProgram.pid, SIGTERM);
            WaitForExit(gProgram, 5);
        }
    }
};

}  // namespace

TEST_F(Game, WindowOpensWithTheBoardDiscsAndMarkers) {
    const Image shot = SettledScreenshot();
    ASSERT_FALSE(shot.Empty());
    SavePng(shot, OutputPath(ZANTOBEL_E2E_OUT, "screenshot.png"));
    auto c = SquareCentres(0, 0);
    EXPECT_EQ(PixelAt(shot, c["a1"]), kBackground) << "an empty square shows the background";
    EXPECT_EQ(PixelAt(shot, c["h8"]), kBackground);
    // The grid: a black line crosses the way from one square's centre to its neighbour's.
    // Every pixel of the way is looked at: a one-pixel line falls between samples taken at a
    // fixed fraction of the way whenever the squares are a little wider than that.
    for (auto [from, to] : {std::pair{"a1", "b1"}, {"c3", "c4"}, {"g7", "h7"}}) {
        const int steps = std::max(std::abs(c[to].x - c[from].x), std::abs(c[to].y - c[from].y));
        bool line = false;
        for (int k = 1; k < steps; ++k) {
            const Point p{c[from].x + (c[to].x - c[from].x) * k / steps,
                          c[from].y + (c[to].y - c[from].y) * k / steps};
            line = line || Luminance(PixelAt(shot, p)) < 25;
        }
        EXPECT_TRUE(line) << from << "-" << to;
    }
    EXPECT_TRUE(IsWhiteDisc(PixelAt(shot, c["d4"])));
    EXPECT_TRUE(IsWhiteDisc(PixelAt(shot, c["e5"])));
    EXPECT_TRUE(IsBlackDisc(PixelAt(shot, c["e4"])));
    EXPECT_TRUE(IsBlackDisc(PixelAt(shot, c["d5"])));
    for (const char* legal : {"d3", "c4", "f5", "e6"}) {
        EXPECT_TRUE(IsMarker(PixelAt(shot, c[legal]))) << legal;
    }
    int markers = 0;
    for (auto& [name, p] : c)
        markers += IsMarker(PixelAt(shot, p));
    EXPECT_EQ(markers, 4);
}

TEST_F(Game, ALegalClickTurnsADiscAndChangesTheCounts) {
    auto c = SquareCentres(0, 0);
    const Image before = SettledScreenshot();
    ClickAt(gWindow, c["f5"].x, c["f5"].y);
    const Image after = SettledScreenshot();
    EXPECT_TRUE(IsBlackDisc(PixelAt(after, c["f5"])));
    EXPECT_FALSE(SameScene(before, after));
    EXPECT_NE(StatusStrip(before).pixels, StatusStrip(after).pixels) << "the counts changed";
}

TEST_F(Game, AnIllegalClickChangesNothing) {
    auto c = SquareCentres(0, 0);
    const Image before = SettledScreenshot();
    ClickAt(gWindow, c["a1"].x, c["a1"].y);
    ClickAt(gWindow, c["h1"].x, c["h1"].y);
    SleepSeconds(1.0);
    const Image after = SettledScreenshot();
    EXPECT_TRUE(SameScene(before, after));
    EXPECT_EQ(StatusStrip(before).pixels, StatusStrip(after).pixels);
}

TEST_F(Game, ArrowKeysMoveTheCameraAndClicksStillLandOnTheirSquare) {
    const Image before = SettledScreenshot();
    Keys(gWindow, "Left Left Left Up Up");
    const Image turned = SettledScreenshot();
    EXPECT_FALSE(SameScene(before, turned));
    auto c = SquareCentres(3, 2);
    std::string target;
    for (auto& [name, p] : c) {
        if (IsMarker(PixelAt(turned, p))) target = name;
    }
    ASSERT_FALSE(target.empty()) << "no marker found at any square centre of the turned view";
    ClickAt(gWindow, c[target].x, c[target].y);
    const Image after = SettledScreenshot();
    EXPECT_TRUE(IsBlackDisc(PixelAt(after, c[target]))) << target;
    Keys(gWindow, "Right Right Right Down Down");
}

// GTK's complaints about misused widgets (a freed widget hidden again, say) on the program's
// stderr so far.
std::string GtkComplaints() {
    std::string complaints;
    std::istringstream lines(ReadFile(gProgram.errPath));
    for (std::string line; std::getline(lines, line);) {
        if (line.find("-CRITICAL") != std::string::npos ||
            line.find("-WARNING") != std::string::npos) {
            complaints += line + "\n";
        }
    }
    return complaints;
}

TEST_F(Game, SettingsAndHelpCloseEveryWayWithoutAComplaint) {
    struct Case {
        const char* title;
        const char* menuKeys;  // スタート: ..., 難易度, 設定, ヘルプ
        const char* how;
    };
    const Case cases[] = {
        {"設定", "Down Down Down Down Down Down Return", "Return"},
        {"設定", "Down Down Down Down Down Down Return", "Escape"},
        {"設定", "Down Down Down Down Down Down Return", "Cancel"},
        {"設定", "Down Down Down Down Down Down Return", "close box"},
        {"設定", "Down Down Down Down Down Down Return", "alt+F4"},
        {"ヘルプ", "Down Down Down Down Down Down Down Return", "Return"},
        {"ヘルプ", "Down Down Down Down Down Down Down Return", "Escape"},
        {"ヘルプ", "Down Down Down Down Down Down Down Return", "close box"},
        {"ヘルプ", "Down Down Down Down Down Down Down Return", "alt+F4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.title) + " closed with " + c.how);
        MenuKeys(gWindow, c.menuKeys);
        std::string dialog;
        ASSERT_TRUE(WaitForWindow(std::string("^") + c.title + "$", 10, &dialog));
        SleepSeconds(0.3);
        const std::string how = c.how;
        if (how == "close box") {
            e2e::Run(std::string("wmctrl -c ") + c.title);
        } else if (how == "Cancel") {
            // ｷｬﾝｾﾙ sits at 73,102 (50 x 14) dialog units; base units 7 x 13 pixels.
            ClickAt(dialog, 172, 177);
        } else {
            Keys(dialog, how);
        }
        EXPECT_TRUE(WaitForNoWindow(std::string("^") + c.title + "$", 10));
        SleepSeconds(0.3);
        EXPECT_EQ(GtkComplaints(), "");
        // The main window takes input again: an arrow key turns the camera and back.
        const Image before = SettledScreenshot();
        Keys(gWindow, "Left");
        EXPECT_FALSE(SameScene(before, SettledScreenshot()));
        Keys(gWindow, "Right");
    }
}

TEST_F(Game, SettingsDialogSwitchesToGouraudShadingAtOnce) {
    const Image before = SettledScreenshot();
    // スタート: 先手, 後手, USER vs USER, COM vs COM, 難易度, 設定.
    MenuKeys(gWindow, "Down Down Down Down Down Down Return");
    std::string dialog;
    ASSERT_TRUE(WaitForWindow("^設定$", 10, &dialog));
    // Both boxes are unticked, Gouraud is chosen, then OK, each clicked where the template
    // puts it. (The keyboard would not do on every system: the template gives the radio
    // buttons no tab stop, so the system's own dialogs reach them only with the pointer.)
    const Image face = Screenshot(dialog);
    ASSERT_FALSE(face.Empty());
    for (DialogUnits at : {DialogUnits{19, 15}, {19, 30}, {29, 65}, {39, 109}}) {
        ClickAt(dialog, face.width * at.x / kConfigDialogWidth,
                face.height * at.y / kConfigDialogHeight);
        SleepSeconds(0.3);
    }
    ASSERT_TRUE(WaitForNoWindow("^設定$", 10));
    const Image after = SettledScreenshot();
    EXPECT_FALSE(SameScene(before, after)) << "the shading change shows at once";
    SavePng(after, OutputPath(ZANTOBEL_E2E_OUT, "gouraud.png"));
}

TEST_F(Game, ComputersPlayToTheEndAndTheResultDialogOpens) {
    // スタート: 先手, 後手, USER vs USER, COM vs COM; then the settings while they play, so
    // the result opens over the settings dialog, from a tick of its modal loop.
    MenuKeys(gWindow, "Down Down Down Down Return");
    MenuKeys(gWindow, "Down Down Down Down Down Down Return");
    std::string settings;
    const bool settingsOpened = WaitForWindow("^設定$", 10, &settings);
    std::string dialog;
    ASSERT_TRUE(WaitForWindow("^対局結果$", 180, &dialog)) << "the game never ended";
    SleepSeconds(0.5);
    SavePng(Screenshot(dialog), OutputPath(ZANTOBEL_E2E_OUT, "result-dialog.png"));
    SavePng(Screenshot("root"), OutputPath(ZANTOBEL_E2E_OUT, "result-over-settings.png"));
    Keys(dialog, "Return");
    ASSERT_TRUE(WaitForNoWindow("^対局結果$", 10));
    EXPECT_TRUE(settingsOpened) << "the result was to open over the settings";
    if (settingsOpened) {
        EXPECT_TRUE(FindWindowByTitle("^設定$")) << "closing the inner dialog leaves the outer";
        Keys(settings, "Escape");
        EXPECT_TRUE(WaitForNoWindow("^設定$", 10));
    }
    EXPECT_EQ(GtkComplaints(), "");
    // The board stays as it ended (the dialog no longer hides part of it) until the next
    // click, which starts a new game.
    const Image board = SettledScreenshot();
    auto c = SquareCentres(0, 0);
    int black = 0, white = 0;
    for (auto& [name, p] : c) {
        black += IsBlackDisc(PixelAt(board, p));
        white += IsWhiteDisc(PixelAt(board, p));
    }
    std::printf("final board on screen: %d black, %d white\n", black, white);
    EXPECT_GT(black + white, 4);
    EXPECT_GT(black + white, 40) << "a game between computers fills most of the board";
    ClickAt(gWindow, gScene.x + 5, gScene.y + 5);
    // A two-player game then waits for clicks; the markers are off since the settings.
    MenuKeys(gWindow, "Down Down Down Return");
    const Image fresh = SettledScreenshot();
    EXPECT_TRUE(IsWhiteDisc(PixelAt(fresh, c["d4"])));
    EXPECT_TRUE(IsBlackDisc(PixelAt(fresh, c["e4"])));
    EXPECT_EQ(PixelAt(fresh, c["c3"]), kBackground);
    int markers = 0;
    for (auto& [name, p] : c)
        markers += IsMarker(PixelAt(fresh, p));
    EXPECT_EQ(markers, 0) << "markers were switched off in the settings";
}

TEST_F(Game, TheResultDialogClosesWithEscapeAndItsCloseBoxToo) {
    for (const std::string how : {"Escape", "close box"}) {
        SCOPED_TRACE(how);
        // スタート: 先手, 後手, USER vs USER, COM vs COM.
        MenuKeys(gWindow, "Down Down Down Down Return");
        std::string dialog;
        ASSERT_TRUE(WaitForWindow("^対局結果$", 180, &dialog)) << "the game never ended";
        SleepSeconds(0.5);
        if (how == "Escape") {
            Keys(dialog, "Escape");
        } else {
            e2e::Run("wmctrl -c 対局結果");
        }
        ASSERT_TRUE(WaitForNoWindow("^対局結果$", 10));
        EXPECT_EQ(GtkComplaints(), "");
        // As after OK: the board stays as it ended (most squares hold a disc, whatever its
        // shading), and the main window takes the menu again below.
        const Image after = SettledScreenshot();
        int covered = 0;
        for (auto& [name, p] : SquareCentres(0, 0))
            covered += PixelAt(after, p) != kBackground ? 1 : 0;
        EXPECT_GT(covered, 40);
    }
    // Two players again, so nothing ends behind the tests that follow.
    MenuKeys(gWindow, "Down Down Down Return");
    EXPECT_FALSE(WaitForWindow("^対局結果$", 2));
}

TEST_F(Game, ASecondCopyEndsAtOnceWhileTheFirstRuns) {
    Process second = Start(ProgramUnderTest(ZANTOBEL_PATH));
    const std::optional<int> code = WaitForExit(second, 10);
    ASSERT_TRUE(code) << "the second copy kept running";
    EXPECT_EQ(*code, 0);
    EXPECT_TRUE(FindWindowByTitle("^ZANTOBEL$"));
    EXPECT_EQ(gProgram.pid > 0 ? WaitForExit(gProgram, 0) : std::optional<int>(-1), std::nullopt);
}

TEST_F(Game, ClosingTheWindowEndsWithCodeZeroAndNothingLeftAlive) {
    e2e::Run("wmctrl -c ZANTOBEL");
    const std::optional<int> code = WaitForExit(gProgram, 20);
    ASSERT_TRUE(code) << "the program did not end";
    EXPECT_EQ(*code, 0);
    const std::string err = ReadFile(gProgram.errPath);
    EXPECT_EQ(err.find("still alive"), std::string::npos) << err;
    // GTK reports misuse of its widgets (a dead focus widget, say) as criticals on stderr.
    EXPECT_EQ(err.find("-CRITICAL"), std::string::npos) << err;
    EXPECT_EQ(err.find("-WARNING"), std::string::npos) << err;
}
