// The window manager through the recording backend: classes and creation, the message queue
// and the loop, timers ending with their window, painting, input to disabled windows, the
// status bar's parts and layout, modal nesting.
#include <gtest/gtest.h>

#include <functional>

#include <string>
#include <vector>

#include "platform/desktop/core/core.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/fake/fake_desktop.h"

namespace {

using namespace desktop;

struct Received {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    RECT clientAtCreate;
};

std::vector<Received> gReceived;
LRESULT gCreateResult = 0;

LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    RECT client{};
    if (message == WM_CREATE) GetClientRect(hwnd, &client);
    gReceived.push_back({hwnd, message, wParam, lParam, client});
    if (message == WM_CREATE) return gCreateResult;
    if (message == WM_DESTROY) PostQuitMessage(7);
    if (message == WM_PAINT || message == WM_CLOSE)
        return DefWindowProc(hwnd, message, wParam, lParam);
    return 0;
}

std::vector<UINT> Messages(UINT only = 0) {
    std::vector<UINT> out;
    for (const Received& r : gReceived)
        if (!only || r.message == only) out.push_back(r.message);
    return out;
}

class WindowManager : public ::testing::Test {
  protected:
    void SetUp() override {
        fake::Reset();
        gReceived.clear();
        gCreateResult = 0;
        WNDCLASS wc{};
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = "TESTCLASS";
        wc.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        ASSERT_NE(RegisterClass(&wc), 0);
    }
    void TearDown() override { fake::Reset(); }

    HWND MakeWindow() {
        return CreateWindowEx(0, "TESTCLASS", "title", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 400, 400, nullptr, nullptr, GetModuleHandle(nullptr),
                              nullptr);
    }
};

TEST_F(WindowManager, RegisteringAClassTwiceOrIncompleteFails) {
    WNDCLASS same{};
    same.lpfnWndProc = RecordingProc;
    same.lpszClassName = "testclass";  // names match without regard to case
    EXPECT_EQ(RegisterClass(&same), 0);
    WNDCLASS noProc{};
    noProc.lpszClassName = "OTHER";
    EXPECT_EQ(RegisterClass(&noProc), 0);
    EXPECT_EQ(RegisterClass(nullptr), 0);
}

TEST_F(WindowManager, CreationSendsCreateWithTheRealClientSizeThenSize) {
    HWND hwnd = MakeWindow();
    ASSERT_NE(hwnd, nullptr);
    ASSERT_EQ(Messages(), (std::vector<UINT>{WM_CREATE, WM_SIZE}));
    EXPECT_EQ(gReceived[0].hwnd, hwnd);
    EXPECT_EQ(gReceived[0].clientAtCreate.right, 392);
    EXPECT_EQ(gReceived[0].clientAtCreate.bottom, 372);  // no menu: frame and caption only
    EXPECT_EQ(gReceived[1].lParam, MAKELPARAM(392, 372));
    EXPECT_EQ(FindWindow("testclass", nullptr), hwnd);
    EXPECT_EQ(FindWindow("TESTCLASS", "other title"), nullptr);
}

TEST_F(WindowManager, CreateReturningMinusOneFailsTheCreation) {
    gCreateResult = -1;
    EXPECT_EQ(MakeWindow(), nullptr);
    EXPECT_EQ(FindWindow("TESTCLASS", nullptr), nullptr);
    fake::FailNextCreateWindow("TESTCLASS");
    gCreateResult = 0;
    gReceived.clear();
    EXPECT_EQ(MakeWindow(), nullptr);
    EXPECT_TRUE(gReceived.empty()) << "a window that cannot be made gets no messages";
    EXPECT_NE(MakeWindow(), nullptr) << "only the next creation fails";
}

TEST_F(WindowManager, UnknownClassOrOrphanChildIsRefused) {
    EXPECT_EQ(CreateWindowEx(0, "NOSUCH", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(CreateWindowEx(0, "TESTCLASS", "", WS_CHILD, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                             nullptr),
              nullptr);
}

TEST_F(WindowManager, ForeignWindowsAreFoundByClass) {
    EXPECT_EQ(FindWindow("ZANTOBEL", nullptr), nullptr);
    fake::AddForeignWindow("ZANTOBEL", "ZANTOBEL");
    EXPECT_NE(FindWindow("zantobel", nullptr), nullptr);
}

TEST_F(WindowManager, FirstShowActivatesAndSchedulesOnePaint) {
    HWND hwnd = MakeWindow();
    gReceived.clear();
    ShowWindow(hwnd, SW_SHOWNORMAL);
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_ACTIVATE}));
    EXPECT_EQ(LOWORD(gReceived[0].wParam), WA_ACTIVE);
    EXPECT_EQ(fake::PumpMessages(), 1u);
    EXPECT_EQ(Messages(WM_PAINT).size(), 1u);
    EXPECT_EQ(fake::PumpMessages(), 0u) << "a validated window is not painted again";
}

TEST_F(WindowManager, PostedMessagesComeBeforeTheQuitAndLoopReturnsItsCode) {
    HWND hwnd = MakeWindow();
    PostQuitMessage(3);
    PostMessage(hwnd, WM_USER + 1, 11, 22);
    MSG msg;
    ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_USER + 1);
    EXPECT_EQ(msg.wParam, 11u);
    EXPECT_FALSE(GetMessage(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(WindowManager, CloseThroughDefaultHandlingDestroysAndEndsTheLoop) {
    HWND hwnd = MakeWindow();
    SetTimer(hwnd, 1, 50, nullptr);
    PostMessage(hwnd, WM_CLOSE, 0, 0);
    MSG msg;
    int loops = 0;
    while (GetMessage(&msg, nullptr, 0, 0)) {
        DispatchMessage(&msg);
        ++loops;
    }
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(fake::LoopRanDry());
    EXPECT_EQ(Messages(WM_DESTROY).size(), 1u);
    EXPECT_FALSE(fake::FireTimer(hwnd, 1)) << "the timer ends with its window";
}

TEST_F(WindowManager, NothingReachesAWindowAfterItsDestroyMessage) {
    HWND hwnd = MakeWindow();
    ShowWindow(hwnd, SW_SHOW);
    SetTimer(hwnd, 1, 50, nullptr);
    PostMessage(hwnd, WM_USER, 0, 0);
    fake::FireTimer(hwnd, 1);  // a tick already dispatched...
    fake::SetCursorScreenPos({50, 80});
    PostMessage(hwnd, WM_TIMER, 1, 0);  // ...and one still queued with the input
    DestroyWindow(hwnd);
    ASSERT_EQ(gReceived.back().message, WM_DESTROY);
    size_t count = gReceived.size();
    fake::PumpMessages();
    EXPECT_FALSE(fake::FireTimer(hwnd, 1));
    EXPECT_FALSE(fake::Click(hwnd));
    EXPECT_EQ(gReceived.size(), count) << "no message after WM_DESTROY";
    // The quit the procedure posted on WM_DESTROY is all that is left.
    MSG msg;
    EXPECT_FALSE(GetMessage(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(WindowManager, TimerTicksDoNotPileUpAndStopWhenKilled) {
    HWND hwnd = MakeWindow();
    ASSERT_EQ(SetTimer(hwnd, 1, 50, nullptr), 1u);
    EXPECT_EQ(fake::TimersOf(hwnd), (std::vector<std::pair<UINT_PTR, UINT>>{{1, 50}}));
    gReceived.clear();
    EXPECT_TRUE(fake::FireTimer(hwnd, 1));
    EXPECT_TRUE(fake::FireTimer(hwnd, 1));
    EXPECT_EQ(Messages(WM_TIMER).size(), 2u);
    EXPECT_EQ(gReceived.back().wParam, 1u);
    KillTimer(hwnd, 1);
    EXPECT_FALSE(fake::FireTimer(hwnd, 1));
    EXPECT_FALSE(fake::FireTimer(hwnd, 2));
}

TEST_F(WindowManager, InputToADisabledWindowIsDropped) {
    HWND hwnd = MakeWindow();
    EnableWindow(hwnd, FALSE);
    gReceived.clear();
    EXPECT_FALSE(fake::Click(hwnd));
    EXPECT_FALSE(fake::KeyDown(hwnd, VK_LEFT));
    EXPECT_TRUE(Messages().empty());
    EnableWindow(hwnd, TRUE);
    EXPECT_TRUE(fake::KeyDown(hwnd, VK_LEFT));
    EXPECT_EQ(Messages(WM_KEYDOWN).size(), 1u);
    EXPECT_EQ(gReceived.back().wParam, VK_LEFT);
}

TEST_F(WindowManager, MouseMoveAndCursorAgreeInClientCoordinates) {
    HWND hwnd = MakeWindow();
    ASSERT_TRUE(fake::MoveMouse(hwnd, 120, 95));
    EXPECT_EQ(gReceived.back().message, WM_MOUSEMOVE);
    EXPECT_EQ(gReceived.back().lParam, MAKELPARAM(120, 95));
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(hwnd, &p);
    EXPECT_EQ(p.x, 120);
    EXPECT_EQ(p.y, 95);
    fake::Click(hwnd);
    EXPECT_EQ(gReceived.back().message, WM_LBUTTONDOWN);
    EXPECT_EQ(gReceived.back().lParam, MAKELPARAM(120, 95));
}

TEST_F(WindowManager, MinimisingSendsAZeroSizeAndAPaintLeavesNoRepeatingRequest) {
    HWND hwnd = MakeWindow();
    ShowWindow(hwnd, SW_SHOW);
    fake::PumpMessages();
    gReceived.clear();
    fake::Minimize(hwnd);
    EXPECT_TRUE(IsIconic(hwnd));
    ASSERT_FALSE(Messages(WM_SIZE).empty());
    EXPECT_EQ(gReceived[0].wParam, SIZE_MINIMIZED);
    EXPECT_EQ(gReceived[0].lParam, 0);
    InvalidateRect(hwnd, nullptr, FALSE);
    fake::PumpMessages();
    EXPECT_EQ(fake::PumpMessages(), 0u);
    fake::Restore(hwnd);
    EXPECT_FALSE(IsIconic(hwnd));
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 392);
}

LRESULT NonPaintingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) return 0;  // neither BeginPaint nor the default handling
    return DefWindowProc(hwnd, message, wParam, lParam);
}

TEST_F(WindowManager, APaintThatDoesNotValidateIsCountedButNotRepeated) {
    WNDCLASS wc{};
    wc.lpfnWndProc = NonPaintingProc;
    wc.lpszClassName = "LAZY";
    RegisterClass(&wc);
    HWND hwnd = CreateWindowEx(0, "LAZY", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    EXPECT_EQ(fake::PumpMessages(), 1u);
    EXPECT_EQ(fake::UnvalidatedPaints(), 1u);
    EXPECT_EQ(fake::PumpMessages(), 0u);
}

TEST_F(WindowManager, BeginPaintReportsTheUnionOfInvalidRectsClippedToTheClient) {
    HWND hwnd = MakeWindow();
    RECT a{10, 10, 20, 20}, b{300, 5, 1000, 30};
    InvalidateRect(hwnd, &a, FALSE);
    InvalidateRect(hwnd, &b, TRUE);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(ps.rcPaint.left, 10);
    EXPECT_EQ(ps.rcPaint.top, 5);
    EXPECT_EQ(ps.rcPaint.right, 392);
    EXPECT_EQ(ps.rcPaint.bottom, 30);
    EXPECT_TRUE(ps.fErase);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    EndPaint(hwnd, &ps);
    EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));
    ASSERT_EQ(fake::InvalidateCalls().size(), 2u);
    EXPECT_FALSE(fake::InvalidateCalls()[0].erase);
    EXPECT_EQ(fake::InvalidateCalls()[1].rect.right, 1000);
}

TEST_F(WindowManager, DeviceContextsReportTheSettableDepthAndMustBeReleased) {
    HWND hwnd = MakeWindow();
    fake::SetBitsPerPixel(16);
    HDC window = GetDC(hwnd), screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(window, BITSPIXEL), 16);
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 16);
    EXPECT_EQ(fake::OpenDeviceContexts(), 2);
    EXPECT_EQ(ReleaseDC(nullptr, window), 0) << "released with the wrong window";
    EXPECT_EQ(ReleaseDC(hwnd, window), 1);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_EQ(ReleaseDC(hwnd, window), 0);
    EXPECT_EQ(fake::OpenDeviceContexts(), 0);
    EXPECT_EQ(GetDeviceCaps(window, BITSPIXEL), 0);
}

TEST_F(WindowManager, StatusBarNeedsCommonControlsAndLaysItselfAlongTheBottom) {
    HWND main = MakeWindow();
    const DWORD style = WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM;
    ASSERT_EQ(style, 0x50000103u);
    EXPECT_EQ(CreateWindowEx(0, STATUSCLASSNAME, nullptr, style, 0, 0, 0, 0, main,
                             reinterpret_cast<HMENU>(100), nullptr, nullptr),
              nullptr);
    InitCommonControls();
    HWND bar = CreateWindowEx(0, STATUSCLASSNAME, nullptr, style, 0, 0, 0, 0, main,
                              reinterpret_cast<HMENU>(100), nullptr, nullptr);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(fake::ControlIdOf(bar), 100);
    const int edges[3] = {144, 288, -1};
    EXPECT_TRUE(SendMessage(bar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges)));
    SendMessage(bar, SB_SETMINHEIGHT, 20, 0);
    EXPECT_TRUE(SendMessage(bar, SB_SETTEXT, 1, reinterpret_cast<LPARAM>("2 (USER)")));
    EXPECT_FALSE(SendMessage(bar, SB_SETTEXT, 3, reinterpret_cast<LPARAM>("no such part")));
    EXPECT_FALSE(SendMessage(bar, SB_SETPARTS, 0, reinterpret_cast<LPARAM>(edges)));
    SendMessage(bar, WM_SIZE, SIZE_RESTORED, MAKELPARAM(392, 352));
    fake::StatusBarState state = fake::StatusBarOf(bar);
    EXPECT_EQ(state.rightEdges, (std::vector<int>{144, 288, -1}));
    EXPECT_EQ(state.texts, (std::vector<std::string>{"", "2 (USER)", ""}));
    EXPECT_EQ(state.minHeight, 20);
    // Its height is the minimum plus a border above and below: SM_CYEDGE + 20 with the
    // default metrics, exactly the strip the scene leaves free.
    EXPECT_EQ(state.rect.top, 372 - 22);
    EXPECT_EQ(state.rect.bottom, 372);
    EXPECT_EQ(state.rect.right, 392);
    char text[40];
    SendMessage(bar, SB_GETTEXT, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "2 (USER)");
}

TEST_F(WindowManager, DestroyingTheParentDestroysChildrenAfterIt) {
    HWND main = MakeWindow();
    InitCommonControls();
    HWND bar = CreateWindowEx(0, STATUSCLASSNAME, nullptr, WS_CHILD, 0, 0, 0, 0, main,
                              reinterpret_cast<HMENU>(100), nullptr, nullptr);
    DestroyWindow(main);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_FALSE(IsWindow(bar));
    EXPECT_EQ(SendMessage(main, WM_USER, 0, 0), 0);
    EXPECT_FALSE(PostMessage(main, WM_USER, 0, 0));
}

TEST_F(WindowManager, MessageBoxesAreRecordedAndDisableTheirOwnerMeanwhile) {
    HWND hwnd = MakeWindow();
    SetTimer(hwnd, 1, 50, nullptr);
    bool ownerEnabled = true, tickArrived = false;
    fake::SetMessageBoxScript([&](const fake::MessageBoxCall&) {
        ownerEnabled = IsWindowEnabled(hwnd);
        EXPECT_FALSE(fake::Click(hwnd));
        gReceived.clear();
        tickArrived = fake::FireTimer(hwnd, 1) && !Messages(WM_TIMER).empty();
        return IDOK;
    });
    EXPECT_EQ(MessageBox(hwnd, "text", "caption", MB_OK), IDOK);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_TRUE(tickArrived) << "timers reach the owner behind a box";
    EXPECT_TRUE(IsWindowEnabled(hwnd));
    ASSERT_EQ(fake::MessageBoxCalls().size(), 1u);
    EXPECT_EQ(fake::MessageBoxCalls()[0].owner, hwnd);
    EXPECT_EQ(fake::MessageBoxCalls()[0].text, "text");
    EXPECT_EQ(fake::MessageBoxCalls()[0].caption, "caption");
}

TEST_F(WindowManager, IdleScriptFeedsTheLoopUntilItRunsDry) {
    HWND hwnd = MakeWindow();
    SetTimer(hwnd, 1, 50, nullptr);
    int ticks = 0;
    fake::SetIdleScript([&] { return ++ticks <= 3 && fake::FireTimer(hwnd, 1); });
    gReceived.clear();
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0))
        DispatchMessage(&msg);
    EXPECT_TRUE(fake::LoopRanDry());
    EXPECT_EQ(Messages(WM_TIMER).size(), 3u);
}

TEST_F(WindowManager, PresentTargetKeepsTheLastImage) {
    HWND hwnd = MakeWindow();
    platform::PresentTarget* target = GetWindowPresentTarget(hwnd);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(GetWindowPresentTarget(hwnd), target);
    const uint32_t pixels[2 * 3] = {1, 2, 99, 3, 4, 99};  // 2 x 2, stride 3
    target->Present(pixels, 2, 2, 3);
    fake::PresentedImage image = fake::LastPresented(hwnd);
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.pixels, (std::vector<uint32_t>{1, 2, 3, 4}));
    EXPECT_EQ(image.presentCount, 1);
    EXPECT_EQ(GetWindowPresentTarget(nullptr), nullptr);
}

}  // namespace

TEST_F(WindowManager, AModalLoopEndsWhenItsAnswerComesWithoutAnyMessage) {
    // A box answered by the window system's own events (a click on its button) queues no
    // message; at start-up nothing else arrives either, so the loop must look after each wait.
    bool answered = false;
    int waits = 0;
    fake::SetIdleScript([&] {
        answered = ++waits == 1;
        return waits < 3;
    });
    EXPECT_TRUE(core::RunModalLoop([&] { return answered; }));
    EXPECT_EQ(waits, 1);
    EXPECT_FALSE(core::QuitPosted());
}

namespace {

std::vector<std::string> gDialogEvents;

INT_PTR ClosingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        gDialogEvents.push_back(fake::DialogTemplateName(dialog) +
                                (LOWORD(wParam) == IDOK ? " OK" : " CANCEL"));
        EndDialog(dialog, LOWORD(wParam));
        return 1;
    }
    return 0;
}

}  // namespace

TEST_F(WindowManager, EveryWayOfClosingADialogReachesItsProcedureOnce) {
    struct Case {
        const char* how;
        std::function<void(HWND)> close;
        const char* seen;
        INT_PTR result;
    };
    const Case cases[] = {
        {"OK", [](HWND d) { fake::ClickControl(d, IDOK); }, "dlg_config OK", IDOK},
        {"Cancel", [](HWND d) { fake::ClickControl(d, IDCANCEL); }, "dlg_config CANCEL", IDCANCEL},
        {"Escape", [](HWND d) { fake::PressEscape(d); }, "dlg_config CANCEL", IDCANCEL},
        {"close box", [](HWND d) { fake::CloseBox(d); }, "dlg_config CANCEL", IDCANCEL},
        {"everything at once",
         [](HWND d) {
             fake::ClickControl(d, IDOK);
             fake::PressEscape(d);
             fake::CloseBox(d);
         },
         "dlg_config OK", IDOK},
    };
    HWND owner = MakeWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        gDialogEvents.clear();
        fake::SetDialogScript(c.close);
        EXPECT_EQ(DialogBoxParam(GetModuleHandle(nullptr), "dlg_config", owner, ClosingProc, 0),
                  c.result);
        EXPECT_EQ(gDialogEvents, std::vector<std::string>{c.seen});
        EXPECT_TRUE(fake::OpenDialogs().empty());
        EXPECT_TRUE(IsWindowEnabled(owner));
    }
}

TEST_F(WindowManager, ANestedDialogKeepsTheOuterDisabledAndItsOwnerGoesWithIt) {
    HWND owner = MakeWindow();
    HWND outer = nullptr;
    gDialogEvents.clear();
    fake::SetDialogScript([owner, &outer](HWND dialog) {
        if (fake::DialogTemplateName(dialog) == "dlg_help") {
            // The inner dialog: the outer one takes no close request meanwhile.
            EXPECT_FALSE(IsWindowEnabled(outer));
            fake::PressEscape(outer);
            EXPECT_FALSE(fake::CloseBox(outer));
            EXPECT_EQ(fake::OpenDialogs(), (std::vector<HWND>{outer, dialog}));
            return fake::PressEscape(dialog);
        }
        outer = dialog;
        DialogBoxParam(GetModuleHandle(nullptr), "dlg_help", dialog, ClosingProc, 0);
        EXPECT_TRUE(IsWindowEnabled(dialog));
        // Then the main window goes while the outer dialog is still up.
        DestroyWindow(owner);
    });
    DialogBoxParam(GetModuleHandle(nullptr), "dlg_config", owner, ClosingProc, 0);
    EXPECT_EQ(gDialogEvents, std::vector<std::string>{"dlg_help CANCEL"})
        << "a dialog that goes with its owner is not asked to cancel";
    EXPECT_FALSE(IsWindow(owner));
    EXPECT_TRUE(fake::OpenDialogs().empty());
    EXPECT_TRUE(core::AllWindows().empty());
}
