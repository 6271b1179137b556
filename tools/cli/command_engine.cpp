// Commands over the computer player: move (a level's choice), solve (the exact search),
// book (the opening book's answer) and the engine set-up they share.
#include "tools/cli/command_engine.h"

#include <chrono>
#include <iostream>
#include <memory>

#include "ai/opening_book.h"
#include "ai/pattern_tables.h"
#include "ai/search.h"
#include "ai/skill_levels.h"
#include "game/random.h"
#include "platform/desktop/fake/fake_desktop.h"
#include "tools/cli/interrupt.h"

namespace cli {

namespace {

struct LevelName {
    const char* name;
    SkillLevel level;
};
constexpr LevelName kLevelNames[] = {
    {"fool", kLevelFool},     {"poor", kLevelPoor},     {"normal", kLevelNormal},
    {"expert", kLevelExpert}, {"master", kLevelMaster},
};

// "pass" or "end" when the side to move has no move, else nothing.
const char* NoMoveAnswer(const notation::Position& position) {
    if (LegalMoveMask(position.board, position.sideToMove) != 0) return nullptr;
    return LegalMoveMask(position.board, Opponent(position.sideToMove)) == 0 ? "end" : "pass";
}

int CountEmpty(const Board& board) {
    int empty = 0;
    for (const uint8_t square : board)
        empty += square == kEmpty;
    return empty;
}

}  // namespace

std::optional<SkillLevel> ParseLevel(Arguments& arguments, std::string_view option,
                                     const std::string& text) {
    for (const LevelName& entry : kLevelNames) {
        if (text == entry.name) return entry.level;
    }
    arguments.Fail(std::string(option) + ": unknown level '" + text +
                   "' (use fool, poor, normal, expert or master)");
    return std::nullopt;
}

const char* LevelText(SkillLevel level) {
    for (const LevelName& entry : kLevelNames) {
        if (entry.level == level) return entry.name;
    }
    return "fool";
}

bool TakeClockOption(Arguments& arguments) {
    const std::optional<std::string> clock = arguments.TakeOption("--clock");
    if (arguments.failed()) return false;
    if (!clock || *clock == "real") {
        const auto origin = std::chrono::steady_clock::now();
        desktop::fake::SetTickSource([origin] {
            const auto elapsed = std::chrono::steady_clock::now() - origin;
            return static_cast<desktop::DWORD>(
                std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
        });
        return true;
    }
    if (*clock == "counted") {
        auto readings = std::make_shared<desktop::DWORD>(0);
        desktop::fake::SetTickSource([readings] { return (*readings)++; });
        return true;
    }
    arguments.Fail("--clock: unknown clock '" + *clock + "' (use real or counted)");
    return false;
}

bool PrepareEngine() {
    BuildOpeningBook();
    if (!LoadPatternTables()) {
        std::cerr << "zantobel-cli: the pattern statistics cannot be loaded\n";
        return false;
    }
    return true;
}

int RunMove(Arguments& arguments) {
    const std::optional<std::string> levelText = arguments.TakeOption("--level");
    if (arguments.failed()) return kExitBadInput;
    if (!levelText) {
        arguments.Fail("missing --level (fool, poor, normal, expert or master)");
        return kExitBadInput;
    }
    const std::optional<SkillLevel> level = ParseLevel(arguments, "--level", *levelText);
    if (!level) return kExitBadInput;
    const std::optional<int64_t> seed = arguments.TakeIntegerOption("--seed", 0, 0xFFFFFFFFll, 1);
    if (!seed) return kExitBadInput;
    std::vector<SquarePos> history;
    if (const std::optional<std::string> text = arguments.TakeOption("--history")) {
        notation::TextError error;
        if (!notation::ParseMoveList(*text, 60, history, error)) {
            arguments.Fail("history: " + error.message + " at character " +
                           std::to_string(error.offset));
            return kExitBadInput;
        }
    }
    if (arguments.failed() || !TakeClockOption(arguments)) return kExitBadInput;
    const std::optional<notation::Position> position = TakePositionArgument(arguments);
    if (!position || !arguments.CheckNothingLeft()) return kExitBadInput;

    if (const char* answer = NoMoveAnswer(*position)) {
        std::cout << answer << "\n";
        return kExitOk;
    }
    if (!PrepareEngine()) return 1;
    SeedRandom(static_cast<uint32_t>(*seed));
    const SquarePos move = ChooseComputerMove(position->board, position->sideToMove, *level,
                                              history.data(), static_cast<int32_t>(history.size()));
    std::cout << notation::SquareName(move) << "\n";
    return kExitOk;
}

int RunSolve(Arguments& arguments) {
    const std::optional<notation::Position> position = TakePositionArgument(arguments);
    if (!position || !arguments.CheckNothingLeft()) return kExitBadInput;
    if (const char* answer = NoMoveAnswer(*position)) {
        std::cout << answer << "\n";
        return kExitOk;
    }
    const uint64_t before = SearchStepCount();
    const auto start = std::chrono::steady_clock::now();
    {
        // The search runs step by step so that Ctrl+C can end it between two steps.
        const InterruptWatch watch;
        BeginSearch(position->board, CountEmpty(position->board), position->sideToMove, 1);
        while (gSearch.ply >= 0 && !InterruptWatch::Requested())
            SearchStep();
        if (InterruptWatch::Requested()) return ReportInterrupted(arguments, start);
    }
    const uint64_t steps = SearchStepCount() - before;
    SquarePos move;
    const int32_t value = PickRootMove(&move);
    std::cout << "move " << notation::SquareName(move) << " value " << value << " steps " << steps
              << "\n";
    return kExitOk;
}

int RunBook(Arguments& arguments) {
    const std::optional<int64_t> seed = arguments.TakeIntegerOption("--seed", 0, 0xFFFFFFFFll, 1);
    if (!seed) return kExitBadInput;
    const std::optional<std::string> text = arguments.TakePositional();
    if (!text) {
        arguments.Fail("missing HISTORY (concatenated squares, or - for none)");
        return kExitBadInput;
    }
    std::vector<SquarePos> history;
    notation::TextError error;
    if (!notation::ParseMoveList(*text, 60, history, error)) {
        arguments.Fail("history: " + error.message + " at character " +
                       std::to_string(error.offset));
        return kExitBadInput;
    }
    if (!arguments.CheckNothingLeft()) return kExitBadInput;
    BuildOpeningBook();
    SeedRandom(static_cast<uint32_t>(*seed));
    SquarePos move;
    if (LookupBookMove(history.data(), static_cast<int32_t>(history.size()), &move)) {
        std::cout << notation::SquareName(move) << "\n";
    } else {
        std::cout << "none\n";
    }
    return kExitOk;
}

}  // namespace cli
