// The computer player's commands as a user runs them: the bench signature and solve results
// (pinned, so a change meant only to speed the search up cannot alter a single step), move,
// book, pass and end, bad input, and whole games between every pair of levels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "game/board.h"
#include "tests/tools/cli_process.h"
#include "tools/cli/cli.h"
#include "tools/notation/notation.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(EngineCli, BenchSignatureIsPinned) {
    const CliRun run = RunCli({"bench"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "signature 6386026");
    EXPECT_EQ(lines[0].rfind("normal steps 1114796 ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("exact  steps 5271230 ", 0), 0u) << lines[1];
}

TEST(EngineCli, SolveResultsArePinned) {
    struct Case {
        const char* position;
        const char* answer;
    };
    const Case cases[] = {
        {"-XXXXX--X-XOXX-XXOOXOXOOXOOXXOOOXXOXXXOOXXOOXOOOX-OOOO------XO-- X",
         "move h7 value 9999 steps 595015"},
        {"-OOOOOOOX-OOXO-XXOOOOOOOX-XOOOOOXOXOXOOXXXXXOOX-X-XXXO----X-X--- X",
         "move b4 value -9999 steps 19487"},
        {"-OOOOO--O-OOO--XOXXOOXXXOXOOOOXXOOXOOXXOOXOOOXOOO-XXXX--O-X-X--- X",
         "move b7 value -9999 steps 12531"},
        {"XXXXXX----XXOO--XOXOXOOXXXOOXXOOXOOOOXOOOOXXO-X-O-XOOO-X--OOOO-- X",
         "move b2 value 9999 steps 382077"},
        {"XXXX-X--X-XXOX-OXXXOXXOOXXOXXOXOXXXOXXOOOXXXXOOO--XXOO---XXXXOX- O",
         "move b7 value 9999 steps 14395"},
        {"-XXXXXXXO--OXX-XOOOXXXOXOOOXOOXXOXXOOXOXXXXXOXXXX-OXXX-X---OXX-- O",
         "move c2 value -9999 steps 12953"},
        {"-XXXXXX-XXXXXX--XXXXXOXXXOOXXOXXXXXXOOXXXOXOOXXXX-OXOX--XOOOOX-- O",
         "move b7 value 9999 steps 151"},
        {"-XXXX-X-X-XOOX-OXXXXXOOOXXXXXOOOXXXXXXOOXXXXXOXO--XOOX-O-XXOOOOO O",
         "move b2 value 9999 steps 47"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli({"solve", c.position});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, std::string(c.answer) + "\n") << c.position;
    }
}

TEST(EngineCli, SideWithoutAMoveAnswersPassOrEnd) {
    const std::string rowOneBlack =
        "XXXXXXXX--------------------------------------------------------";
    const std::string full(64, 'X');
    const std::string passing = "-OXXXXXX-------O" + std::string(48, '-');
    struct Case {
        std::vector<std::string> arguments;
        const char* answer;
    };
    const Case cases[] = {
        {{"solve", full + " O"}, "end"},
        {{"solve", full + " X"}, "end"},
        {{"solve", rowOneBlack + " O"}, "end"},
        {{"move", "--level", "master", full + " X"}, "end"},
        // White has no disc; black has no move either: the game is over.
        {{"move", "--level", "fool", rowOneBlack + " X"}, "end"},
        // White cannot move; black can (a1 over b1, h3 over h2).
        {{"move", "--level", "expert", passing + " O"}, "pass"},
        {{"solve", passing + " O"}, "pass"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(c.arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, std::string(c.answer) + "\n") << c.arguments.back();
    }
}

TEST(EngineCli, MoveIsALegalChoiceThatDependsOnTheSeed) {
    const std::string afterF5 =
        "---------------------------OX------XXX-------------------------- O";
    for (const char* level : {"fool", "poor", "normal", "expert", "master"}) {
        const CliRun run = RunCli({"move", "--level", level, "--seed", "3", afterF5});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const std::set<std::string> legal = {"d6\n", "f6\n", "f4\n"};
        EXPECT_TRUE(legal.count(run.out)) << level << ": " << run.out;
        EXPECT_EQ(run.out, RunCli({"move", "--level", level, "--seed", "3", afterF5}).out);
    }
    // EXPERT follows the book when given the history: after f5 the book offers all three.
    std::set<std::string> answers;
    for (int seed = 1; seed <= 12; ++seed) {
        answers.insert(RunCli({"move", "--level", "expert", "--seed", std::to_string(seed),
                               "--history", "f5", afterF5})
                           .out);
    }
    EXPECT_GE(answers.size(), 2u);
}

TEST(EngineCli, BookAnswersFromTheHistory) {
    struct Case {
        std::vector<std::string> arguments;
        std::set<std::string> answers;
    };
    const Case cases[] = {
        {{"book", "--seed", "1", "f5"}, {"d6\n", "f6\n", "f4\n"}},
        {{"book", "--seed", "9", "f5d6c3d3c4"}, {"f4\n"}},
        {{"book", "-"}, {"none\n"}},
        {{"book", "--seed", "2", "f5f4e3f6d3"}, {"none\n"}},
        // The a8-h1 image of line 4 goes on to d1 after 14 moves.
        {{"book", "--seed", "5", "d3c5f6f5e6e3c3d2c4b5f4d6f3b4"}, {"d1\n"}},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(c.arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_TRUE(c.answers.count(run.out)) << c.arguments.back() << ": " << run.out;
    }
}

TEST(EngineCli, BadInputIsOneLineOnStderrWithExitTwo) {
    const std::string start = "start";
    const std::string sixtyOne = [] {
        std::string text;
        for (int i = 0; i < 61; ++i)
            text += "a1";
        return text;
    }();  // 61 moves
    struct Case {
        std::vector<std::string> arguments;
        const char* mustMention;
    };
    const Case cases[] = {
        {{"move", start}, "missing --level"},
        {{"move", "--level", "grandmaster", start}, "unknown level 'grandmaster'"},
        {{"move", "--level", "fool"}, "missing POSITION"},
        {{"move", "--level", "fool", "--history", sixtyOne, start}, "more than 60 moves"},
        {{"move", "--level", "fool", "--history", "f5z9", start}, "history: not a square"},
        {{"move", "--level", "fool", "--seed", "-1", start}, "out of range"},
        {{"move", "--level", "fool", "--clock", "sundial", start}, "unknown clock"},
        {{"solve"}, "missing POSITION"},
        {{"solve", "XX O"}, "position:"},
        {{"book"}, "missing HISTORY"},
        {{"book", sixtyOne}, "more than 60 moves"},
        {{"book", "f5d"}, "odd length"},
        {{"play", "--black", "champion"}, "--black: unknown level"},
        {{"play", "--games", "0"}, "out of range"},
        {{"play", "--games"}, "needs a value"},
        {{"bench", "--fast"}, "unknown option"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(c.arguments);
        SCOPED_TRACE(c.arguments.front() + " " + c.arguments.back());
        EXPECT_EQ(run.exitCode, cli::kExitBadInput);
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find(c.mustMention), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

// Replays a record from the start; false at the first move the rules do not allow.
bool RecordIsLegal(const std::string& record, int black, int white) {
    std::vector<SquarePos> moves;
    notation::TextError error;
    if (!notation::ParseMoveList(record, 60, moves, error)) return false;
    Board board = InitialBoard();
    Side side = kBlack;
    for (const SquarePos& m : moves) {
        if (LegalMoveMask(board, side) == 0) side = Opponent(side);
        if (!IsLegalMove(board, m.x, m.y, side)) return false;
        ApplyMove(board, m.x, m.y, side);
        side = Opponent(side);
    }
    const DiscCounts discs = CountDiscs(board);
    return LegalMoveMask(board, kBlack) == 0 && LegalMoveMask(board, kWhite) == 0 &&
           discs.black == black && discs.white == white;
}

void PlayAndCheck(const std::string& first, const std::string& second, int games) {
    const CliRun run = RunCli({"play", "--black", first, "--white", second, "--games",
                               std::to_string(games), "--seed", "11", "--clock", "counted"});
    ASSERT_EQ(run.exitCode, 0) << first << " v " << second << ": " << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), static_cast<size_t>(3 * games + 2)) << run.out;
    int firstWins = 0, firstLosses = 0, firstDraws = 0;
    for (int g = 0; g < games; ++g) {
        const std::string header = "game " + std::to_string(g + 1) + " black " +
                                   (g % 2 ? second : first) + " white " + (g % 2 ? first : second);
        EXPECT_EQ(lines[3 * g], header);
        int black = -1, white = -1;
        ASSERT_EQ(std::sscanf(lines[3 * g + 2].c_str(), "black %d white %d", &black, &white), 2);
        EXPECT_TRUE(RecordIsLegal(lines[3 * g + 1], black, white))
            << first << " v " << second << " game " << g + 1 << ": " << lines[3 * g + 1];
        const int own = g % 2 ? white : black;
        const int other = g % 2 ? black : white;
        firstWins += own > other;
        firstLosses += own < other;
        firstDraws += own == other;
    }
    char expected[2][96];
    std::snprintf(expected[0], sizeof expected[0], "%s wins %d losses %d draws %d", first.c_str(),
                  firstWins, firstLosses, firstDraws);
    std::snprintf(expected[1], sizeof expected[1], "%s wins %d losses %d draws %d", second.c_str(),
                  firstLosses, firstWins, firstDraws);
    EXPECT_EQ(lines[3 * games], expected[0]);
    EXPECT_EQ(lines[3 * games + 1], expected[1]);
}

TEST(EngineCli, WholeGamesBetweenEveryPairOfLevelsAreLegal) {
    const std::vector<std::string> levels = {"fool", "poor", "normal", "expert"};
    for (size_t i = 0; i < levels.size(); ++i) {
        for (size_t j = i; j < levels.size(); ++j)
            PlayAndCheck(levels[i], levels[j], 2);
    }
}

TEST(EngineCli, MasterPlaysWholeGamesAgainstEveryLevel) {
    for (const char* other : {"fool", "poor", "normal", "expert", "master"}) {
        PlayAndCheck("master", other, 1);
    }
}

TEST(EngineCli, PlayWithACountedClockDependsOnlyOnTheSeed) {
    const std::vector<std::string> arguments = {"play",   "--black", "master",  "--white", "expert",
                                                "--seed", "4",       "--clock", "counted"};
    const CliRun first = RunCli(arguments);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(first.out, RunCli(arguments).out);
}

}  // namespace
