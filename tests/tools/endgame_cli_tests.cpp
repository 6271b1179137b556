// The endgame command as a user runs it: the answer line, win/draw/loss, passes and finished
// games, the same answer on two threads, and bad input (one line on stderr, exit code 2).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/tools/cli_process.h"

namespace {

struct Answer {
    std::string move;
    int score;
};

Answer ParseAnswer(const CliRun& run) {
    char move[8] = {};
    int score = 99;
    unsigned long long nodes = 0;
    unsigned long long ms = 0;
    const int read = std::sscanf(run.out.c_str(), "move %7s score %d nodes %llu time %llu", move,
                                 &score, &nodes, &ms);
    EXPECT_EQ(read, 4) << run.out;
    EXPECT_EQ(run.out.back(), '\n');
    return {move, score};
}

// A problem with 20 empty squares and its known value: a2 wins by 38.
const std::string kProblem = "O--OOOOX-OOOOOOXOOXXOOOXOOXOOOXXOOOOOOXX---OOOOX----O--X-------- X";

TEST(EndgameCli, AnswersWithMoveScoreNodesAndTime) {
    struct Case {
        std::vector<std::string> arguments;
        std::string move;
        int score;
    };
    const Case cases[] = {
        {{"endgame", kProblem}, "a2", 38},
        {{"endgame", "--wld", kProblem}, "", 1},
        {{"endgame", "--threads", "2", "--hash", "8", kProblem}, "a2", 38},
        // White must pass; black then takes c1 and every disc.
        {{"endgame", "XO-------------------------------------------------------------- O"},
         "pass",
         -64},
        {{"endgame", "XXX------------------------------------------------------------- O"},
         "end",
         -64},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(c.arguments);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "");
        const Answer answer = ParseAnswer(run);
        if (!c.move.empty()) {
            EXPECT_EQ(answer.move, c.move) << c.arguments.back();
        }
        EXPECT_EQ(answer.score, c.score) << c.arguments.back();
    }
}

TEST(EndgameCli, BadInputIsOneLineAndExitCodeTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {"endgame"},
        {"endgame", "--threads", "0", kProblem},
        {"endgame", "--threads", "many", kProblem},
        {"endgame", "--hash", "0", kProblem},
        {"endgame", "--hash", "1025", kProblem},
        {"endgame", "--hash"},
        {"endgame", "--deep", kProblem},
        {"endgame", "XXXX X"},
        {"endgame", kProblem, "extra"},
        {"bench", "--endgame", "--suite", "/nonexistent/suite.txt"},
        {"bench", "--endgame", "--threads", "17"},
    };
    for (const std::vector<std::string>& arguments : cases) {
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.back();
        EXPECT_EQ(run.out, "") << arguments.back();
        ASSERT_FALSE(run.err.empty()) << arguments.back();
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    }
}

}  // namespace
