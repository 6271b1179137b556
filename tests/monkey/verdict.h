// What counts as a fault in a monkey run, as plain rules over what was observed: the lines
// the program wrote on stderr, its resident memory over time, the quiet spells in which it
// did not repaint, and how it ended. No X, no processes: the rules are tested on their own.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace monkey {

struct Finding {
    std::string kind;    // "crash", "hang", "gtk-critical", "leak", ...
    std::string detail;  // one line for the report
};

// Faults the program reported about itself on stderr: GLib/GTK criticals and warnings
// ("(zantobel:12): Gtk-CRITICAL **: ..."), sanitizer reports, retained objects alive at exit.
// Repeats of one kind are counted into one finding that quotes the first line.
std::vector<Finding> ScanErrorOutput(std::string_view text);

// A quiet spell: seconds without a sign of life from the window, and the processor time the
// program used meanwhile. While it computes a move it may be quiet, but not for ever.
struct QuietSpell {
    double seconds = 0;
    double processorSeconds = 0;
};
struct QuietLimits {
    double idleSeconds = 5;   // quiet while not computing: the event loop is stuck
    double busySeconds = 30;  // quiet while computing: no move takes this long
    double busyShare = 0.5;   // at least this share of the spell on the processor is computing
};
std::optional<Finding> JudgeQuiet(const QuietSpell& spell, const QuietLimits& limits);

// Resident memory sampled at regular checkpoints: the median of the last quarter may exceed
// the median of the first quarter by at most limit (0.05 = 5 %).
struct MemoryVerdict {
    long firstQuarterKb = 0;
    long lastQuarterKb = 0;
    double growth = 0;  // (last - first) / first
    bool enoughSamples = false;
    std::optional<Finding> finding;
};
MemoryVerdict JudgeMemory(const std::vector<long>& samplesKb, double limit = 0.05);

// How the program ended at the close of the run: code 0 and no signal is the only good end.
std::optional<Finding> JudgeExit(std::optional<int> waitStatus, const std::string& what);

// LeakSanitizer's report, one record per leak: its header line and its stack frames.
struct LeakRecord {
    std::string header;
    std::vector<std::string> frames;
};
std::vector<LeakRecord> ParseLeakReport(std::string_view text);

// The libraries named in a LeakSanitizer suppressions file ("leak:libfontconfig.so").
std::vector<std::string> SuppressedLibraries(std::string_view suppressionsFile);

// A frame of ours is any frame outside the shared libraries and the sanitizer's runtime:
// a function of our sources, or an address in our own executable.
bool FrameOfOurs(std::string_view frame);
// A leak is the libraries' own when no frame of its stack is ours and a frame lies in one of
// the named libraries; a leak with any frame of ours is never excused.
bool LeakOfLibraries(const LeakRecord& leak, const std::vector<std::string>& libraries);

// How leaks at exit are judged in a sanitizer build: the libraries whose own leaks are
// excused, and the exit code the sanitizer ends the program with when it reports one.
struct LeakPolicy {
    bool active = false;
    std::vector<std::string> libraries;
    int sanitizerExitCode = 23;
};
struct EndedProcess {
    std::string who;
    std::optional<int> waitStatus;
    std::string errors;  // its stderr
};
struct EndVerdict {
    std::vector<Finding> findings;
    int leakRecords = 0;
    int excusedLeaks = 0;
};
// Everything wrong with a program that has ended: how it ended, what it said on stderr, and
// the leaks the sanitizer found. An exit with the sanitizer's code is clean when every leak
// it reported was excused and it reported nothing else.
EndVerdict JudgeEnded(const EndedProcess& process, const LeakPolicy& policy);

}  // namespace monkey
