// The monkey's hands: every way a player can touch the game, as actions drawn from a seeded
// generator. Input goes through xdotool and wmctrl as a person's would (pointer, keyboard,
// the window manager's frame); each action is written to the run's log before it is done.
#pragma once

#include <cstdio>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tests/monkey/verdict.h"
#include "tests/monkey/x_watch.h"

namespace monkey {

// The items of the menu "スタート", walked by keyboard: F10 opens the bar, each Down moves
// one item on (separators are skipped), Right opens the level submenu.
enum class MenuCommand { HumanBlack, HumanWhite, TwoPlayers, Computers, Settings, Help, Exit };
enum class Level { Fool, Poor, Normal, Expert, Master };

// The ways a dialog or message box can be closed.
enum class CloseWay { OkButton, CancelButton, Return, Escape, CloseBox, AltF4, Count };

class Hands {
  public:
    Hands(XWindows& x, std::mt19937& random, std::FILE* log, std::string program, std::string dir);

    void SetMainWindow(unsigned long id) { main_ = id; }
    unsigned long MainWindow() const { return main_; }

    // One random action: on an open dialog or box when there is one (mostly), else on the
    // main window.
    void RandomAction();
    // Closes every open dialog and message box; false if some stayed open.
    bool CloseAllDialogs(double seconds);

    void Command(MenuCommand command);
    void ChooseLevel(Level level);
    void Close(const ClientWindow& dialog, CloseWay way);
    void Resize(int width, int height);
    void Maximise(bool on);
    void MinimiseAndRestore(double seconds);
    void ClickMain(int x, int y);
    void Keys(unsigned long window, const std::string& keys);
    void SecondInstance();
    void Idle(double seconds);
    // Turns the flip animation and the move markers on or off in the settings dialog.
    void Settings(bool markers, bool animation, bool gouraud);
    std::optional<ClientWindow> WaitFor(const std::string& title, double seconds);
    std::vector<ClientWindow> OpenDialogs();

    const std::map<std::string, long>& Counts() const { return counts_; }
    long Actions() const { return actions_; }
    // How each second copy ended (no status: it still ran after 20 s and was killed).
    const std::vector<EndedProcess>& SecondCopies() const { return secondCopies_; }
    double SlowestSecondCopy() const { return slowestSecondCopy_; }

  private:
    int Uniform(int low, int high);  // low..high inclusive
    bool Chance(double p);
    void Note(const char* kind, const std::string& what);
    void OnMain();
    void OnDialog(const ClientWindow& dialog);
    void Focus(unsigned long window);
    void ClickIn(unsigned long window, int x, int y);
    void MenuKeys(const std::string& keys);
    void RandomKeys(unsigned long window, bool dialog);
    void RandomClick();
    void RandomResize();

    XWindows& x_;
    std::mt19937& random_;
    std::FILE* log_;
    std::string program_;
    std::string dir_;
    unsigned long main_ = 0;
    bool maximised_ = false;
    std::map<std::string, long> counts_;
    long actions_ = 0;
    std::vector<EndedProcess> secondCopies_;
    double slowestSecondCopy_ = 0;
};

}  // namespace monkey
