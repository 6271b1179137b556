// The bench command: a fixed set of positions searched at a fixed depth and in exact mode.
// The total number of SearchStep calls is the search's signature: it changes only when the
// order of the search changes, so a change meant only to speed the search up must keep it.
// With --horizon it measures how many empty squares the exact search solves within MASTER's
// budget instead.
#include <chrono>
#include <cstdio>
#include <iostream>

#include "ai/endgame_choice.h"
#include "ai/pattern_tables.h"
#include "ai/search.h"
#include "ai/skill_levels.h"
#include "game/random.h"
#include "tools/cli/command_engine.h"

namespace cli {

int RunEndgameBench(Arguments& arguments);

namespace {

// Middle-game positions, searched in normal mode at kBenchDepth with the generator seeded 1.
constexpr const char* kMiddleGame[] = {
    "XXXXO---X-XOO---XXOXOX----OOXO-----XX-----XXX------------------- X",
    "-OOOOOO---XXXO---XXXXXXX---OXX----OOO-X------------------------- X",
    "---X--X----XOX-----XOX-----XO---XXXXOXXX-X--O-X-O-X----X-------- X",
    "----------XXXO----XXOO--XXXOXOOO--OOOO----XXXO------------------ X",
};
constexpr int kBenchDepth = 8;

// End-game positions with 14 empty squares, solved exactly (positions reached by FOOL
// playing itself).
constexpr const char* kEndGame[] = {
    "-XXXXX--X-XOXX-XXOOXOXOOXOOXXOOOXXOXXXOOXXOOXOOOX-OOOO------XO-- X",
    "-OOOOOOOX-OOXO-XXOOOOOOOX-XOOOOOXOXOXOOXXXXXOOX-X-XXXO----X-X--- X",
    "-OOOOO--O-OOO--XOXXOOXXXOXOOOOXXOOXOOXXOOXOOOXOOO-XXXX--O-X-X--- X",
    "XXXXXX----XXOO--XOXOXOOXXXOOXXOOXOOOOXOOOOXXO-X-O-XOOO-X--OOOO-- X",
    "-XOOOOO-O-XOOO-O-OOXOXO-XXXOXOX-XXOOOOOOXOXXOX--O-OXXX----OOOOOO X",
    "-XXXXXX-O-XXXX-XXOXXXXX-XXOXOXOOXXXOXXXX-XOXOOOX--XOOO----XOOX-- X",
    "XXXX-X--X-XXOX-OXXXOXXOOXXOXOOXOXXXOOXOOOXXOOOOO--OOOX----XO--X- X",
    "-XXXXXXX---OXX-XXXOXOXOXXOOOOOXXOOOOOXOXXOOXOXXX--OOXX-X---O-X-- X",
    "XOOOOOO-X-OOXO--XOOXOOOOXOXOXOOOXXXOOOXOXXOOXXXX--OOOX------O-X- X",
    "--XXXXX-O-XOOX--OOXOXO-OOXOXXOOXOOOXOOXXOOOXOXXX--OXXO-X--OXOO-- X",
};

using Clock = std::chrono::steady_clock;

notation::Position Parse(const char* text) {
    notation::Position position;
    notation::TextError error;
    notation::ParsePosition(text, position, error);
    return position;
}

int CountEmpty(const Board& board) {
    int empty = 0;
    for (const uint8_t square : board)
        empty += square == kEmpty;
    return empty;
}

struct Tally {
    uint64_t steps = 0;
    double seconds = 0;
};

void PrintTally(const char* name, const Tally& tally) {
    std::printf("%-6s steps %llu time %.3f s %.2f million steps per second\n", name,
                static_cast<unsigned long long>(tally.steps), tally.seconds,
                tally.seconds > 0 ? tally.steps / tally.seconds / 1e6 : 0.0);
}

// Solves one position exactly unless it takes longer than limit; the time taken, or a
// negative value when it was stopped.
double TimedExactSearch(const notation::Position& position, std::chrono::milliseconds limit,
                        bool stepwise) {
    const Clock::time_point start = Clock::now();
    if (!stepwise) {
        const ExactChoice choice = ChooseExactWin(position.board, position.sideToMove,
                                                  [&] { return Clock::now() - start > limit; });
        const std::chrono::duration<double> taken = Clock::now() - start;
        return choice.finished && taken <= limit ? taken.count() : -1;
    }
    BeginSearch(position.board, CountEmpty(position.board), position.sideToMove, 1);
    for (uint32_t step = 1; gSearch.ply >= 0; ++step) {
        SearchStep();
        if (step % 4096 == 0 && Clock::now() - start > limit) return -1;
    }
    const std::chrono::duration<double> taken = Clock::now() - start;
    return taken > limit ? -1 : taken.count();
}

// A position with `empty` empty squares from FOOL playing itself with seed, when the game
// gets there with a side to move.
bool SelfPlayPosition(uint32_t seed, int empty, notation::Position& position) {
    SeedRandom(seed);
    position = {InitialBoard(), kBlack};
    for (;;) {
        if (LegalMoveMask(position.board, position.sideToMove) == 0) {
            position.sideToMove = Opponent(position.sideToMove);
            if (LegalMoveMask(position.board, position.sideToMove) == 0) return false;
        }
        if (CountEmpty(position.board) == empty) return true;
        const SquarePos move = ChooseFoolMove(position.board, position.sideToMove);
        ApplyMove(position.board, move.x, move.y, position.sideToMove);
        position.sideToMove = Opponent(position.sideToMove);
    }
}

int RunHorizon(bool stepwise) {
    constexpr auto kBudget = std::chrono::milliseconds(kMasterBudgetMs);
    int horizon = 0;
    for (int empty = 14; empty <= 40; ++empty) {
        int finished = 0;
        int tried = 0;
        double slowest = 0;
        for (uint32_t seed = 1; tried < 10; ++seed) {
            notation::Position position;
            if (!SelfPlayPosition(seed, empty, position)) continue;
            ++tried;
            const double seconds = TimedExactSearch(position, kBudget, stepwise);
            if (seconds >= 0) ++finished;
            slowest = seconds < 0 ? kMasterBudgetMs / 1000.0 : std::max(slowest, seconds);
        }
        std::printf("empty %d: %d of 10 solved within %u ms (slowest %.3f s%s)\n", empty, finished,
                    kMasterBudgetMs, slowest, finished < 10 ? " or more" : "");
        std::fflush(stdout);
        if (finished < 9) break;
        horizon = empty;
    }
    std::printf("horizon %d\n", horizon);
    return kExitOk;
}

}  // namespace

int RunBench(Arguments& arguments) {
    if (arguments.TakeFlag("--endgame")) return RunEndgameBench(arguments);
    const bool horizon = arguments.TakeFlag("--horizon");
    const bool stepwise = horizon && arguments.TakeFlag("--stepwise");
    if (!arguments.CheckNothingLeft()) return kExitBadInput;
    if (!PrepareEngine()) return 1;
    if (horizon) return RunHorizon(stepwise);

    Tally normal;
    for (const char* text : kMiddleGame) {
        const notation::Position position = Parse(text);
        SeedRandom(1);
        const uint64_t before = SearchStepCount();
        const Clock::time_point start = Clock::now();
        RunSearch(position.board, kBenchDepth, position.sideToMove, 0);
        normal.seconds += std::chrono::duration<double>(Clock::now() - start).count();
        normal.steps += SearchStepCount() - before;
    }
    Tally exact;
    for (const char* text : kEndGame) {
        const notation::Position position = Parse(text);
        const uint64_t before = SearchStepCount();
        const Clock::time_point start = Clock::now();
        RunSearch(position.board, CountEmpty(position.board), position.sideToMove, 1);
        exact.seconds += std::chrono::duration<double>(Clock::now() - start).count();
        exact.steps += SearchStepCount() - before;
    }
    PrintTally("normal", normal);
    PrintTally("exact", exact);
    PrintTally("total", {normal.steps + exact.steps, normal.seconds + exact.seconds});
    std::printf("signature %llu\n", static_cast<unsigned long long>(normal.steps + exact.steps));
    return kExitOk;
}

}  // namespace cli
