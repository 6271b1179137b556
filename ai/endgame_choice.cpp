// MASTER's exact question, asked of the fast solver in the stepwise search's root order.
#include "ai/endgame_choice.h"

#include <vector>

#include "ai/endgame_solver.h"
#include "ai/search.h"

ExactChoice ChooseExactWin(const Board& board, Side side, const std::function<bool()>& stop) {
    ExactChoice choice{0, 0, {0, 0}, 0};
    if (stop && stop()) return choice;
    // The stepwise search's root list, sorted exactly as its exact search would sort it:
    // its first winning entry is the move that search plays when it finishes.
    int empty = 0;
    for (const uint8_t square : board)
        empty += square == kEmpty;
    BeginSearch(board, empty, side, 1);
    GenerateMoves();
    std::vector<SquarePos> order;
    for (int i = 0; i < gSearchFrames[0].moveCount; ++i)
        order.push_back({gSearchFrames[0].moves[i].x, gSearchFrames[0].moves[i].y});

    EndgameSettings settings;
    settings.stop = stop;
    const FirstWinAnswer answer = FindFirstWinningMove(board, side, order, settings);
    choice.nodes = answer.nodes;
    if (!answer.complete) return choice;
    choice.finished = 1;
    if (answer.index >= 0) {
        choice.wins = 1;
        choice.move = order[static_cast<size_t>(answer.index)];
    }
    return choice;
}
