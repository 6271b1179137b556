// The endgame command (the fast solver on one position) and bench --endgame (a fixed, seeded
// set of 20-empty positions, solved for win/draw/loss and exactly, or a suite file of test
// problems with their known scores).
#include <algorithm>
#include <chrono>
#include <cstdio>
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
    const std::optional<int64_t> hash =
        arguments.TakeIntegerOption("--hash", 1, 4096, kEndgameDefaultHashMegabytes);
    if (!hash) return false;
    settings.threads = static_cast<int>(*threads);
    settings.hashMegabytes = static_cast<int>(*hash);
    return true;
}

struct TimedAnswer {
    EndgameAnswer answer;
    double milliseconds;
};

// Solves, or reports (exit 1) that the table's memory could not be had.
std::optional<TimedAnswer> TimedSolve(const notation::Position& position, EndgameMode mode,
                                      const EndgameSettings& settings) {
    const Clock::time_point start = Clock::now();
    try {
        const EndgameAnswer answer =
            SolveEndgame(position.board, position.sideToMove, mode, settings);
        const std::chrono::duration<double, std::milli> taken = Clock::now() - start;
        return TimedAnswer{answer, taken.count()};
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

void PrintSummary(const char* name, std::vector<double> milliseconds, uint64_t nodes) {
    std::sort(milliseconds.begin(), milliseconds.end());
    double total = 0;
    for (const double ms : milliseconds)
        total += ms;
    const double median =
        (milliseconds[(milliseconds.size() - 1) / 2] + milliseconds[milliseconds.size() / 2]) / 2;
    std::printf(
        "%s: %zu positions, nodes %llu, %.1f million nodes per second, time median %.1f "
        "ms max %.1f ms total %.3f s\n",
        name, milliseconds.size(), static_cast<unsigned long long>(nodes),
        total > 0 ? nodes / total / 1e3 : 0.0, median, milliseconds.back(), total / 1e3);
}

int BenchSeeded(const EndgameSettings& settings) {
    const std::vector<notation::Position> positions = SeededPositions(20, 20);
    for (const EndgameMode mode : {EndgameMode::kWinDrawLoss, EndgameMode::kExact}) {
        const char* name = mode == EndgameMode::kExact ? "exact" : "wld";
        std::vector<double> times;
        uint64_t nodes = 0;
        for (size_t i = 0; i < positions.size(); ++i) {
            const std::optional<TimedAnswer> timed = TimedSolve(positions[i], mode, settings);
            if (!timed) return 1;
            std::printf("%s %2zu: move %s score %d nodes %llu time %.1f ms\n", name, i + 1,
                        MoveText(positions[i], timed->answer).c_str(), timed->answer.score,
                        static_cast<unsigned long long>(timed->answer.nodes), timed->milliseconds);
            std::fflush(stdout);
            times.push_back(timed->milliseconds);
            nodes += timed->answer.nodes;
        }
        PrintSummary(name, times, nodes);
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
            const std::optional<int64_t> score =
                ParseInteger(arguments, "score", word.substr(6), -64, 64);
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
    std::vector<double> times;
    uint64_t nodes = 0;
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
        std::printf("problem %2zu: move %s score %+d (known %+d) nodes %llu time %.1f ms %s\n",
                    i + 1, move.c_str(), timed->answer.score, problem.score,
                    static_cast<unsigned long long>(timed->answer.nodes), timed->milliseconds,
                    right ? "ok" : "WRONG");
        std::fflush(stdout);
        times.push_back(timed->milliseconds);
        nodes += timed->answer.nodes;
    }
    if (problems.empty()) {
        arguments.Fail("--suite: no problems in '" + path + "'");
        return kExitBadInput;
    }
    PrintSummary("suite", times, nodes);
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
