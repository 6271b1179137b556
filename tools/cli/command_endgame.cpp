// The endgame command (the fast solver on one position) and bench --endgame (a fixed, seeded
// set of 20-empty positions, solved for win/draw/loss and exactly, or a suite file of test
// problems with their known scores).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <new>
#include <sstream>
#include <vector>

#include "ai/endgame_solver.h"
#include "tools/cli/cli.h"

namespace cli {

namespace {

using Clock = std::chrono::steady_clock;

// --threads N and --hash MB, shared by the command and the bench.
bool TakeSolverOptions(Arguments& arguments, EndgameSettings& settings) {
    const std::optional<int64_t> threads =
        arguments.TakeIntegerOption("--threads", 1, kEndgameMaxThreads, 1);
    if (!threads) return false;
    const std::optional<int64_t> hash = arguments.TakeIntegerOption(
        "--hash", 1, kEndgameMaxHashMegabytes, kEndgameDefaultHashMegabytes);
    if (!hash) return false;
    settings.threads = static_cast<int>(*threads);
    settings.hashMegabytes = static_cast<int>(*hash);
    return true;
}

struct TimedAnswer {
    EndgameAnswer answer;
    double milliseconds;
    double cpuMilliseconds;  // processor time of every thread; on a busy machine the fairer
};

// Solves, or reports (exit 1) that the table's memory could not be had.
std::optional<TimedAnswer> TimedSolve(const notation::Position& position, EndgameMode mode,
                                      const EndgameSettings& settings) {
    const Clock::time_point start = Clock::now();
    const std::clock_t cpuStart = std::clock();
    try {
        const EndgameAnswer answer =
            SolveEndgame(position.board, position.sideToMove, mode, settings);
        const std::chrono::duration<double, std::milli> taken = Clock::now() - start;
        const double cpu = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        return TimedAnswer{answer, taken.count(), cpu};
    } catch (const std::bad_alloc&) {
        std::cerr << "zantobel-cli: not enough memory for a " << settings.hashMegabytes
                  << " MB transposition table\n";
        return std::nullopt;
    }
}

std::string MoveText(const notation::Position& position, const EndgameAnswer& answer) {
    if (answer.move >= 0) return notation::SquareName({answer.move % 8, answer.move / 8});
    return LegalMoveMask(position.board, Opponent(position.sideToMove)) == 0 ? "end" : "pass";
}

// Positions of seeded random play with 20 empty squares and a side to move that has a move.
std::vector<notation::Position> SeededPositions(int count, int empty) {
    std::vector<notation::Position> positions;
    for (uint32_t seed = 1; static_cast<int>(positions.size()) < count; ++seed) {
        notation::Position position{InitialBoard(), kBlack};
        uint32_t state = seed * 2654435761u + 97u;
        int left = 60;
        bool over = false;
        while (left > empty && !over) {
            SquarePos moves[64];
            int n = ListLegalMoves(position.board, moves, position.sideToMove);
            if (n == 0) {
                position.sideToMove = Opponent(position.sideToMove);
                n = ListLegalMoves(position.board, moves, position.sideToMove);
                if (n == 0) over = true;
                continue;
            }
            state = state * 1103515245u + 12345u;
            const SquarePos move = moves[(state >> 8) % static_cast<uint32_t>(n)];
            ApplyMove(position.board, move.x, move.y, position.sideToMove);
            position.sideToMove = Opponent(position.sideToMove);
            --left;
        }
        if (over || LegalMoveMask(position.board, position.sideToMove) == 0) continue;
        positions.push_back(position);
    }
    return positions;
}

struct Tally {
    std::vector<double> milliseconds;
    std::vector<double> cpuMilliseconds;
    uint64_t nodes = 0;

    void Add(const TimedAnswer& timed) {
        milliseconds.push_back(timed.milliseconds);
        cpuMilliseconds.push_back(timed.cpuMilliseconds);
        nodes += timed.answer.nodes;
    }
};

struct Spread {
    double median;
    double max;
    double total;
};
Spread SpreadOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    double total = 0;
    for (const double value : values)
        total += value;
    const size_t n = values.size();
    return {(values[(n - 1) / 2] + values[n / 2]) / 2, values.back(), total};
}

void PrintSummary(const char* name, const Tally& tally) {
    const Spread wall = SpreadOf(tally.milliseconds);
    const Spread cpu = SpreadOf(tally.cpuMilliseconds);
    std::printf("%s: %zu positions, nodes %llu, %.1f million nodes per second of processor time\n",
                name, tally.milliseconds.size(), static_cast<unsigned long long>(tally.nodes),
                cpu.total > 0 ? tally.nodes / cpu.total / 1e3 : 0.0);
    std::printf(
        "%s: time median %.1f ms max %.1f ms total %.3f s; processor time median %.1f ms "
        "max %.1f ms total %.3f s\n",
        name, wall.median, wall.max, wall.total / 1e3, cpu.median, cpu.max, cpu.total / 1e3);
}

int BenchSeeded(const EndgameSettings& settings) {
    const std::vector<notation::Position> positions = SeededPositions(20, 20);
    for (const EndgameMode mode : {EndgameMode::kWinDrawLoss, EndgameMode::kExact}) {
        const char* name = mode == EndgameMode::kExact ? "exact" : "wld";
        Tally tally;
        for (size_t i = 0; i < positions.size(); ++i) {
            const std::optional<TimedAnswer> timed = TimedSolve(positions[i], mode, settings);
            if (!timed) return 1;
            std::printf("%s %2zu: move %s score %d nodes %llu time %.1f ms cpu %.1f ms (%s)\n",
                        name, i + 1, MoveText(positions[i], timed->answer).c_str(),
                        timed->answer.score, static_cast<unsigned long long>(timed->answer.nodes),
                        timed->milliseconds, timed->cpuMilliseconds,
                        notation::FormatPosition(positions[i]).c_str());
            std::fflush(stdout);
            tally.Add(*timed);
        }
        PrintSummary(name, tally);
    }
    return kExitOk;
}

// One problem of a suite file: "<position> <side> empties=<n> score=<d> best=<sq,...> ...".
struct Problem {
    notation::Position position;
    int score;
    std::vector<std::string> best;
};

std::optional<Problem> ParseProblem(Arguments& arguments, const std::string& line, int number) {
    std::istringstream words(line);
    std::string squares, side, word;
    words >> squares >> side;
    Problem problem{};
    const std::optional<notation::Position> position =
        ParsePositionArgument(arguments, squares + " " + side);
    if (!position) return std::nullopt;
    problem.position = *position;
    bool scored = false;
    while (words >> word) {
        if (word.rfind("score=", 0) == 0) {
            // The suites write a positive score with its sign: +38.
            std::string text = word.substr(6);
            if (!text.empty() && text[0] == '+') text.erase(0, 1);
            const std::optional<int64_t> score = ParseInteger(
                arguments, "suite line " + std::to_string(number) + ": score", text, -64, 64);
            if (!score) return std::nullopt;
            problem.score = static_cast<int>(*score);
            scored = true;
        } else if (word.rfind("best=", 0) == 0) {
            std::istringstream list(word.substr(5));
            for (std::string square; std::getline(list, square, ',');)
                problem.best.push_back(square);
        }
    }
    if (!scored || problem.best.empty()) {
        arguments.Fail("suite line " + std::to_string(number) + ": missing score= or best=");
        return std::nullopt;
    }
    return problem;
}

int BenchSuite(Arguments& arguments, const std::string& path, const EndgameSettings& settings) {
    std::ifstream file(path);
    if (!file) {
        arguments.Fail("--suite: cannot read '" + path + "'");
        return kExitBadInput;
    }
    std::vector<Problem> problems;
    int number = 0;
    for (std::string line; std::getline(file, line);) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        const std::optional<Problem> problem = ParseProblem(arguments, line, number);
        if (!problem) return kExitBadInput;
        problems.push_back(*problem);
    }
    Tally tally;
    int wrong = 0;
    for (size_t i = 0; i < problems.size(); ++i) {
        const Problem& problem = problems[i];
        const std::optional<TimedAnswer> timed =
            TimedSolve(problem.position, EndgameMode::kExact, settings);
        if (!timed) return 1;
        const std::string move = MoveText(problem.position, timed->answer);
        const bool right =
            timed->answer.score == problem.score &&
            std::find(problem.best.begin(), problem.best.end(), move) != problem.best.end();
        wrong += !right;
        std::printf(
            "problem %2zu: move %s score %+d (known %+d) nodes %llu time %.1f ms cpu %.1f "
            "ms %s\n",
            i + 1, move.c_str(), timed->answer.score, problem.score,
            static_cast<unsigned long long>(timed->answer.nodes), timed->milliseconds,
            timed->cpuMilliseconds, right ? "ok" : "WRONG");
        std::fflush(stdout);
        tally.Add(*timed);
    }
    if (problems.empty()) {
        arguments.Fail("--suite: no problems in '" + path + "'");
        return kExitBadInput;
    }
    PrintSummary("suite", tally);
    std::printf("%d of %zu right\n", static_cast<int>(problems.size()) - wrong, problems.size());
    return wrong == 0 ? kExitOk : 1;
}

}  // namespace

int RunEndgame(Arguments& arguments) {
    const bool wld = arguments.TakeFlag("--wld");
    EndgameSettings settings;
    if (!TakeSolverOptions(arguments, settings)) return kExitBadInput;
    const std::optional<notation::Position> position = TakePositionArgument(arguments);
    if (!position || !arguments.CheckNothingLeft()) return kExitBadInput;
    const std::optional<TimedAnswer> timed =
        TimedSolve(*position, wld ? EndgameMode::kWinDrawLoss : EndgameMode::kExact, settings);
    if (!timed) return 1;
    std::printf("move %s score %d nodes %llu time %.0f\n",
                MoveText(*position, timed->answer).c_str(), timed->answer.score,
                static_cast<unsigned long long>(timed->answer.nodes), timed->milliseconds);
    return kExitOk;
}

int RunEndgameBench(Arguments& arguments) {
    EndgameSettings settings;
    if (!TakeSolverOptions(arguments, settings)) return kExitBadInput;
    const std::optional<std::string> suite = arguments.TakeOption("--suite");
    if (arguments.failed() || !arguments.CheckNothingLeft()) return kExitBadInput;
    if (suite) return BenchSuite(arguments, *suite, settings);
    return BenchSeeded(settings);
}

}  // namespace cli
