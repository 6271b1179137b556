// The real window through the size changes a player makes: larger, smaller, maximised,
// restored, very small, a scene area of no height, minimised and restored. After each the
// whole scene area shows the board drawn for the new size and a click lands on the square
// under the pointer; a window larger than the device can be shows one failure box, after
// which the board plays on; memory goes back after a trip to a very large window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>

#include "tests/e2e/e2e_support.h"

using namespace e2e;

namespace {

Process gProgram;
std::string gWindow;
int gSceneTop = 0;     // the menu bar above the scene area
int gStatusStrip = 0;  // the status bar below it

std::string Size(int width, int height) {
    return std::to_string(width) + " " + std::to_string(height);
}

// The window's client size as the window manager gave it.
Point WindowSize() {
    std::string out;
    e2e::Run("xdotool getwindowgeometry " + gWindow, &out);
    Point size{0, 0};
    const size_t at = out.find("Geometry: ");
    if (at != std::string::npos) std::sscanf(out.c_str() + at, "Geometry: %dx%d", &size.x, &size.y);
    return size;
}

void ResizeTo(int width, int height) {
    e2e::Run("timeout 10 xdotool windowsize --sync " + gWindow + " " + Size(width, height));
}

// Drags the size grip in the window's bottom-right corner by (dx, dy) on the screen.
void DragSizeGrip(int dx, int dy) {
    std::string info;
    e2e::Run("xwininfo -id " + gWindow, &info);
    auto field = [&info](const std::string& label) {
        const size_t at = info.find(label);
        return at == std::string::npos ? 0 : std::atoi(info.c_str() + at + label.size());
    };
    const int x = field("Absolute upper-left X:") + field("Width:") - 3;
    const int y = field("Absolute upper-left Y:") + field("Height:") - 3;
    e2e::Run("xdotool mousemove --sync " + Size(x, y) + " mousedown 1 sleep 0.3 mousemove " +
             Size(x + dx / 2, y + dy / 2) + " sleep 0.2 mousemove " + Size(x + dx, y + dy) +
             " sleep 0.3 mouseup 1");
}

long ResidentKilobytes() {
    const std::string status = ReadFile("/proc/" + std::to_string(gProgram.pid) + "/status");
    const size_t at = status.find("VmRSS:");
    return at == std::string::npos ? -1 : std::atol(status.c_str() + at + 6);
}

// Waits until the picture holds still (no change over half a second).
Image SettledScreenshot() {
    Image last = Screenshot(gWindow);
    for (int i = 0; i < 40; ++i) {
        SleepSeconds(0.5);
        Image now = Screenshot(gWindow);
        if (now.pixels == last.pixels && !now.Empty()) return now;
        last = std::move(now);
    }
    return last;
}

Rect SceneOf(const Image& shot) {
    return {0, gSceneTop, shot.width, shot.height - gSceneTop - gStatusStrip};
}

bool IsMarker(uint32_t c) {
    return Red(c) > 140 && Red(c) > Green(c) + 30 && Blue(c) < 90;
}

// Square centres in window coordinates for a scene area, as the view's projection gives them.
std::map<std::string, Point> SquareCentres(const Rect& scene) {
    std::string out;
    const std::string command = std::string(ZANTOBEL_CLI_PATH) + " squares --width " +
                                std::to_string(scene.width) + " --height " +
                                std::to_string(scene.height);
    EXPECT_EQ(e2e::Run(command, &out), 0) << command;
    std::map<std::string, Point> centres;
    std::istringstream lines(out);
    std::string name;
    double x, y;
    while (lines >> name >> x >> y) {
        centres[name] = {scene.x + static_cast<int>(x + 0.5), scene.y + static_cast<int>(y + 0.5)};
    }
    return centres;
}

// What is wrong with the scene area of the shot: a corner of one of its four quadrants not
// showing the background (the old picture, or nothing drawn there), or the background not
// reaching an edge of the area.
std::string SceneProblems(const Image& shot) {
    const Rect s = SceneOf(shot);
    if (s.width < 8 || s.height < 8) return "no scene area in a " + Size(shot.width, shot.height);
    std::string problems;
    const Point corners[] = {{s.x + 2, s.y + 2},
                             {s.x + s.width - 3, s.y + 2},
                             {s.x + 2, s.y + s.height - 3},
                             {s.x + s.width - 3, s.y + s.height - 3}};
    for (Point p : corners) {
        char text[64];
        std::snprintf(text, sizeof text, " (%d,%d) is %06x;", p.x, p.y, shot.At(p.x, p.y));
        if (shot.At(p.x, p.y) != kBackground) problems += text;
    }
    const std::optional<Rect> bounds = BoundsOfColour(shot, kBackground);
    if (!bounds || bounds->x != s.x || bounds->y != s.y || bounds->width != s.width ||
        bounds->height != s.height) {
        problems += " the background does not fill the area " + Size(s.width, s.height);
    }
    return problems;
}

// Clicks the legal square (a marker) nearest the middle of the scene; "" when the disc landed
// there and turned at least one other.
std::string ClickLands(const Image& shot) {
    const Rect scene = SceneOf(shot);
    auto centres = SquareCentres(scene);
    if (centres.size() != 64) return "no square centres";
    const Point middle{scene.x + scene.width / 2, scene.y + scene.height / 2};
    std::string target;
    long best = -1;
    for (auto& [name, p] : centres) {
        if (p.x < 0 || p.y < 0 || p.x >= shot.width || p.y >= shot.height) continue;
        if (!IsMarker(shot.At(p.x, p.y))) continue;
        const long d =
            long{p.x - middle.x} * (p.x - middle.x) + long{p.y - middle.y} * (p.y - middle.y);
        if (best < 0 || d < best) {
            best = d;
            target = name;
        }
    }
    if (target.empty()) return "no marker at any square centre";
    ClickAt(gWindow, centres[target].x, centres[target].y);
    const Image after = SettledScreenshot();
    if (after.width != shot.width || after.height != shot.height) return "the window changed size";
    const uint32_t placed = after.At(centres[target].x, centres[target].y);
    if (placed == kBackground || IsMarker(placed)) return "no disc on " + target;
    int turned = 0;
    for (auto& [name, p] : centres) {
        if (name == target || p.x < 0 || p.y < 0 || p.x >= shot.width || p.y >= shot.height) {
            continue;
        }
        const uint32_t was = shot.At(p.x, p.y), now = after.At(p.x, p.y);
        turned += was != kBackground && !IsMarker(was) && now != was && !IsMarker(now);
    }
    return turned > 0 ? "" : "no disc turned by the move on " + target;
}

class Resize : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        gProgram = Start(ProgramUnderTest(ZANTOBEL_PATH));
        // A first start in a fresh Wine prefix (the Windows build) can take far longer than
        // a start here; the wait ends as soon as the window shows.
        ASSERT_TRUE(WaitForWindow("^ZANTOBEL$", 90, &gWindow)) << "no window";
        e2e::Run("timeout 10 xdotool windowmove --sync " + gWindow + " 0 0");
        std::optional<Rect> scene;
        Image shot;
        for (int i = 0; i < 200 && !scene; ++i) {
            shot = Screenshot(gWindow);
            scene = BoundsOfColour(shot, kBackground);
            if (!scene) SleepSeconds(0.05);
        }
        ASSERT_TRUE(scene) << "the scene was never drawn";
        gSceneTop = scene->y;
        gStatusStrip = shot.height - scene->y - scene->height;
        // Two people at the mouse: each click is one move and nothing else moves the game on.
        // スタート: 先手, 後手, USER vs USER.
        MenuKeys(gWindow, "Down Down Down Return");
        SleepSeconds(0.5);
    }

    static void TearDownTestSuite() {
        if (gProgram.pid > 0) {
            kill(gProgram.pid, SIGTERM);
            WaitForExit(gProgram, 5);
        }
    }
};

}  // namespace

TEST_F(Resize, EverySizeChangeShowsTheWholeBoardForTheNewSizeAndClicksLand) {
    ASSERT_GT(gSceneTop, 0);
    ASSERT_GT(gStatusStrip, 0);
    auto command = [](const char* text) {
        return [text] {
            char line[256];
            std::snprintf(line, sizeof line, text, gWindow.c_str(), gWindow.c_str());
            e2e::Run(std::string("timeout 10 sh -c '") + line + "'");
        };
    };
    struct Step {
        const char* name;
        std::function<void()> act;
        bool click;
    } steps[] = {
        {"larger", command("xdotool windowsize --sync %s 700 560"), true},
        {"smaller", command("xdotool windowsize --sync %s 300 260"), true},
        {"maximised", command("wmctrl -i -r %s -b add,maximized_vert,maximized_horz"), true},
        {"restored", command("wmctrl -i -r %s -b remove,maximized_vert,maximized_horz"), true},
        {"dragged by the size grip", [] { DragSizeGrip(260, 180); }, true},
        {"very small", command("xdotool windowsize --sync %s 160 110"), false},
        {"no scene height", command("xdotool windowsize --sync %s 300 30"), false},
        {"larger again", command("xdotool windowsize --sync %s 520 460"), true},
        {"minimised and restored",
         command("xdotool windowminimize --sync %s; sleep 1; xdotool windowactivate --sync %s"),
         true},
    };
    for (const Step& s : steps) {
        const Point before = WindowSize();
        s.act();
        SleepSeconds(0.5);
        const Image shot = SettledScreenshot();
        ASSERT_FALSE(shot.Empty()) << s.name;
        std::string file = OutputPath(ZANTOBEL_E2E_OUT, std::string("resize-") + s.name + ".png");
        std::replace(file.begin(), file.end(), ' ', '-');
        SavePng(shot, file);
        const Point size = WindowSize();
        std::printf("%s: window %dx%d\n", s.name, size.x, size.y);
        const bool sameSize = size.x == before.x && size.y == before.y;
        EXPECT_EQ(sameSize, std::string(s.name) == "minimised and restored") << s.name;
        if (std::string(s.name) == "no scene height") {
            EXPECT_LE(shot.height - gSceneTop - gStatusStrip, 0) << "the window kept a scene area";
            EXPECT_EQ(WaitForExit(gProgram, 0), std::nullopt) << "the program ended";
            continue;
        }
        EXPECT_EQ(SceneProblems(shot), "") << s.name;
        if (s.click) {
            EXPECT_EQ(ClickLands(shot), "") << s.name;
        }
    }
}

TEST_F(Resize, MemoryGoesBackAfterAVeryLargeWindowShrinks) {
    ResizeTo(400, 400);
    SettledScreenshot();
    const long start = ResidentKilobytes();
    for (int side : {1000, 1800, 2400, 3000}) {
        ResizeTo(side, side);
        SleepSeconds(0.5);
    }
    SleepSeconds(1.5);
    const Point large = WindowSize();
    const long atLarge = ResidentKilobytes();
    for (int side : {2400, 1500, 800, 400}) {
        ResizeTo(side, side);
        SleepSeconds(0.5);
    }
    SettledScreenshot();
    const long after = ResidentKilobytes();
    std::printf("resident memory: %ld kB at 400x400, %ld kB at %dx%d, %ld kB back at 400x400\n",
                start, atLarge, large.x, large.y, after);
    EXPECT_EQ(large.x, 3000);
    EXPECT_GT(atLarge - start, 50 * 1024) << "the large window never got its device";
    EXPECT_LT(after - start, 30 * 1024) << "buffers for the large window were kept";
}

// One trip: 設定 opened, the window made larger than the screen under it and shrunk back,
// the dialog closed with Escape.
void TripToALargeWindowUnderTheSettingsDialog() {
    MenuKeys(gWindow, "Down Down Down Down Down Down Return");
    std::string dialog;
    ASSERT_TRUE(WaitForWindow("^設定$", 10, &dialog)) << "設定 did not open";
    ResizeTo(1920, 1080);
    SleepSeconds(1.5);
    ResizeTo(400, 400);
    SleepSeconds(0.5);
    Keys(dialog, "Escape");
    ASSERT_TRUE(WaitForNoWindow("^設定$", 10)) << "設定 did not close";
    SettledScreenshot();
}

// The first trip may load what the dialog needs and fill pools the display libraries keep;
// later trips to the same size must find everything in place and leave nothing more behind.
TEST_F(Resize, TripsToALargeWindowUnderADialogLeaveNoMoreResidentEachTime) {
    ResizeTo(400, 400);
    TripToALargeWindowUnderTheSettingsDialog();
    const long afterFirst = ResidentKilobytes();
    for (int trip = 0; trip < 2; ++trip)
        TripToALargeWindowUnderTheSettingsDialog();
    const long afterThird = ResidentKilobytes();
    std::printf("resident memory after the first trip %ld kB, after the third %ld kB\n", afterFirst,
                afterThird);
    ASSERT_GT(afterFirst, 0);
    EXPECT_LT(afterThird - afterFirst, 3 * 1024) << "each trip to a large window kept more";
}

int FailureBoxes() {
    std::string out;
    e2e::Run("xdotool search --onlyvisible --name '^エラー$'", &out);
    int boxes = 0;
    std::istringstream ids(out);
    for (std::string id; ids >> id;)
        ++boxes;
    return boxes;
}

TEST_F(Resize, AWindowTooLargeForTheDeviceShowsOneBoxAndTheBoardPlaysOnAfterIt) {
    int mostBoxes = 0;
    for (const char* size : {"2000 1500", "7000 6000", "7500 6000", "8000 6000"}) {
        e2e::Run("timeout 10 xdotool windowsize " + gWindow + " " + size);
        SleepSeconds(1.0);
        const int boxes = FailureBoxes();
        std::printf("window %s: %d failure box(es)\n", size, boxes);
        mostBoxes = std::max(mostBoxes, boxes);
    }
    // A slow machine may still be opening boxes for the last steps.
    WaitForWindow("^エラー$", 10);
    SleepSeconds(2.0);
    mostBoxes = std::max(mostBoxes, FailureBoxes());
    EXPECT_EQ(mostBoxes, 1) << "never more than one box, and one there must be";
    // Back to a size the device can do, then the player closes the box.
    ResizeTo(520, 460);
    std::string box;
    ASSERT_TRUE(WaitForWindow("^エラー$", 5, &box));
    e2e::Run("timeout 10 xdotool windowactivate --sync " + box);
    Keys(box, "Return");
    ASSERT_TRUE(WaitForNoWindow("^エラー$", 10)) << "the box did not close";
    const Image shot = SettledScreenshot();
    EXPECT_EQ(SceneProblems(shot), "");
    EXPECT_EQ(ClickLands(shot), "");
}

TEST_F(Resize, ClosingTheWindowEndsCleanly) {
    e2e::Run("wmctrl -c ZANTOBEL");
    const std::optional<int> code = WaitForExit(gProgram, 20);
    ASSERT_TRUE(code) << "the program did not end";
    EXPECT_EQ(*code, 0);
    const std::string err = ReadFile(gProgram.errPath);
    EXPECT_EQ(err.find("-CRITICAL"), std::string::npos) << err;
    EXPECT_EQ(err.find("-WARNING"), std::string::npos) << err;
}
