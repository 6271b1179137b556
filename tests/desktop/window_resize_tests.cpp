// Size changes through the recording backend: every change of the client size reaches the
// window as WM_SIZE, and the paint that follows covers the whole client area when the class
// asks for a redraw on that dimension (only the gained strips otherwise).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/desktop/desktop.h"
#include "platform/desktop/fake/fake_desktop.h"

namespace {

using namespace desktop;

struct Seen {
    UINT message;
    LPARAM lParam;
    RECT paint;
};

std::vector<Seen> gSeen;

LRESULT PaintingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        gSeen.push_back({message, lParam, ps.rcPaint});
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (message == WM_SIZE) gSeen.push_back({message, lParam, {}});
    return DefWindowProc(hwnd, message, wParam, lParam);
}

std::vector<RECT> Paints() {
    std::vector<RECT> out;
    for (const Seen& s : gSeen)
        if (s.message == WM_PAINT) out.push_back(s.paint);
    return out;
}

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

class WindowResize : public ::testing::Test {
  protected:
    void SetUp() override {
        fake::Reset();
        gSeen.clear();
    }
    void TearDown() override { fake::Reset(); }

    // A shown, painted window of the class style with a 300 x 200 client area.
    HWND MakeWindow(UINT classStyle) {
        WNDCLASS wc{};
        wc.style = classStyle;
        wc.lpfnWndProc = PaintingProc;
        wc.lpszClassName = "RESIZED";
        wc.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        EXPECT_NE(RegisterClass(&wc), 0);
        HWND hwnd = CreateWindowEx(0, "RESIZED", "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 400, nullptr,
                                   nullptr, nullptr, nullptr);
        ShowWindow(hwnd, SW_SHOW);
        fake::SetClientSize(hwnd, 300, 200);
        fake::PumpMessages();
        gSeen.clear();
        return hwnd;
    }
};

TEST_F(WindowResize, ThePaintAfterASizeChangeCoversWhatTheClassStyleAsksFor) {
    constexpr UINT kBoth = CS_HREDRAW | CS_VREDRAW;
    const RECT kNone{0, 0, 0, 0};
    struct Case {
        const char* name;
        UINT style;
        int width, height;
        RECT expected;  // the one paint's rectangle; kNone: no paint at all
    } cases[] = {
        {"both, larger", kBoth, 640, 480, {0, 0, 640, 480}},
        {"both, smaller", kBoth, 120, 90, {0, 0, 120, 90}},
        {"both, wider only", kBoth, 500, 200, {0, 0, 500, 200}},
        {"both, narrower only", kBoth, 200, 200, {0, 0, 200, 200}},
        {"both, lower only", kBoth, 300, 100, {0, 0, 300, 100}},
        {"horizontal, narrower", CS_HREDRAW, 200, 200, {0, 0, 200, 200}},
        {"horizontal, lower only", CS_HREDRAW, 300, 100, kNone},
        {"horizontal, taller only", CS_HREDRAW, 300, 260, {0, 200, 300, 260}},
        {"vertical, lower", CS_VREDRAW, 300, 150, {0, 0, 300, 150}},
        {"vertical, wider only", CS_VREDRAW, 360, 200, {300, 0, 360, 200}},
        {"neither, smaller", 0, 100, 100, kNone},
        {"neither, larger", 0, 400, 250, {0, 0, 400, 250}},  // two gained strips, joined
        {"neither, wider only", 0, 350, 200, {300, 0, 350, 200}},
    };
    for (const Case& c : cases) {
        SetUp();
        HWND hwnd = MakeWindow(c.style);
        fake::SetClientSize(hwnd, c.width, c.height);
        fake::PumpMessages();
        ASSERT_FALSE(gSeen.empty()) << c.name;
        EXPECT_EQ(gSeen[0].message, WM_SIZE) << c.name;
        EXPECT_EQ(gSeen[0].lParam, MAKELPARAM(c.width, c.height)) << c.name;
        const std::vector<RECT> paints = Paints();
        if (c.expected.right == 0) {
            EXPECT_TRUE(paints.empty()) << c.name;
        } else {
            ASSERT_EQ(paints.size(), 1u) << c.name;
            EXPECT_EQ(Text(paints[0]), Text(c.expected)) << c.name;
        }
        TearDown();
    }
}

TEST_F(WindowResize, AnUnchangedSizeNeitherResizesNorRepaints) {
    HWND hwnd = MakeWindow(CS_HREDRAW | CS_VREDRAW);
    fake::SetClientSize(hwnd, 300, 200);
    fake::PumpMessages();
    EXPECT_TRUE(gSeen.empty());
}

TEST_F(WindowResize, RestoringFromMinimisedRepaintsTheWholeClientArea) {
    HWND hwnd = MakeWindow(CS_HREDRAW | CS_VREDRAW);
    fake::Minimize(hwnd);
    fake::PumpMessages();
    EXPECT_TRUE(Paints().empty()) << "nothing to paint while minimised";
    gSeen.clear();
    fake::Restore(hwnd);
    fake::PumpMessages();
    ASSERT_FALSE(gSeen.empty());
    EXPECT_EQ(gSeen[0].message, WM_SIZE);
    RECT client;
    GetClientRect(hwnd, &client);
    ASSERT_EQ(Paints().size(), 1u);
    EXPECT_EQ(Text(Paints()[0]), Text(client));
    EXPECT_GT(client.right, 0);
}

// The platform marks the area before WM_SIZE, so a size handler that paints at once
// (UpdateWindow) already draws everything for the new size.
LRESULT UpdatingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) {
        UpdateWindow(hwnd);
        gSeen.push_back({WM_SIZE, lParam, {}});
        return 0;
    }
    return PaintingProc(hwnd, message, wParam, lParam);
}

TEST_F(WindowResize, TheNewAreaIsMarkedBeforeTheWindowHearsOfItsSize) {
    WNDCLASS wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = UpdatingProc;
    wc.lpszClassName = "UPDATING";
    ASSERT_NE(RegisterClass(&wc), 0);
    HWND hwnd = CreateWindowEx(0, "UPDATING", "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 400, nullptr,
                               nullptr, nullptr, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    fake::PumpMessages();
    gSeen.clear();
    fake::SetClientSize(hwnd, 500, 300);
    ASSERT_EQ(gSeen.size(), 2u);
    EXPECT_EQ(gSeen[0].message, WM_PAINT);
    EXPECT_EQ(Text(gSeen[0].paint), Text(RECT{0, 0, 500, 300}));
    EXPECT_EQ(gSeen[1].message, WM_SIZE);
}

}  // namespace
