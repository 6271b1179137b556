// The play command: whole headless games through the match flow.
#include <iostream>

#include "game/random.h"
#include "tools/cli/cli.h"
#include "tools/cli/headless_match.h"

namespace cli {
namespace {

// A uniformly random legal move, one draw per choice.
SquarePos ChooseRandomMove(const Board& board, Side side, SkillLevel, const SquarePos*, int32_t) {
    SquarePos moves[64];
    const int count = ListLegalMoves(board, moves, side);
    return moves[DrawRandom() % count];
}

}  // namespace

int RunPlay(Arguments& arguments) {
    std::optional<int64_t> seed = arguments.TakeIntegerOption("--seed", 0, 0xFFFFFFFFll, 1);
    if (!seed || !arguments.CheckNothingLeft()) return kExitBadInput;

    SeedRandom(static_cast<uint32_t>(*seed));
    const HeadlessGameResult game = PlayHeadlessGame(ChooseRandomMove, 0, 0);
    if (!game.finished) {
        std::cerr << "zantobel-cli play: the game did not reach its result\n";
        return 1;
    }
    std::cout << notation::FormatMoveList(game.moves) << "\n"
              << "black " << game.discs.black << " white " << game.discs.white << "\n";
    return kExitOk;
}

}  // namespace cli
