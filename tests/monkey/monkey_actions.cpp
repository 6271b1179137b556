// The monkey's repertoire. Positions inside dialogs come from their templates' dialog units
// at the dialog font's base units (7 x 13 pixels), as the game lays them out.
#include "tests/monkey/monkey_actions.h"

#include <signal.h>

#include <algorithm>
#include <sstream>

#include "tests/monkey/game_process.h"

namespace monkey {
namespace {

struct Point {
    int x, y;
};

// The centre of a control given in dialog units (left, top, width, height).
Point Centre(int left, int top, int width, int height) {
    return {((left + width / 2) * 7 + 2) / 4, ((top + height / 2) * 13 + 4) / 8};
}

const Point kConfigOk = Centre(14, 102, 50, 14);
const Point kConfigCancel = Centre(73, 102, 50, 14);
const Point kConfigControls[] = {Centre(15, 10, 85, 10), Centre(15, 25, 85, 10),
                                 Centre(25, 60, 48, 10), Centre(25, 74, 47, 10)};
const Point kHelpOk = Centre(55, 115, 50, 14);
const Point kResultOk = Centre(25, 69, 50, 14);

const char* const kMainKeys[] = {"Left",   "Right",     "Up",     "Down", "space",   "Return",
                                 "Tab",    "Escape",    "a",      "z",    "F1",      "Home",
                                 "End",    "BackSpace", "Delete", "1",    "Page_Up", "shift+Left",
                                 "ctrl+a", "KP_Left",   "KP_Up"};
const char* const kDialogKeys[] = {"Tab",  "shift+Tab", "space", "Up",  "Down",
                                   "Left", "Right",     "a",     "Home"};

// Sizes of the main window, from a single pixel to far beyond the screen.
const Point kSizes[] = {{1, 1},      {20, 20},     {60, 45},     {120, 90},    {150, 400},
                        {400, 120},  {300, 300},   {400, 400},   {640, 480},   {800, 600},
                        {1024, 768}, {1280, 1024}, {1920, 1080}, {3000, 3000}, {8000, 6000}};

std::string Id(unsigned long window) {
    return std::to_string(window);
}

std::vector<std::string> Split(const std::string& keys) {
    std::istringstream in(keys);
    std::vector<std::string> out;
    std::string key;
    while (in >> key)
        out.push_back(key);
    return out;
}

const char* const kDialogTitlesList[] = {"設定", "ヘルプ", "対局結果", "エラー", "Error"};

}  // namespace

Hands::Hands(XWindows& x, std::mt19937& random, std::FILE* log, std::string program,
             std::string dir)
    : x_(x), random_(random), log_(log), program_(std::move(program)), dir_(std::move(dir)) {}

int Hands::Uniform(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random_);
}

bool Hands::Chance(double p) {
    return std::uniform_real_distribution<double>(0, 1)(random_) < p;
}

void Hands::Note(const char* kind, const std::string& what) {
    ++actions_;
    ++counts_[kind];
    if (log_) {
        std::fprintf(log_, "%8.2f %-10s %s\n", SecondsSinceStart(), kind, what.c_str());
        std::fflush(log_);
    }
}

std::vector<ClientWindow> Hands::OpenDialogs() {
    std::vector<ClientWindow> dialogs;
    for (const ClientWindow& c : x_.List()) {
        for (const char* title : kDialogTitlesList)
            if (c.title == title) dialogs.push_back(c);
    }
    return dialogs;
}

std::optional<ClientWindow> Hands::WaitFor(const std::string& title, double seconds) {
    const double deadline = SecondsSinceStart() + seconds;
    do {
        if (auto found = x_.Find(title)) return found;
        Sleep(0.1);
    } while (SecondsSinceStart() < deadline);
    return std::nullopt;
}

void Hands::Focus(unsigned long window) {
    if (x_.Active() == window) return;
    // The window manager may keep the focus on a modal dialog instead; that is a player's
    // lot too, so the keys then go where the focus is, after a short wait.
    RunTool({"xdotool", "windowactivate", Id(window)}, 2.0);
    for (int i = 0; i < 10 && x_.Active() != window; ++i)
        Sleep(0.05);
}

void Hands::Keys(unsigned long window, const std::string& keys) {
    Focus(window);
    std::vector<std::string> argv{"xdotool", "key", "--delay", "40"};
    for (const std::string& k : Split(keys))
        argv.push_back(k);
    RunTool(argv, 10.0);
}

void Hands::ClickIn(unsigned long window, int x, int y) {
    RunTool({"xdotool", "mousemove", "--window", Id(window), std::to_string(x), std::to_string(y),
             "click", "1"},
            3.0);
}

void Hands::MenuKeys(const std::string& keys) {
    Focus(main_);
    // Keys typed before the drop-down is up are lost on a busy machine.
    std::vector<std::string> argv{"xdotool", "key", "F10", "sleep", "0.5", "key", "--delay", "60"};
    for (const std::string& k : Split(keys))
        argv.push_back(k);
    RunTool(argv, 10.0);
}

void Hands::Command(MenuCommand command) {
    static const char* const kNames[] = {"先手", "後手",   "USER vs USER", "COM vs COM",
                                         "設定", "ヘルプ", "終了"};
    static const int kDowns[] = {1, 2, 3, 4, 6, 7, 8};
    const int index = static_cast<int>(command);
    Note("menu", kNames[index]);
    std::string keys;
    for (int i = 0; i < kDowns[index]; ++i)
        keys += "Down ";
    MenuKeys(keys + "Return");
}

void Hands::ChooseLevel(Level level) {
    static const char* const kNames[] = {"FOOL", "POOR", "NORMAL", "EXPERT", "MASTER"};
    const int index = static_cast<int>(level);
    Note("level", kNames[index]);
    // 難易度 is the fifth item; Right opens its submenu on FOOL.
    std::string keys = "Down Down Down Down Down Right ";
    for (int i = 0; i < index; ++i)
        keys += "Down ";
    MenuKeys(keys + "Return");
}

void Hands::Close(const ClientWindow& dialog, CloseWay way) {
    static const char* const kWays[] = {"OK", "Cancel", "Return", "Escape", "close box", "Alt+F4"};
    Note("close", dialog.title + " by " + kWays[static_cast<int>(way)]);
    const bool box = dialog.title == "エラー" || dialog.title == "Error";
    const bool config = dialog.title == "設定";
    const Point ok = config ? kConfigOk : dialog.title == "ヘルプ" ? kHelpOk : kResultOk;
    switch (way) {
        case CloseWay::OkButton:
            if (box) return Keys(dialog.id, "Return");
            return ClickIn(dialog.id, ok.x, ok.y);
        case CloseWay::CancelButton:
            if (config) return ClickIn(dialog.id, kConfigCancel.x, kConfigCancel.y);
            return Keys(dialog.id, "Escape");
        case CloseWay::Return:
            return Keys(dialog.id, "Return");
        case CloseWay::Escape:
            return Keys(dialog.id, "Escape");
        case CloseWay::CloseBox:
            RunTool({"wmctrl", "-i", "-c", Id(dialog.id)}, 3.0);
            return;
        case CloseWay::AltF4:
        case CloseWay::Count:
            // The window manager closes whatever window is active: if the dialog has just gone,
            // that would be the main window, and the run would end.
            // A dialog closed a moment ago may still be listed, so it must still be there and
            // active after a short wait.
            Sleep(0.3);
            Focus(dialog.id);
            if (x_.Active() != dialog.id || !x_.Find(dialog.title)) return;
            RunTool({"xdotool", "key", "alt+F4"}, 3.0);
            return;
    }
}

bool Hands::CloseAllDialogs(double seconds) {
    const double deadline = SecondsSinceStart() + seconds;
    while (SecondsSinceStart() < deadline) {
        std::vector<ClientWindow> dialogs = OpenDialogs();
        if (dialogs.empty()) return true;
        // The newest is last in the window manager's list and is the one that takes input.
        Close(dialogs.back(),
              static_cast<CloseWay>(Uniform(0, static_cast<int>(CloseWay::Count) - 1)));
        Sleep(0.3);
    }
    return OpenDialogs().empty();
}

void Hands::Resize(int width, int height) {
    Note("resize", std::to_string(width) + "x" + std::to_string(height));
    if (maximised_) Maximise(false);
    RunTool({"xdotool", "windowsize", Id(main_), std::to_string(width), std::to_string(height)},
            5.0);
}

void Hands::Maximise(bool on) {
    Note("maximise", on ? "on" : "off");
    maximised_ = on;
    RunTool({"wmctrl", "-i", "-r", Id(main_), "-b",
             std::string(on ? "add" : "remove") + ",maximized_vert,maximized_horz"},
            3.0);
}

void Hands::MinimiseAndRestore(double seconds) {
    Note("minimise", "for " + std::to_string(seconds).substr(0, 4) + " s");
    RunTool({"xdotool", "windowminimize", Id(main_)}, 3.0);
    Sleep(seconds);
    RunTool({"wmctrl", "-i", "-a", Id(main_)}, 3.0);
}

void Hands::ClickMain(int x, int y) {
    Note("click", std::to_string(x) + "," + std::to_string(y));
    ClickIn(main_, x, y);
}

void Hands::Idle(double seconds) {
    Note("idle", std::to_string(seconds).substr(0, 4) + " s");
    Sleep(seconds);
}

void Hands::SecondInstance() {
    Note("second", "start a second copy");
    const std::string name = "second-" + std::to_string(secondCopies_.size() + 1);
    GameProcess second = StartProcess(program_, {}, dir_, name);
    std::optional<int> status;
    if (second.pid > 0) {
        // It must end at once; the wait is long for a sanitizer build.
        const double started = SecondsSinceStart();
        status = WaitForExit(second, 20);
        slowestSecondCopy_ = std::max(slowestSecondCopy_, SecondsSinceStart() - started);
        if (!status) {
            kill(second.pid, SIGKILL);
            WaitForExit(second, 5);
        }
    }
    secondCopies_.push_back({name, status, ReadWholeFile(second.errPath)});
}

void Hands::Settings(bool markers, bool animation, bool gouraud) {
    Command(MenuCommand::Settings);
    std::optional<ClientWindow> dialog = WaitFor("設定", 10);
    if (!dialog) return;
    Sleep(0.3);
    // The program's start-up settings are markers on, animation on, flat shading.
    if (!markers) ClickIn(dialog->id, kConfigControls[0].x, kConfigControls[0].y);
    if (!animation) ClickIn(dialog->id, kConfigControls[1].x, kConfigControls[1].y);
    if (gouraud) ClickIn(dialog->id, kConfigControls[2].x, kConfigControls[2].y);
    Close(*dialog, CloseWay::OkButton);
}

void Hands::RandomKeys(unsigned long window, bool dialog) {
    std::string keys;
    const int n = Uniform(1, 6);
    for (int i = 0; i < n; ++i) {
        keys += dialog ? kDialogKeys[Uniform(0, std::size(kDialogKeys) - 1)]
                       : kMainKeys[Uniform(0, std::size(kMainKeys) - 1)];
        keys += ' ';
    }
    Note("keys", keys);
    Keys(window, keys);
}

void Hands::RandomClick() {
    int width = 0, height = 0;
    if (!x_.Size(main_, width, height) || width < 1 || height < 1) return;
    // The menu bar is left alone: a click there opens the menu, and random keys in it could
    // choose 終了 and end the run. Most clicks aim at the board in the middle of the scene.
    const int top = std::min(26, height - 1);
    int x, y;
    if (Chance(0.7)) {
        x = width / 2 + Uniform(-width * 2 / 5, width * 2 / 5);
        y = (top + height) / 2 + Uniform(-(height - top) * 2 / 5, (height - top) * 2 / 5);
    } else {
        x = Uniform(0, width - 1);
        y = Uniform(top, height - 1);
    }
    ClickMain(x, y);
}

void Hands::RandomResize() {
    const int pick = Uniform(0, 99);
    if (pick < 8) return Maximise(!maximised_);
    if (pick < 16) return MinimiseAndRestore(0.2 + Uniform(0, 20) / 10.0);
    // The two sizes far beyond the screen cost seconds of drawing each; they come rarely.
    int index = Uniform(0, std::size(kSizes) - 1);
    if (kSizes[index].x >= 3000 && Chance(0.7)) index = Uniform(0, 9);
    if (Chance(0.3)) {
        Resize(Uniform(1, 1100), Uniform(1, 800));
    } else {
        Resize(kSizes[index].x, kSizes[index].y);
    }
}

void Hands::OnDialog(const ClientWindow& dialog) {
    const bool config = dialog.title == "設定";
    const int pick = Uniform(0, 99);
    if (config && pick < 35) {
        if (Chance(0.5)) return RandomKeys(dialog.id, true);
        const Point p = kConfigControls[Uniform(0, 3)];
        Note("click", "設定 control at " + std::to_string(p.x) + "," + std::to_string(p.y));
        return ClickIn(dialog.id, p.x, p.y);
    }
    if (pick < 45) return RandomKeys(dialog.id, true);
    if (pick < 55) return Idle(Uniform(1, 10) / 10.0);
    Close(dialog, static_cast<CloseWay>(Uniform(0, static_cast<int>(CloseWay::Count) - 1)));
}

void Hands::OnMain() {
    const int pick = Uniform(0, 99);
    if (pick < 30) return RandomClick();
    if (pick < 46) return RandomKeys(main_, false);
    if (pick < 54) return Command(static_cast<MenuCommand>(Uniform(0, 3)));
    if (pick < 59) return ChooseLevel(static_cast<Level>(Uniform(0, 4)));
    if (pick < 65) return Command(MenuCommand::Settings);
    if (pick < 69) return Command(MenuCommand::Help);
    if (pick < 77) return RandomResize();
    if (pick < 83) {
        // The computer against itself at a level, watched for a while.
        ChooseLevel(static_cast<Level>(Chance(0.3) ? 4 : Uniform(0, 4)));
        Command(MenuCommand::Computers);
        return Idle(Uniform(5, 40) / 10.0);
    }
    if (pick < 88) {
        // A dialog over the main window while the main window changes under it; a failed
        // device re-creation opens a box over the dialog.
        Command(Chance(0.5) ? MenuCommand::Settings : MenuCommand::Help);
        Sleep(0.4);
        if (Chance(0.5)) RandomResize();
        return RandomKeys(main_, false);
    }
    if (pick < 90) return SecondInstance();
    Idle(Uniform(1, 15) / 10.0);
}

void Hands::RandomAction() {
    std::vector<ClientWindow> dialogs = OpenDialogs();
    if (!dialogs.empty() && Chance(0.75)) {
        return OnDialog(dialogs[Uniform(0, static_cast<int>(dialogs.size()) - 1)]);
    }
    OnMain();
}

}  // namespace monkey
