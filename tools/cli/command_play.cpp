// The play command: whole headless games through the match flow between two skill levels.
#include <iostream>

#include "ai/skill_levels.h"
#include "game/random.h"
#include "tools/cli/cli.h"
#include "tools/cli/command_engine.h"
#include "tools/cli/headless_match.h"

namespace cli {
namespace {

bool gIllegalMove = false;

// The level's choice, checked: a move the rules do not allow ends the run as a failure.
SquarePos ChooseCheckedMove(const Board& board, Side side, SkillLevel level,
                            const SquarePos* history, int32_t count) {
    const SquarePos move = ChooseComputerMove(board, side, level, history, count);
    if (!OnBoard(move.x, move.y) || !IsLegalMove(board, move.x, move.y, side)) {
        gIllegalMove = true;
        std::cerr << "zantobel-cli play: " << LevelText(level) << " chose the illegal move "
                  << notation::SquareName(move) << "\n";
    }
    return move;
}

struct Score {
    int wins = 0;
    int losses = 0;
    int draws = 0;
};

}  // namespace

int RunPlay(Arguments& arguments) {
    const std::optional<std::string> blackText = arguments.TakeOption("--black");
    const std::optional<std::string> whiteText = arguments.TakeOption("--white");
    if (arguments.failed()) return kExitBadInput;
    const std::optional<SkillLevel> first =
        blackText ? ParseLevel(arguments, "--black", *blackText) : kLevelFool;
    if (!first) return kExitBadInput;
    const std::optional<SkillLevel> second =
        whiteText ? ParseLevel(arguments, "--white", *whiteText) : kLevelFool;
    if (!second) return kExitBadInput;
    const std::optional<int64_t> seed = arguments.TakeIntegerOption("--seed", 0, 0xFFFFFFFFll, 1);
    if (!seed) return kExitBadInput;
    const std::optional<std::string> gamesText = arguments.TakeOption("--games");
    if (arguments.failed()) return kExitBadInput;
    const std::optional<int64_t> games =
        gamesText ? ParseInteger(arguments, "--games", *gamesText, 1, 100000) : 1;
    if (!games || !TakeClockOption(arguments) || !arguments.CheckNothingLeft()) {
        return kExitBadInput;
    }
    if (!PrepareEngine()) return 1;
    // The plain form keeps its two lines: the record and the result.
    const bool report = blackText || whiteText || gamesText;

    SeedRandom(static_cast<uint32_t>(*seed));
    Score scores[2];
    for (int game = 0; game < *games; ++game) {
        // With several games the colours alternate, the first level taking black first.
        const bool swapped = game % 2 == 1;
        const SkillLevel blackLevel = swapped ? *second : *first;
        const SkillLevel whiteLevel = swapped ? *first : *second;
        gIllegalMove = false;
        const HeadlessGameResult result =
            PlayHeadlessGame(ChooseCheckedMove, blackLevel, whiteLevel);
        if (gIllegalMove) return 1;
        if (!result.finished) {
            std::cerr << "zantobel-cli play: the game did not reach its result\n";
            return 1;
        }
        if (report) {
            std::cout << "game " << game + 1 << " black " << LevelText(blackLevel) << " white "
                      << LevelText(whiteLevel) << "\n";
        }
        std::cout << notation::FormatMoveList(result.moves) << "\n"
                  << "black " << result.discs.black << " white " << result.discs.white << "\n";
        const int firstDiscs = swapped ? result.discs.white : result.discs.black;
        const int secondDiscs = swapped ? result.discs.black : result.discs.white;
        if (firstDiscs > secondDiscs) {
            ++scores[0].wins;
            ++scores[1].losses;
        } else if (firstDiscs < secondDiscs) {
            ++scores[0].losses;
            ++scores[1].wins;
        } else {
            ++scores[0].draws;
            ++scores[1].draws;
        }
    }
    if (report) {
        const SkillLevel levels[2] = {*first, *second};
        for (int i = 0; i < 2; ++i) {
            std::cout << LevelText(levels[i]) << " wins " << scores[i].wins << " losses "
                      << scores[i].losses << " draws " << scores[i].draws << "\n";
        }
    }
    return kExitOk;
}

}  // namespace cli
