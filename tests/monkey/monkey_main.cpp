// zantobel-monkey: a seeded random-input run of the real game window on an X display with a
// window manager (tests/e2e/run-headless.sh --wm -- zantobel-monkey --program build/zantobel).
// It first tours every command, dialog and window state once, then acts at random until the
// time is up, closes the game and judges the run: crash, hang, GTK criticals and warnings,
// sanitizer reports, retained objects alive at exit, and growth of resident memory.
// Exit code: 0 no finding, 1 findings, 2 the run could not be made.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/monkey/game_process.h"
#include "tests/monkey/monkey_actions.h"
#include "tests/monkey/verdict.h"
#include "tests/monkey/x_watch.h"

using namespace monkey;

namespace {

struct Options {
    std::string program;
    unsigned long seed = 0;
    bool seedGiven = false;
    double seconds = 120;
    std::string outDir;
    double busyLimit = 30;
    double checkpointEvery = 5;
    bool tour = true;
    bool memoryCheck = true;
    std::string inject;  // "stop@S" or "segv@S": a fault made on purpose, to prove the watch
    double injectAt = 0;
    std::string leakSuppressions;
    int sanitizerExitCode = 23;
};

void Usage() {
    std::fprintf(stderr,
                 "usage: zantobel-monkey --program PATH [--seed S] [--seconds N | --minutes M]\n"
                 "       [--out DIR] [--busy-limit SECONDS] [--checkpoint SECONDS]\n"
                 "       [--leak-suppressions FILE [--sanitizer-exit-code N]] [--inject "
                 "stop@S|segv@S] [--no-tour]\n"
                 "Runs under an X display with a window manager, e.g.\n"
                 "  tests/e2e/run-headless.sh --wm -- build/zantobel-monkey --program "
                 "build/zantobel\n");
}

bool ParseNumber(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end && *end == '\0' && end != text && value >= 0;
}

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        double number = 0;
        if (a == "--help") return false;
        if (a == "--no-tour") {
            o.tour = false;
            continue;
        }
        if (a == "--no-memory-check") {
            o.memoryCheck = false;
            continue;
        }
        if (!v) {
            std::fprintf(stderr, "zantobel-monkey: %s needs a value\n", a.c_str());
            return false;
        }
        ++i;
        if (a == "--program") {
            o.program = v;
        } else if (a == "--seed") {
            char* end = nullptr;
            o.seed = std::strtoul(v, &end, 10);
            if (!end || *end || end == v) return false;
            o.seedGiven = true;
        } else if ((a == "--seconds" || a == "--minutes") && ParseNumber(v, number)) {
            o.seconds = a == "--minutes" ? 60 * number : number;
        } else if (a == "--busy-limit" && ParseNumber(v, number)) {
            o.busyLimit = number;
        } else if (a == "--checkpoint" && ParseNumber(v, number) && number > 0) {
            o.checkpointEvery = number;
        } else if (a == "--out") {
            o.outDir = v;
        } else if (a == "--leak-suppressions") {
            o.leakSuppressions = v;
        } else if (a == "--sanitizer-exit-code" && ParseNumber(v, number)) {
            o.sanitizerExitCode = static_cast<int>(number);
        } else if (a == "--inject") {
            const std::string s = v;
            const size_t at = s.find('@');
            if (at == std::string::npos || !ParseNumber(s.c_str() + at + 1, o.injectAt))
                return false;
            o.inject = s.substr(0, at);
            if (o.inject != "stop" && o.inject != "segv") return false;
        } else {
            std::fprintf(stderr, "zantobel-monkey: bad option %s %s\n", a.c_str(), v);
            return false;
        }
    }
    return !o.program.empty();
}

class Run {
  public:
    explicit Run(const Options& o)
        : o_(o), random_(static_cast<std::mt19937::result_type>(o.seed)) {}

    int Execute();

  private:
    bool StartGame();
    void Tour();
    void Checkpoint();
    void WarmUpLargeWindows(Hands& h);
    bool GameEnded();
    void Inject();
    void Finish();
    int Report();

    const Options& o_;
    std::mt19937 random_;
    XWindows x_;
    LifeWatch watch_;
    GameProcess game_;
    std::FILE* log_ = nullptr;
    std::unique_ptr<Hands> hands_;
    std::vector<Finding> findings_;
    std::vector<long> memory_;
    bool injected_ = false;
    bool fatal_ = false;
    double start_ = 0;
    double lastCheckpoint_ = 0;
    std::string stack_;
    std::optional<int> exitStatus_;
    bool judgeExit_ = false;
};

bool Run::StartGame() {
    game_ = StartProcess(o_.program, {}, o_.outDir, "game");
    if (game_.pid < 0) {
        std::fprintf(stderr, "zantobel-monkey: cannot start %s\n", o_.program.c_str());
        return false;
    }
    std::optional<ClientWindow> main;
    for (int i = 0; i < 300 && !main; ++i) {
        main = x_.Find("ZANTOBEL", game_.pid);
        if (!main) {
            if (GameEnded()) return false;
            Sleep(0.1);
        }
    }
    if (!main) {
        findings_.push_back({"start", "no window titled ZANTOBEL within 30 s"});
        return false;
    }
    hands_->SetMainWindow(main->id);
    QuietLimits limits;
    limits.busySeconds = o_.busyLimit;
    if (!watch_.Start(main->id, game_.pid, limits)) {
        std::fprintf(stderr, "zantobel-monkey: the X server has no Damage extension\n");
        return false;
    }
    return true;
}

// Every command, dialog and way of closing once, so everything GTK loads lazily is loaded
// before memory is measured, and a short run still covers the whole repertoire.
void Run::Tour() {
    Hands& h = *hands_;
    h.Idle(1.0);
    h.SecondInstance();
    h.Command(MenuCommand::Help);
    if (auto d = h.WaitFor("ヘルプ", 10)) h.Close(*d, CloseWay::Escape);
    h.Command(MenuCommand::Help);
    if (auto d = h.WaitFor("ヘルプ", 10)) h.Close(*d, CloseWay::CloseBox);
    h.Command(MenuCommand::Settings);
    if (auto d = h.WaitFor("設定", 10)) h.Close(*d, CloseWay::CancelButton);
    h.Command(MenuCommand::Settings);
    if (auto d = h.WaitFor("設定", 10)) h.Close(*d, CloseWay::AltF4);
    // Whole games end quickly without the animation; one runs to its result at FOOL.
    h.Settings(true, false, true);
    h.ChooseLevel(Level::Fool);
    h.Command(MenuCommand::Computers);
    if (auto d = h.WaitFor("対局結果", 60)) h.Close(*d, CloseWay::CloseBox);
    h.ClickMain(200, 200);
    // The game goes on behind the help dialog; its result opens over it, and the dialog
    // underneath is closed first.
    h.Command(MenuCommand::Computers);
    h.Command(MenuCommand::Help);
    if (h.WaitFor("対局結果", 60)) {
        if (auto help = h.WaitFor("ヘルプ", 1)) h.Close(*help, CloseWay::CloseBox);
        h.Idle(0.5);
    }
    h.CloseAllDialogs(10);
    for (Level level : {Level::Poor, Level::Normal, Level::Expert}) {
        h.ChooseLevel(level);
        h.Idle(1.0);
    }
    h.ChooseLevel(Level::Master);
    h.Command(MenuCommand::Computers);
    h.Idle(4.0);
    h.Command(MenuCommand::HumanBlack);
    for (MenuCommand mode : {MenuCommand::HumanWhite, MenuCommand::TwoPlayers}) {
        h.Command(mode);
        h.Idle(0.5);
    }
    h.Resize(1, 1);
    h.Idle(0.5);
    h.Resize(1024, 700);
    h.Idle(0.5);
    h.Maximise(true);
    h.Idle(0.5);
    h.Maximise(false);
    h.MinimiseAndRestore(1.0);
    // A dialog with the main window changing under it.
    h.Command(MenuCommand::Settings);
    if (auto d = h.WaitFor("設定", 10)) {
        h.Resize(500, 420);
        h.Idle(0.5);
        h.Close(*d, CloseWay::Return);
    }
    h.Settings(true, true, false);
    WarmUpLargeWindows(h);
    h.Resize(400, 400);
    h.CloseAllDialogs(10);
}

// cairo sends pictures to the display through shared-memory pools that it keeps and reuses:
// the first window larger than any met before leaves about 5 MB more resident, later trips to
// the same size add nothing. Visiting the largest sizes the run uses, with and without a
// dialog over the window, before the first checkpoint makes the quarters compare like with like.
void Run::WarmUpLargeWindows(Hands& h) {
    for (int trip = 0; trip < 2; ++trip) {
        for (auto [width, height] : {std::pair{1920, 1080}, std::pair{3000, 3000}}) {
            h.Resize(width, height);
            h.Idle(1.0);
            h.Resize(400, 400);
            h.Idle(0.5);
        }
        for (MenuCommand dialog : {MenuCommand::Settings, MenuCommand::Help}) {
            h.Command(dialog);
            if (auto d = h.WaitFor(dialog == MenuCommand::Settings ? "設定" : "ヘルプ", 10)) {
                h.Resize(1920, 1080);
                h.Idle(1.0);
                h.Resize(400, 400);
                h.Idle(0.5);
                h.Close(*d, CloseWay::Escape);
            }
        }
    }
}

void Run::Checkpoint() {
    Hands& h = *hands_;
    // Memory is compared at one window state: the start-up size, shown, not maximised.
    h.Resize(400, 400);
    RunTool({"wmctrl", "-i", "-a", std::to_string(h.MainWindow())}, 3.0);
    Sleep(0.5);
    const long kb = ResidentKb(game_.pid);
    if (kb > 0) memory_.push_back(kb);
    if (log_) std::fprintf(log_, "%8.2f checkpoint  %ld kB\n", SecondsSinceStart(), kb);
}

bool Run::GameEnded() {
    if (game_.pid < 0) return true;
    std::optional<int> status = WaitForExit(game_, 0);
    if (!status) return false;
    findings_.push_back(
        JudgeExit(status, "the game")
            .value_or(Finding{"ended", "the game ended during the run with code 0"}));
    fatal_ = true;
    return true;
}

void Run::Inject() {
    if (o_.inject.empty() || injected_ || SecondsSinceStart() - start_ < o_.injectAt) return;
    injected_ = true;
    std::printf("monkey: injecting %s into the game at %.1f s\n", o_.inject.c_str(),
                SecondsSinceStart() - start_);
    kill(game_.pid, o_.inject == "stop" ? SIGSTOP : SIGSEGV);
}

void Run::Finish() {
    watch_.Stop();
    for (Finding& f : watch_.TakeFindings())
        findings_.push_back(f);
    if (game_.pid < 0) return;
    if (fatal_) {
        // A hang: where the program stands is what the finding needs, then it is ended.
        RunTool({"gdb", "-p", std::to_string(game_.pid), "-batch", "-ex", "thread apply all bt",
                 "-ex", "detach"},
                60.0, &stack_);
        if (!stack_.empty()) {
            if (std::FILE* f = std::fopen((o_.outDir + "/hang-stack.txt").c_str(), "w")) {
                std::fputs(stack_.c_str(), f);
                std::fclose(f);
                std::printf("monkey: the stacks of the hung game are in %s/hang-stack.txt\n",
                            o_.outDir.c_str());
            }
        }
        kill(game_.pid, SIGCONT);
        kill(game_.pid, SIGKILL);
        WaitForExit(game_, 10);
        return;
    }
    hands_->CloseAllDialogs(15);
    if (std::uniform_int_distribution<int>(0, 1)(random_)) {
        hands_->Command(MenuCommand::Exit);
    } else if (auto main = x_.Find("ZANTOBEL", game_.pid)) {
        RunTool({"wmctrl", "-i", "-c", std::to_string(main->id)}, 3.0);
    }
    // The sanitizers' leak check at exit can take several seconds.
    exitStatus_ = WaitForExit(game_, 60);
    if (!exitStatus_) {
        kill(game_.pid, SIGKILL);
        WaitForExit(game_, 10);
    }
    judgeExit_ = true;
}

int Run::Execute() {
    mkdir(o_.outDir.c_str(), 0755);
    log_ = std::fopen((o_.outDir + "/actions.log").c_str(), "w");
    hands_ = std::make_unique<Hands>(x_, random_, log_, o_.program, o_.outDir);
    std::printf("monkey: seed %lu (replay with --seed %lu), %.0f s, %s\n", o_.seed, o_.seed,
                o_.seconds, o_.program.c_str());
    std::printf("monkey: actions in %s/actions.log, the game's output in %s/game.err\n",
                o_.outDir.c_str(), o_.outDir.c_str());
    std::fflush(stdout);
    if (!x_.Ok()) {
        std::fprintf(stderr, "zantobel-monkey: no X display\n");
        return 2;
    }
    start_ = SecondsSinceStart();
    if (!StartGame()) {
        Finish();
        return findings_.empty() ? 2 : Report();
    }
    if (o_.tour) Tour();
    lastCheckpoint_ = SecondsSinceStart();
    while (SecondsSinceStart() - start_ < o_.seconds && !GameEnded()) {
        Inject();
        hands_->RandomAction();
        if (watch_.Failed()) break;
        if (SecondsSinceStart() - lastCheckpoint_ >= o_.checkpointEvery) {
            Checkpoint();
            lastCheckpoint_ = SecondsSinceStart();
        }
        // A hang ends the run at once: what follows would only pile up on it.
        std::vector<Finding> now = watch_.TakeFindings();
        if (!now.empty()) {
            findings_.insert(findings_.end(), now.begin(), now.end());
            fatal_ = true;
            break;
        }
    }
    Finish();
    return Report();
}

int Run::Report() {
    LeakPolicy policy;
    if (!o_.leakSuppressions.empty()) {
        policy.active = true;
        policy.libraries = SuppressedLibraries(ReadWholeFile(o_.leakSuppressions));
        policy.sanitizerExitCode = o_.sanitizerExitCode;
    }
    std::vector<EndedProcess> ended = hands_->SecondCopies();
    // A game ended early was judged when it ended; its output still is.
    EndedProcess game{"the game", exitStatus_, ReadWholeFile(game_.errPath)};
    if (!judgeExit_) game.waitStatus = 0;
    ended.insert(ended.begin(), game);
    for (const EndedProcess& p : ended) {
        const EndVerdict v = JudgeEnded(p, policy);
        findings_.insert(findings_.end(), v.findings.begin(), v.findings.end());
        if (v.leakRecords) {
            std::printf("monkey: %s: %d leak records at exit, %d of them the libraries' own\n",
                        p.who.c_str(), v.leakRecords, v.excusedLeaks);
        }
    }
    const LifeWatch::Stats stats = watch_.Current();
    std::printf("monkey: %ld actions in %.1f s:", hands_->Actions(), SecondsSinceStart() - start_);
    for (const auto& [kind, count] : hands_->Counts())
        std::printf(" %s %ld", kind.c_str(), count);
    std::printf("\nmonkey: %ld repaints seen, %ld repaint requests, longest quiet spell %.1f s\n",
                stats.repaints, stats.probes, stats.longestQuiet);
    std::printf("monkey: %zu second copies started, the slowest ended after %.2f s\n",
                hands_->SecondCopies().size(), hands_->SlowestSecondCopy());
    const MemoryVerdict memory = JudgeMemory(memory_);
    if (!o_.memoryCheck) {
        std::printf("monkey: resident memory not judged (%zu checkpoints)\n", memory_.size());
    } else if (memory.enoughSamples) {
        std::printf(
            "monkey: resident memory at %zu checkpoints: first quarter %ld kB, last quarter %ld "
            "kB (%+.1f %%)\n",
            memory_.size(), memory.firstQuarterKb, memory.lastQuarterKb, 100 * memory.growth);
        if (memory.finding) findings_.push_back(*memory.finding);
    } else {
        std::printf("monkey: too few memory checkpoints (%zu) to compare quarters\n",
                    memory_.size());
    }
    for (const Finding& f : findings_)
        std::printf("monkey: finding %s: %s\n", f.kind.c_str(), f.detail.c_str());
    std::printf("monkey: %s (seed %lu)\n", findings_.empty() ? "PASS" : "FAIL", o_.seed);
    if (log_) std::fclose(log_);
    return findings_.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        Usage();
        return 2;
    }
    // MONKEY_SEED replays a run started by a script or ctest without editing it.
    if (const char* env = std::getenv("MONKEY_SEED"); env && *env && !o.seedGiven) {
        o.seed = std::strtoul(env, nullptr, 10);
        o.seedGiven = true;
    }
    if (!o.seedGiven) o.seed = std::random_device{}() ^ static_cast<unsigned long>(getpid());
    if (o.outDir.empty()) o.outDir = "/tmp/zantobel-monkey-" + std::to_string(o.seed);
    // Keys and clicks are delivered in X; a broken pipe to a dead tool must not end the run.
    signal(SIGPIPE, SIG_IGN);
    Run run(o);
    return run.Execute();
}
