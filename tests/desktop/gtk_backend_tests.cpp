// The real GTK backend on a virtual display (run by run-headless.sh): every way a dialog or a
// message box can end, driven through GTK's own event handling (key presses, the window
// manager's delete request, button clicks); the level radio marks of the real menu; the
// single-instance check against a second process; no OpenGL driver loaded with the display,
// and a GDK_GL the user set left alone. Any GLib warning or critical fails the test
// that caused it, and a modal loop that never returns is ended by a watchdog.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/desktop/gtk/gtk_internal.h"

using namespace desktop;

namespace {

std::vector<std::string> gComplaints;  // GLib warnings and criticals since the last check

GLogWriterOutput RecordComplaints(GLogLevelFlags level, const GLogField* fields, gsize count,
                                  gpointer) {
    if (level & (G_LOG_LEVEL_ERROR | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING)) {
        std::string text = "(no message)";
        for (gsize i = 0; i < count; ++i) {
            if (std::strcmp(fields[i].key, "MESSAGE") != 0) continue;
            const char* value = static_cast<const char*>(fields[i].value);
            text = fields[i].length < 0 ? std::string(value) : std::string(value, fields[i].length);
        }
        gComplaints.push_back(text);
    }
    return g_log_writer_default(level, fields, count, nullptr);
}

constexpr UINT_PTR kActionTimer = 7;

// What the procedures saw.
std::vector<std::string> gEvents;
// Actions run one per tick of the main window's timer, inside whatever modal loop is running,
// as the game opens its result dialog from a tick.
std::deque<std::function<void()>> gOnTick;
HWND gMain = nullptr;

LRESULT MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (!gOnTick.empty()) {
                auto action = std::move(gOnTick.front());
                gOnTick.pop_front();
                action();
            }
            return 0;
        case WM_COMMAND:
            // The level items, as the game's menu handling marks them.
            if (wParam >= 40014 && wParam <= 40018) {
                CheckMenuRadioItem(GetMenu(hwnd), 40014, 40018, static_cast<UINT>(wParam),
                                   MF_BYCOMMAND);
            }
            return 0;
        case WM_DESTROY:
            gEvents.push_back("main destroyed");
            return 0;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

INT_PTR DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    const std::string name = core::FindWindowRecord(dialog)->templateName;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        gEvents.push_back(name + (LOWORD(wParam) == IDOK ? " OK" : " CANCEL"));
        EndDialog(dialog, LOWORD(wParam));
        return 1;
    }
    return 0;
}

gboolean RunOnce(gpointer data) {
    auto* action = static_cast<std::function<void()>*>(data);
    (*action)();
    delete action;
    return G_SOURCE_REMOVE;
}

// An action from a GLib source, with no message of the program's own queued: what the user
// does to a box that opened before any timer ran.
void SoonFromGtk(std::function<void()> action) {
    g_timeout_add(150, RunOnce, new std::function<void()>(std::move(action)));
}

GtkWidget* TopOf(HWND window) {
    gtk::Native* n = gtk::NativeOf(window);
    return n ? n->window : nullptr;
}

GtkWidget* ControlWidget(HWND dialog, int id) {
    gtk::Native* n = gtk::NativeOf(GetDlgItem(dialog, id));
    return n ? n->widget : nullptr;
}

// The open dialog, innermost last.
std::vector<HWND> OpenDialogs() {
    std::vector<HWND> open;
    for (HWND h : core::AllWindows()) {
        const core::Window* w = core::FindWindowRecord(h);
        if (w && w->isDialog && !w->dialogEnded) open.push_back(h);
    }
    return open;
}

GtkWidget* OpenMessageBox() {
    GList* all = gtk_window_list_toplevels();
    GtkWidget* box = nullptr;
    for (GList* l = all; l; l = l->next)
        if (GTK_IS_MESSAGE_DIALOG(l->data) && gtk_widget_get_visible(GTK_WIDGET(l->data)))
            box = GTK_WIDGET(l->data);
    g_list_free(all);
    return box;
}

// A key press as the display delivers it to the focused top-level window.
void PressKey(GtkWidget* toplevel, guint keyval) {
    ASSERT_TRUE(toplevel && gtk_widget_get_window(toplevel));
    GdkDisplay* display = gdk_display_get_default();
    for (GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
        GdkEvent* event = gdk_event_new(type);
        event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(toplevel)));
        event->key.time = GDK_CURRENT_TIME;
        event->key.keyval = keyval;
        GdkKeymapKey* keys = nullptr;
        gint count = 0;
        if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), keyval, &keys,
                                              &count) &&
            count > 0) {
            event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
            event->key.group = static_cast<guint8>(keys[0].group);
        }
        g_free(keys);
        gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
        gtk_main_do_event(event);
        gdk_event_free(event);
    }
}

// The window manager's close request: the close box, Alt+F4 or a close from a taskbar.
void CloseFromWindowManager(GtkWidget* toplevel) {
    ASSERT_TRUE(toplevel && gtk_widget_get_window(toplevel));
    GdkEvent* event = gdk_event_new(GDK_DELETE);
    event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(toplevel)));
    event->any.send_event = TRUE;
    gtk_main_do_event(event);
    gdk_event_free(event);
}

int CountDialogToplevels() {
    GList* all = gtk_window_list_toplevels();
    int count = 0;
    for (GList* l = all; l; l = l->next)
        count += GTK_IS_DIALOG(l->data) ? 1 : 0;
    g_list_free(all);
    return count;
}

class GtkBackend : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gtk::EnsureGtk()) << "no display";
        gComplaints.clear();
        gEvents.clear();
        gOnTick.clear();
        static bool registered = false;
        if (!registered) {
            WNDCLASS wc{};
            wc.lpfnWndProc = MainProc;
            wc.lpszMenuName = "menu";
            wc.lpszClassName = "ZANTOBEL_GTK_TEST";
            registered = RegisterClass(&wc) != 0;
        }
        gMain = CreateWindowEx(0, "ZANTOBEL_GTK_TEST", "gtk test", WS_OVERLAPPEDWINDOW, 0, 0, 400,
                               400, nullptr, nullptr, GetModuleHandle(nullptr), nullptr);
        ASSERT_NE(gMain, nullptr);
        ShowWindow(gMain, SW_SHOW);
        SetTimer(gMain, kActionTimer, 100, nullptr);
    }

    void TearDown() override {
        if (IsWindow(gMain)) DestroyWindow(gMain);
        // Whatever the closes left behind for GTK to do (idle destroys, re-layouts).
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        EXPECT_EQ(CountDialogToplevels(), 0) << "a dialog widget outlived its window";
        EXPECT_TRUE(gComplaints.empty()) << "GTK complained: " << gComplaints.front();
        // Nothing queued for the next test (a quit request of a destroyed window, say).
        MSG stale;
        while (core::TakeQueued(stale)) {
        }
    }

    static INT_PTR Run(const char* name, HWND owner) {
        return DialogBoxParam(GetModuleHandle(nullptr), name, owner, DialogProc, 0);
    }
};

TEST_F(GtkBackend, EveryWayOfClosingADialogEndsItOnceAndFreesItsWidgetsOnce) {
    struct Case {
        const char* how;
        const char* dialog;
        std::function<void(HWND)> close;
        const char* seen;
    };
    const Case cases[] = {
        {"OK button", "dlg_config",
         [](HWND d) { gtk_button_clicked(GTK_BUTTON(ControlWidget(d, IDOK))); }, "dlg_config OK"},
        {"Cancel button", "dlg_config",
         [](HWND d) { gtk_button_clicked(GTK_BUTTON(ControlWidget(d, IDCANCEL))); },
         "dlg_config CANCEL"},
        {"Return on the default button", "dlg_help",
         [](HWND d) { PressKey(TopOf(d), GDK_KEY_Return); }, "dlg_help OK"},
        {"Escape", "dlg_config", [](HWND d) { PressKey(TopOf(d), GDK_KEY_Escape); },
         "dlg_config CANCEL"},
        {"Escape", "dlg_help", [](HWND d) { PressKey(TopOf(d), GDK_KEY_Escape); },
         "dlg_help CANCEL"},
        {"Escape", "dlg_result", [](HWND d) { PressKey(TopOf(d), GDK_KEY_Escape); },
         "dlg_result CANCEL"},
        {"close box or Alt+F4", "dlg_config", [](HWND d) { CloseFromWindowManager(TopOf(d)); },
         "dlg_config CANCEL"},
        {"close box or Alt+F4", "dlg_help", [](HWND d) { CloseFromWindowManager(TopOf(d)); },
         "dlg_help CANCEL"},
        {"close box or Alt+F4", "dlg_result", [](HWND d) { CloseFromWindowManager(TopOf(d)); },
         "dlg_result CANCEL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.dialog) + " by " + c.how);
        gEvents.clear();
        gOnTick.push_back([&c] {
            ASSERT_EQ(OpenDialogs().size(), 1u);
            c.close(OpenDialogs().back());
        });
        const INT_PTR result = Run(c.dialog, gMain);
        EXPECT_EQ(gEvents, std::vector<std::string>{c.seen});
        EXPECT_EQ(result, std::string(c.seen).ends_with("OK") ? IDOK : IDCANCEL);
        EXPECT_TRUE(IsWindowEnabled(gMain)) << "the owner takes input again";
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        EXPECT_EQ(CountDialogToplevels(), 0);
        EXPECT_TRUE(gComplaints.empty()) << gComplaints.front();
        gComplaints.clear();
    }
}

TEST_F(GtkBackend, ADialogClosesWithItsOwner) {
    gOnTick.push_back([] { DestroyWindow(gMain); });
    Run("dlg_config", gMain);
    EXPECT_FALSE(IsWindow(gMain));
    EXPECT_TRUE(OpenDialogs().empty());
    EXPECT_EQ(gEvents, std::vector<std::string>{"main destroyed"})
        << "the procedure is not asked to cancel: the dialog just goes";
}

TEST_F(GtkBackend, NestedDialogsCloseInnermostFirstAndTheOuterWaitsItsTurn) {
    HWND outer = nullptr;
    gOnTick.push_back([&outer] {
        outer = OpenDialogs().back();
        // The result dialog opens from a tick while the settings are up, as a game between
        // computers ends behind them.
        Run("dlg_result", outer);
        EXPECT_TRUE(IsWindowEnabled(outer));
    });
    gOnTick.push_back([&outer] {
        ASSERT_EQ(OpenDialogs().size(), 2u);
        EXPECT_FALSE(IsWindowEnabled(outer)) << "the outer dialog is disabled behind the inner";
        // Requests aimed at the covered dialog do nothing while the inner one is up.
        CloseFromWindowManager(TopOf(outer));
        core::DialogCancelled(outer);
        core::DialogCloseBox(outer);
        EXPECT_EQ(OpenDialogs().size(), 2u);
        PressKey(TopOf(OpenDialogs().back()), GDK_KEY_Escape);
    });
    gOnTick.push_back([] {
        ASSERT_EQ(OpenDialogs().size(), 1u);
        CloseFromWindowManager(TopOf(OpenDialogs().back()));
    });
    Run("dlg_config", gMain);
    EXPECT_EQ(gEvents, (std::vector<std::string>{"dlg_result CANCEL", "dlg_config CANCEL"}));
    EXPECT_TRUE(IsWindowEnabled(gMain));
}

// A box shown before any timer runs (a failed start) has nothing but GTK's own events to end
// it; each way of answering must return from the box at once.
TEST_F(GtkBackend, AMessageBoxWithNothingElseGoingOnClosesEveryWay) {
    KillTimer(gMain, kActionTimer);
    struct Case {
        const char* how;
        std::function<void(GtkWidget*)> answer;
    };
    const Case cases[] = {
        {"OK button",
         [](GtkWidget* box) {
             gtk_button_clicked(
                 GTK_BUTTON(gtk_dialog_get_widget_for_response(GTK_DIALOG(box), GTK_RESPONSE_OK)));
         }},
        {"Return", [](GtkWidget* box) { PressKey(box, GDK_KEY_Return); }},
        {"Escape", [](GtkWidget* box) { PressKey(box, GDK_KEY_Escape); }},
        {"close box", [](GtkWidget* box) { CloseFromWindowManager(box); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        for (HWND owner : {static_cast<HWND>(nullptr), gMain}) {
            SoonFromGtk([&c] {
                GtkWidget* box = OpenMessageBox();
                ASSERT_NE(box, nullptr);
                c.answer(box);
            });
            alarm(20);  // a box that never returns ends the run here
            EXPECT_EQ(MessageBox(owner, "ファイル読み込みに失敗しました", "Error", MB_OK), IDOK);
            alarm(0);
            EXPECT_EQ(core::QueueSize(), 0u);
            EXPECT_EQ(OpenMessageBox(), nullptr);
            EXPECT_TRUE(IsWindowEnabled(gMain));
        }
    }
}

std::vector<UINT> MarkedLevels() {
    std::vector<UINT> marked;
    for (auto& [widget, where] : gtk::NativeOf(gMain)->menuItems) {
        const core::Menu* menu = core::FindMenu(where.first);
        const UINT id = menu->items[where.second].id;
        if (id >= 40014 && id <= 40018 && GTK_IS_CHECK_MENU_ITEM(widget) &&
            gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(widget))) {
            marked.push_back(id);
        }
    }
    return marked;
}

GtkWidget* LevelItem(UINT id) {
    for (auto& [widget, where] : gtk::NativeOf(gMain)->menuItems)
        if (core::FindMenu(where.first)->items[where.second].id == id) return widget;
    return nullptr;
}

TEST_F(GtkBackend, TheLevelMenuShowsExactlyOneRadioMark) {
    // MASTER is the last id of the range: the mark must leave it as it leaves the others.
    const UINT sequence[] = {40014, 40018, 40015, 40018, 40014, 40017, 40016};
    for (bool byMenu : {false, true}) {
        for (UINT level : sequence) {
            SCOPED_TRACE(std::to_string(level) + (byMenu ? " chosen in the menu" : " by the call"));
            if (byMenu) {
                gtk_menu_item_activate(GTK_MENU_ITEM(LevelItem(level)));
                MSG msg;
                while (core::TakeQueued(msg))
                    DispatchMessage(&msg);
            } else {
                CheckMenuRadioItem(GetMenu(gMain), 40014, 40018, level, MF_BYCOMMAND);
            }
            EXPECT_EQ(MarkedLevels(), std::vector<UINT>{level});
            for (UINT other = 40014; other <= 40018; ++other) {
                EXPECT_EQ((GetMenuState(GetMenu(gMain), other, MF_BYCOMMAND) & MF_CHECKED) != 0,
                          other == level);
            }
        }
    }
}

// Mapped files of this process whose names contain the text.
int MappedFilesNaming(const std::string& text) {
    std::ifstream maps("/proc/self/maps");
    int count = 0;
    for (std::string line; std::getline(maps, line);)
        count += line.find(text) != std::string::npos ? 1 : 0;
    return count;
}

TEST_F(GtkBackend, OpeningTheDisplayLoadsNoOpenGLDriver) {
    // The display is open and a window shown; GDK's GL probe would have loaded a DRI driver
    // (and with the software one, LLVM) by now.
    EXPECT_EQ(MappedFilesNaming("_dri.so"), 0);
    EXPECT_EQ(MappedFilesNaming("libLLVM"), 0);
}

// --- A second copy, as a separate process on the same display. ---

struct Child {
    pid_t pid = -1;
    FILE* out = nullptr;
    int in = -1;
};

// Starts this test program in a helper role; it prints one line once it is ready.
Child StartChild(const char* role, const char* className) {
    int toChild[2], fromChild[2];
    Child c;
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) return c;
    c.pid = fork();
    if (c.pid == 0) {
        dup2(toChild[0], 0);
        dup2(fromChild[1], 1);
        close(toChild[1]);
        close(fromChild[0]);
        execl("/proc/self/exe", "gtk_backend_tests", role, className, nullptr);
        _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    c.in = toChild[1];
    c.out = fdopen(fromChild[0], "r");
    return c;
}

std::string ReadLine(Child& c) {
    char line[256] = {};
    if (!c.out || !std::fgets(line, sizeof line, c.out)) return "";
    std::string text(line);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

int StopChild(Child& c) {
    close(c.in);  // the helper ends when its input closes
    int status = 0;
    waitpid(c.pid, &status, 0);
    if (c.out) std::fclose(c.out);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(GtkBackend, AGdkGlTheUserSetIsLeftAsItIs) {
    setenv("GDK_GL", "legacy", 1);
    Child child = StartChild("--print-gl", "-");
    unsetenv("GDK_GL");
    EXPECT_EQ(ReadLine(child), "legacy");
    EXPECT_EQ(StopChild(child), 0);
}

TEST_F(GtkBackend, ALoneCopyFindsNoOtherAndASecondCopyFindsTheFirst) {
    // By its window: the helper shows a window of the class and never asks.
    EXPECT_EQ(FindWindow("ZANTOBEL_BY_WINDOW", nullptr), nullptr) << "alone, nothing is found";
    Child first = StartChild("--show-window", "ZANTOBEL_BY_WINDOW");
    ASSERT_EQ(ReadLine(first), "ready");
    EXPECT_NE(FindWindow("ZANTOBEL_BY_WINDOW", nullptr), nullptr) << "its window is found";
    EXPECT_EQ(StopChild(first), 0);
    // By the start-up lock: the helper asked first and has no window yet, as a copy that is
    // just starting.
    Child starting = StartChild("--ask", "ZANTOBEL_BY_LOCK");
    ASSERT_EQ(ReadLine(starting), "alone");
    EXPECT_NE(FindWindow("ZANTOBEL_BY_LOCK", nullptr), nullptr);
    EXPECT_EQ(StopChild(starting), 0);
    // A class nobody runs is still not found.
    EXPECT_EQ(FindWindow("ZANTOBEL_NOBODY", nullptr), nullptr);
}

// Windows of other programs come and go while a copy looks for its twin; one that goes
// between being listed and being read must not end the search, let alone the program.
TEST_F(GtkBackend, TheSearchForAnotherCopySurvivesWindowsThatVanishMeanwhile) {
    Child churn = StartChild("--churn", "ZANTOBEL_CHURN");
    ASSERT_EQ(ReadLine(churn), "churning");
    for (int i = 0; i < 400; ++i)
        ASSERT_EQ(FindWindow("ZANTOBEL_NOBODY", nullptr), nullptr) << "search " << i;
    EXPECT_EQ(StopChild(churn), 0);
}

// Creates and destroys plain top-level windows without pause until its input closes.
int Churn() {
    if (!gtk::EnsureGtk()) return 3;
    GdkDisplay* display = gdk_display_get_default();
    std::printf("churning\n");
    std::fflush(stdout);
    fcntl(0, F_SETFL, O_NONBLOCK);
    char buffer[16];
    while (read(0, buffer, sizeof buffer) != 0) {
        GdkWindow* windows[8];
        for (GdkWindow*& w : windows) {
            GdkWindowAttr attributes{};
            attributes.width = 10;
            attributes.height = 10;
            attributes.wclass = GDK_INPUT_OUTPUT;
            attributes.window_type = GDK_WINDOW_TOPLEVEL;
            w = gdk_window_new(nullptr, &attributes, 0);
        }
        gdk_display_sync(display);
        for (GdkWindow* w : windows)
            gdk_window_destroy(w);
        gdk_display_sync(display);
    }
    return 0;
}

// The helper roles: show a window of the class, ask whether another copy runs, say what
// GDK_GL is once the display is open, or churn windows; then wait until the test closes the
// input.
int RunHelper(const std::string& role, const char* className) {
    if (role == "--churn") return Churn();
    if (!gtk::EnsureGtk()) return 3;
    if (role == "--print-gl") {
        const char* value = std::getenv("GDK_GL");
        std::printf("%s\n", value ? value : "(unset)");
    } else if (role == "--ask") {
        std::printf("%s\n", FindWindow(className, nullptr) ? "found" : "alone");
    } else {
        WNDCLASS wc{};
        wc.lpfnWndProc = DefWindowProc;
        wc.lpszClassName = className;
        RegisterClass(&wc);
        HWND w = CreateWindowEx(0, className, className, WS_OVERLAPPEDWINDOW, 0, 0, 200, 200,
                                nullptr, nullptr, nullptr, nullptr);
        if (!w) return 4;
        ShowWindow(w, SW_SHOW);
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        std::printf("ready\n");
    }
    std::fflush(stdout);
    char buffer[16];
    while (read(0, buffer, sizeof buffer) > 0) {
    }
    return 0;
}

void Hung(int) {
    static const char text[] = "a modal loop never returned\n";
    (void)!write(2, text, sizeof text - 1);
    _exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]).starts_with("--")) return RunHelper(argv[1], argv[2]);
    g_log_set_writer_func(RecordComplaints, nullptr, nullptr);
    signal(SIGALRM, Hung);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
