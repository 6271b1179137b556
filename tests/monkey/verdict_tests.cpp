// The monkey's rules on their own: which stderr lines are faults, when a quiet window is a
// hang, when memory has grown, how an exit is judged, and which leaks are the libraries'.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include "tests/monkey/verdict.h"

using namespace monkey;

namespace {

int Exited(int code) {
    return code << 8;  // the wait status of a normal exit, as waitpid gives it
}

TEST(MonkeyRules, ErrorOutputNamesEachKindOfFault) {
    struct Case {
        const char* line;
        const char* kind;  // nullptr: not a fault
    } cases[] = {
        {"(zantobel:4242): Gtk-CRITICAL **: 18:30:01.123: gtk_widget_hide: assertion "
         "'GTK_IS_WIDGET (widget)' failed",
         "gtk-critical"},
        {"(zantobel:4242): GLib-GObject-CRITICAL **: 18:30:01.2: g_object_unref: assertion",
         "gtk-critical"},
        {"(zantobel:4242): Gdk-WARNING **: 18:30:02.000: losing track of the pointer",
         "gtk-warning"},
        {"(zantobel:4242): GLib-ERROR **: 18:30:02.000: out of memory", "gtk-error"},
        {"Fontconfig warning: ignoring C.UTF-8: not a valid language tag", "fontconfig-warning"},
        {"zantobel: 3 retained objects still alive at exit", "retained-objects-alive"},
        {"zantobel: font rules: fonts.conf is not usable (/x/fonts.conf: not found)",
         "program-message"},
        {"==77==ERROR: AddressSanitizer: heap-use-after-free on address 0x6020",
         "address-sanitizer"},
        {"==77==ERROR: LeakSanitizer: detected memory leaks", "leak-sanitizer"},
        {"view/scene.cpp:88:12: runtime error: signed integer overflow", "undefined-behaviour"},
        {"(zantobel:4242): Gtk-Message: 18:30:00.000: Failed to load module", nullptr},
        {"ALSA lib confmisc.c:855:(parse_card) cannot find card '0'", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        const std::vector<Finding> found = ScanErrorOutput(c.line);
        if (!c.kind) {
            EXPECT_TRUE(found.empty()) << c.line;
            continue;
        }
        ASSERT_EQ(found.size(), 1u) << c.line;
        EXPECT_EQ(found[0].kind, c.kind) << c.line;
    }
}

TEST(MonkeyRules, RepeatedLinesAreCountedUnderTheirFirst) {
    const std::string text =
        "noise\n"
        "(z:1): Gtk-CRITICAL **: first one\n"
        "(z:1): Gtk-CRITICAL **: second one\n"
        "(z:1): Gtk-WARNING **: a warning\n"
        "(z:1): Gtk-CRITICAL **: third one";  // no newline at the end
    const std::vector<Finding> found = ScanErrorOutput(text);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].kind, "gtk-critical");
    EXPECT_NE(found[0].detail.find("3 line(s)"), std::string::npos) << found[0].detail;
    EXPECT_NE(found[0].detail.find("first one"), std::string::npos) << found[0].detail;
    EXPECT_EQ(found[1].kind, "gtk-warning");
}

TEST(MonkeyRules, QuietSpellsAreHangsOnlyPastTheirLimit) {
    const QuietLimits limits;  // 5 s idle, 30 s computing, computing = half the time busy
    struct Case {
        double seconds, processor;
        bool hang;
    } cases[] = {
        {4.9, 0.0, false},                        // just under the idle limit
        {5.1, 0.0, true},                         // idle past it: the event loop is stuck
        {5.1, 2.0, true},                         // a little work is not a computer move
        {12.0, 11.0, false},                      // a long move, computed
        {29.0, 28.0, false}, {31.0, 30.0, true},  // no move takes this long: a busy loop
        {0.0, 0.0, false},
    };
    for (const Case& c : cases) {
        const std::optional<Finding> f = JudgeQuiet({c.seconds, c.processor}, limits);
        EXPECT_EQ(f.has_value(), c.hang) << c.seconds << " s, " << c.processor << " s busy";
        if (f) {
            EXPECT_EQ(f->kind, "hang");
        }
    }
}

TEST(MonkeyRules, MemoryComparesTheMediansOfTheFirstAndLastQuarters) {
    struct Case {
        std::vector<long> samples;
        bool enough;
        bool grew;
        long first, last;
    } cases[] = {
        {{100, 100, 100}, false, false, 0, 0},                             // too few for quarters
        {{100, 100, 100, 105}, true, false, 100, 105},                     // exactly 5 %: allowed
        {{100, 100, 100, 106}, true, true, 100, 106},                      // over 5 %
        {{100, 100, 300, 500, 90, 100, 100, 104}, true, false, 100, 102},  // spikes in between
        {{100, 102, 100, 150, 150, 150, 150, 150}, true, true, 101, 150},
        {{200, 200, 150, 150}, true, false, 200, 150},  // shrinking is fine
    };
    for (const Case& c : cases) {
        const MemoryVerdict v = JudgeMemory(c.samples);
        EXPECT_EQ(v.enoughSamples, c.enough);
        EXPECT_EQ(v.finding.has_value(), c.grew) << c.samples.back();
        if (!c.enough) continue;
        EXPECT_EQ(v.firstQuarterKb, c.first);
        EXPECT_EQ(v.lastQuarterKb, c.last);
        if (v.finding) {
            EXPECT_EQ(v.finding->kind, "memory-growth");
        }
    }
}

TEST(MonkeyRules, OnlyAnExitWithCodeZeroIsClean) {
    EXPECT_FALSE(JudgeExit(Exited(0), "game"));
    const auto code = JudgeExit(Exited(23), "game");
    ASSERT_TRUE(code);
    EXPECT_EQ(code->kind, "exit-code");
    EXPECT_NE(code->detail.find("23"), std::string::npos);
    const auto crash = JudgeExit(SIGSEGV, "game");  // killed by a signal, no core
    ASSERT_TRUE(crash);
    EXPECT_EQ(crash->kind, "crash");
    EXPECT_NE(crash->detail.find("signal 11"), std::string::npos);
    const auto stuck = JudgeExit(std::nullopt, "game");
    ASSERT_TRUE(stuck);
    EXPECT_EQ(stuck->kind, "hang");
}

// As the sanitizer prints it: library frames unsymbolized, our frames with their source line.
const char* const kLeakReport =
    "=================================================================\n"
    "==12==ERROR: LeakSanitizer: detected memory leaks\n"
    "\n"
    "Direct leak of 64 byte(s) in 1 object(s) allocated from:\n"
    "    #0 0x7f in __interceptor_malloc "
    "../../../../src/libsanitizer/asan/asan_malloc_linux.cpp:69\n"
    "    #1 0x7f  (/lib/x86_64-linux-gnu/libfontconfig.so.1+0x1e2b)\n"
    "    #2 0x7f in FcFontRenderPrepare (/lib/x86_64-linux-gnu/libfontconfig.so.1+0x2)\n"
    "\n"
    "Direct leak of 32 byte(s) in 2 object(s) allocated from:\n"
    "    #0 0x7f in operator new(unsigned long) "
    "../../../../src/libsanitizer/asan/asan_new_delete.cpp:95\n"
    "    #1 0x55 in desktop::gtk::MakeControl ../platform/desktop/gtk/gtk_dialogs.cpp:9\n"
    "    #2 0x7f in g_signal_emit (/lib/x86_64-linux-gnu/libgobject-2.0.so.0+0x3)\n"
    "\n"
    "Indirect leak of 16 byte(s) in 1 object(s) allocated from:\n"
    "    #0 0x7f in __interceptor_calloc "
    "../../../../src/libsanitizer/asan/asan_malloc_linux.cpp:77\n"
    "    #1 0x7f  (/lib/x86_64-linux-gnu/libdbus-1.so.3+0x4)\n"
    "    #2 0x7f  (<unknown module>)\n"
    "\n"
    "Direct leak of 8 byte(s) in 1 object(s) allocated from:\n"
    "    #0 0x7f in __interceptor_malloc "
    "../../../../src/libsanitizer/asan/asan_malloc_linux.cpp:69\n"
    "    #1 0x7f in some_function (/usr/lib/libunknown.so.2+0x5)\n"
    "\n"
    "Direct leak of 8 byte(s) in 1 object(s) allocated from:\n"
    "    #0 0x7f in __interceptor_malloc "
    "../../../../src/libsanitizer/asan/asan_malloc_linux.cpp:69\n"
    "    #1 0x7f  (/lib/x86_64-linux-gnu/libglib-2.0.so.0+0x5)\n"
    "    #2 0x55  (/work/build-asan/zantobel+0x4a1f)\n"
    "\n"
    "SUMMARY: AddressSanitizer: 128 byte(s) leaked in 6 allocation(s).\n";

const char* const kSuppressions =
    "# third-party libraries that keep memory until exit\n"
    "leak:libfontconfig.so\n"
    "leak:libgobject-2.0.so\r\n"
    "leak:libglib-2.0.so\n"
    "leak:libdbus-1.so  \n"
    "\n"
    "called_from_lib:libignored.so\n";

TEST(MonkeyRules, LeakReportsSplitIntoRecordsWithTheirStacks) {
    const std::vector<LeakRecord> leaks = ParseLeakReport(kLeakReport);
    ASSERT_EQ(leaks.size(), 5u);
    EXPECT_EQ(leaks[0].header, "Direct leak of 64 byte(s) in 1 object(s) allocated from:");
    EXPECT_EQ(leaks[0].frames.size(), 3u);
    EXPECT_EQ(leaks[1].frames.size(), 3u);
    EXPECT_EQ(leaks[2].header.rfind("Indirect leak of 16", 0), 0u);
    EXPECT_EQ(leaks[2].frames.size(), 3u);
    EXPECT_EQ(leaks[3].frames.size(), 2u);
    EXPECT_TRUE(ParseLeakReport("no report here\n#0 not a frame of a leak\n").empty());
    EXPECT_EQ(SuppressedLibraries(kSuppressions),
              (std::vector<std::string>{"libfontconfig.so", "libgobject-2.0.so", "libglib-2.0.so",
                                        "libdbus-1.so"}));
}

TEST(MonkeyRules, OnlyLeaksOfTheNamedLibrariesAloneAreExcused) {
    const std::vector<std::string> libraries = SuppressedLibraries(kSuppressions);
    const std::vector<LeakRecord> leaks = ParseLeakReport(kLeakReport);
    struct Case {
        size_t record;
        bool excused;
        const char* why;
    } cases[] = {
        {0, true, "fontconfig's own"},
        {1, false, "allocated by our code: never excused, whatever library called it"},
        {2, true, "D-Bus's own, with a frame the unwinder could not place"},
        {3, false, "a library that is not named"},
        {4, false, "an unsymbolized address in our executable is ours too"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LeakOfLibraries(leaks[c.record], libraries), c.excused) << c.why;
}

TEST(MonkeyRules, AnEndIsJudgedByItsStatusItsOutputAndItsLeaks) {
    LeakPolicy policy{true, SuppressedLibraries(kSuppressions), 23};
    const std::string onlyLibraries =
        "==9==ERROR: LeakSanitizer: detected memory leaks\n\n"
        "Direct leak of 64 byte(s) in 1 object(s) allocated from:\n"
        "    #0 0x7f in __interceptor_malloc ../../../../src/libsanitizer/asan/x.cpp:69\n"
        "    #1 0x7f  (/lib/x86_64-linux-gnu/libfontconfig.so.1+0x1e2b)\n\n"
        "SUMMARY: AddressSanitizer: 64 byte(s) leaked in 1 allocation(s).\n";
    const std::string critical = "(zantobel:1): Gtk-CRITICAL **: gtk_widget_hide: assertion\n";
    struct Case {
        std::optional<int> status;
        std::string errors;
        bool policyActive;
        std::vector<std::string> kinds;
    } cases[] = {
        {Exited(0), "", true, {}},
        {Exited(23), onlyLibraries, true, {}},                      // excused leaks only
        {Exited(23), kLeakReport, true, {"leak", "leak", "leak"}},  // three of ours or unnamed
        {Exited(23), critical + onlyLibraries, true, {"gtk-critical"}},
        {Exited(23), onlyLibraries, false, {"leak-sanitizer", "exit-code"}},  // no policy
        {Exited(23), "", true, {"exit-code"}},  // the code without a report is the program's
        {Exited(0), critical, true, {"gtk-critical"}},
        {SIGABRT,
         "==3==ERROR: AddressSanitizer: heap-use-after-free\n",
         true,
         {"address-sanitizer", "crash"}},
        {std::nullopt, "", true, {"hang"}},
    };
    for (const Case& c : cases) {
        LeakPolicy p = policy;
        p.active = c.policyActive;
        const EndVerdict v = JudgeEnded({"game", c.status, c.errors}, p);
        std::vector<std::string> kinds;
        for (const Finding& f : v.findings)
            kinds.push_back(f.kind);
        EXPECT_EQ(kinds, c.kinds) << c.errors;
    }
}

}  // namespace
