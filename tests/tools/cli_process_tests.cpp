// The command-line tool as a process: answers on stdout, bad input as one line on stderr
// with exit code 2, --help for every command.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/tools/cli_process.h"
#include "tools/cli/cli.h"

namespace {

// Whether the process has a handler for SIGINT in place, from its status in /proc.
bool CatchesInterrupt(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigCgt:", 0) != 0) continue;
        const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
        return (mask >> (SIGINT - 1)) & 1;
    }
    return false;
}

// Waits for the child, at most about timeoutMs; kills it when it does not end.
int WaitFor(pid_t child, int timeoutMs) {
    int status = 0;
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        if (waitpid(child, &status, WNOHANG) == child) return status;
        usleep(10 * 1000);
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return status;
}

}  // namespace

CliRun RunCli(const std::vector<std::string>& arguments) {
    return RunCli(CliSetting{}, arguments);
}

CliRun RunCli(const CliSetting& setting, const std::vector<std::string>& arguments) {
    char outPath[] = "/tmp/zantobel-cli-out-XXXXXX";
    char errPath[] = "/tmp/zantobel-cli-err-XXXXXX";
    const int outFd = setting.outPath.empty()
                          ? mkstemp(outPath)
                          : open(setting.outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int errFd = mkstemp(errPath);
    CliRun run{-1, false, "", ""};
    const pid_t child = fork();
    if (child == 0) {
        dup2(outFd, 1);
        dup2(errFd, 2);
        if (setting.fileSizeLimit >= 0) {
            const rlimit limit{static_cast<rlim_t>(setting.fileSizeLimit),
                               static_cast<rlim_t>(setting.fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
            signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of killing
        }
        std::vector<char*> argv;
        std::string program = ZANTOBEL_CLI_PATH;
        argv.push_back(program.data());
        std::vector<std::string> copies = arguments;
        for (std::string& a : copies)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    if (setting.interruptOnceWatching) {
        for (int waited = 0; waited < 10000 && !CatchesInterrupt(child); waited += 5)
            usleep(5 * 1000);
        kill(child, SIGINT);
    }
    const int status = WaitFor(child, 60000);
    run.signalled = WIFSIGNALED(status);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    auto slurp = [](const char* path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    };
    if (setting.outPath.empty()) {
        run.out = slurp(outPath);
        unlink(outPath);
    }
    run.err = slurp(errPath);
    close(outFd);
    close(errFd);
    unlink(errPath);
    return run;
}

namespace {

const std::string kStartText = "---------------------------OX------XO--------------------------- X";

int LineCount(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

TEST(Cli, PerftAndLegalAnswerOnStdout) {
    EXPECT_EQ(RunCli({"perft", "8"}).out, "390216\n");
    EXPECT_EQ(RunCli({"perft", "3", kStartText}).out, "56\n");
    EXPECT_EQ(RunCli({"legal", "start"}).out, "d3 c4 f5 e6\n");
    // A position that begins with '-' is a position, never an option.
    EXPECT_EQ(RunCli({"legal", kStartText}).out, "d3 c4 f5 e6\n");
    // White has no move but black has: pass. Nobody has a move: end.
    EXPECT_EQ(RunCli({"legal", "XO" + std::string(54, '-') + "XO------ O"}).out, "pass\n");
    EXPECT_EQ(RunCli({"legal", "X" + std::string(63, '-') + " X"}).out, "end\n");
}

TEST(Cli, BadInputIsOneLineOnStderrWithExitCodeTwo) {
    struct Case {
        std::vector<std::string> arguments;
        std::string mustMention;
    };
    const std::string board60(60, '-');
    const Case cases[] = {
        {{"fly"}, "unknown command 'fly'"},
        {{"perft"}, "missing DEPTH"},
        {{"perft", "0"}, "out of range 1..20"},
        {{"perft", "21"}, "out of range 1..20"},
        {{"perft", "x3"}, "not a whole number"},
        {{"perft", "3", "start", "extra"}, "unexpected extra argument 'extra'"},
        {{"perft", "3", "--fast"}, "unknown option '--fast'"},
        {{"legal"}, "missing POSITION"},
        {{"legal", board60 + " X"}, "expected 64 squares, found 60 at character 61"},
        {{"legal", board60 + "---Z X"},
         "unknown character 'Z' in the squares (use X, O or -) at character 64"},
        {{"legal", board60 + "----"},
         "missing side to move (X or O) after the 64 squares at character 65"},
        {{"legal", board60 + "---- B"}, "unknown side to move 'B' (use X or O) at character 66"},
        {{"legal", board60 + "---- X X"}, "unexpected 'X' after the side to move at character 68"},
        {{"play", "--seed"}, "option --seed needs a value"},
        {{"play", "--seed", "-4"}, "out of range"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(c.arguments);
        SCOPED_TRACE(c.arguments.front() + (c.arguments.size() > 1 ? " " + c.arguments[1] : ""));
        EXPECT_EQ(run.exitCode, cli::kExitBadInput);
        EXPECT_EQ(LineCount(run.err), 1) << run.err;
        EXPECT_NE(run.err.find(c.mustMention), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST(Cli, EveryCommandHasHelp) {
    for (const cli::Command& command : cli::Commands()) {
        const CliRun run = RunCli({command.name, "--help"});
        EXPECT_EQ(run.exitCode, 0) << command.name;
        EXPECT_EQ(run.out.rfind(std::string("usage: zantobel-cli ") + command.name, 0), 0u)
            << run.out;
    }
    EXPECT_EQ(RunCli({"--help"}).exitCode, 0);
    EXPECT_EQ(RunCli({}).exitCode, cli::kExitBadInput);
}

TEST(Cli, VersionIsTheBuildsVersionOnOneLine) {
    const CliRun run = RunCli({"--version"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, std::string("zantobel-cli ") + ZANTOBEL_VERSION + "\n");
    EXPECT_EQ(run.err, "");
}

TEST(Cli, PlayIsAWholeGameThatDependsOnlyOnTheSeed) {
    const CliRun first = RunCli({"play", "--seed", "7"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(first.out, RunCli({"play", "--seed", "7"}).out);
    EXPECT_NE(first.out, RunCli({"play", "--seed", "8"}).out);
    std::istringstream lines(first.out);
    std::string record, result;
    std::getline(lines, record);
    std::getline(lines, result);
    int black = -1, white = -1;
    ASSERT_EQ(std::sscanf(result.c_str(), "black %d white %d", &black, &white), 2) << result;
    // Each move fills one square of the 60 empty at the start.
    EXPECT_EQ(record.size() / 2, static_cast<size_t>(black + white - 4));
}
