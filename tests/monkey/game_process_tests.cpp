// The monkey's process helpers against real child processes: a tool that overstays is
// killed, exit codes and signals come back as they happened, and /proc is read right.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/monkey/game_process.h"

using namespace monkey;

namespace {

TEST(MonkeyProcesses, ToolsAnswerWithTheirCodeAndOutputOrAreKilledWhenTheyOverstay) {
    std::string out;
    EXPECT_EQ(RunTool({"sh", "-c", "echo hello; exit 3"}, 5.0, &out), 3);
    EXPECT_EQ(out, "hello\n");
    EXPECT_EQ(RunTool({"true"}), 0);
    EXPECT_EQ(RunTool({"no-such-tool-anywhere"}), -1);
    const double before = SecondsSinceStart();
    EXPECT_EQ(RunTool({"sleep", "30"}, 0.3), -1);
    EXPECT_LT(SecondsSinceStart() - before, 5.0) << "the overstaying tool was not killed";
}

TEST(MonkeyProcesses, AnEndIsReportedAsItHappened) {
    char dir[] = "/tmp/zantobel-monkey-test-XXXXXX";
    ASSERT_TRUE(mkdtemp(dir));
    struct Case {
        const char* script;
        bool exited;
        int value;  // exit code or signal
        const char* description;
    } cases[] = {
        {"echo oops >&2; exit 7", true, 7, "exit 7"},
        {"exit 0", true, 0, "exit 0"},
        {"kill -SEGV $$", false, SIGSEGV, "signal 11"},
    };
    for (const Case& c : cases) {
        GameProcess p = StartProcess("/bin/sh", {"-c", c.script}, dir, "case");
        ASSERT_GT(p.pid, 0);
        const std::optional<int> status = WaitForExit(p, 10);
        ASSERT_TRUE(status) << c.script;
        EXPECT_EQ(WIFEXITED(*status), c.exited) << c.script;
        EXPECT_EQ(c.exited ? WEXITSTATUS(*status) : WTERMSIG(*status), c.value) << c.script;
        EXPECT_EQ(DescribeStatus(*status).rfind(c.description, 0), 0u) << DescribeStatus(*status);
    }
    EXPECT_EQ(ReadWholeFile(std::string(dir) + "/case.err"), "");  // truncated for each start
    GameProcess slow = StartProcess("/bin/sleep", {"30"}, dir, "slow");
    EXPECT_FALSE(WaitForExit(slow, 0.2)) << "a process that runs on is not reported as ended";
    kill(slow.pid, SIGKILL);
    EXPECT_TRUE(WaitForExit(slow, 10));
    std::system((std::string("rm -rf ") + dir).c_str());
}

TEST(MonkeyProcesses, ProcessorTimeAndResidentMemoryComeFromProc) {
    EXPECT_GT(ResidentKb(getpid()), 100);
    // Some processor time of our own, then it must show.
    volatile unsigned long sink = 0;
    const double start = ProcessorSeconds(getpid());
    while (ProcessorSeconds(getpid()) < start + 0.05) {
        for (int i = 0; i < 1000000; ++i)
            sink = sink + i;
    }
    EXPECT_GE(ProcessorSeconds(getpid()), start + 0.05);
    // A process that has ended and been waited for has nothing to read.
    GameProcess gone = StartProcess("/bin/true", {}, "/tmp", "zantobel-monkey-gone");
    const pid_t pid = gone.pid;
    ASSERT_TRUE(WaitForExit(gone, 10));
    EXPECT_EQ(ResidentKb(pid), -1);
    EXPECT_EQ(ProcessorSeconds(pid), -1);
    unlink("/tmp/zantobel-monkey-gone.out");
    unlink("/tmp/zantobel-monkey-gone.err");
}

}  // namespace
