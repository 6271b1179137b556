// The five levels and their choosers.
#include "ai/skill_levels.h"

#include "ai/endgame_choice.h"
#include "ai/opening_book.h"
#include "ai/search.h"
#include "game/random.h"
#include "platform/desktop/clock.h"

MasterTrace gMasterTrace;

namespace {

int gStepwiseExactSearch = 0;

}  // namespace

// clang-format off
const int32_t kFoolSquareMarks[64] = {
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 7, 0, 0, 0, 0, 1, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 5, 0, 0, 0, 0, 3, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
};
// clang-format on

SquarePos ChooseFoolMove(const Board& board, Side side) {
    struct Candidate {
        SquarePos square;
        int32_t weight;
    };
    // One entry per square is room for every legal move a position can have.
    Candidate candidates[64];
    int count = 0;
    BeginSearch(board, 0, side, 0);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const int32_t turned = TestMove(gSearch.board, x, y, 0);
            if (turned <= 0) continue;
            // One draw for every legal move, shunned or not.
            int32_t weight = turned + DrawRandom() % 3;
            if (kFoolSquareMarks[SquareIndex(x, y)] % 2 != 0) weight = 0;
            candidates[count++] = {{x, y}, weight};
        }
    }
    SquarePos chosen = {0, 0};
    int32_t best = -1;
    for (int i = 0; i < count; ++i) {
        if (candidates[i].weight > best) {
            best = candidates[i].weight;
            chosen = candidates[i].square;
        }
    }
    return chosen;
}

SquarePos ChooseFixedDepthMove(const Board& board, Side side, int32_t depth) {
    RunSearch(board, depth, side, 0);
    SquarePos chosen;
    PickRootMove(&chosen);
    return chosen;
}

SquarePos ChooseMasterMove(const Board& board, Side side) {
    const desktop::DWORD start = desktop::GetTickCount();
    // The budget is elapsed time, an unsigned difference, so the counter's wrap-around
    // after 49.7 days neither ends the search at once nor lets it run on.
    const auto deadlineReached = [start] {
        return static_cast<uint32_t>(desktop::GetTickCount() - start) >= kMasterBudgetMs;
    };
    gMasterTrace = {};
    const DiscCounts counts = CountDiscs(board);
    const int discs = counts.black + counts.white;
    const int32_t firstDepth = discs <= 54 ? 6 : 64 - discs;
    RunSearch(board, firstDepth, side, 0);
    SquarePos first;
    const int32_t firstValue = PickRootMove(&first);
    gMasterTrace.firstDepth = firstDepth;
    gMasterTrace.firstValue = firstValue;
    if (discs <= 43 || firstValue >= kWinBonus) return first;

    gMasterTrace.exactStarted = 1;
    // The fast solver answers the exact search's question (the first root move in its order
    // that forces a win) and plays the same move whenever that search would have finished.
    // A side without a move keeps the stepwise search, whose root then belongs to the other
    // side.
    if (!gStepwiseExactSearch && LegalMoveMask(board, side) != 0) {
        const ExactChoice exact = ChooseExactWin(board, side, deadlineReached);
        gMasterTrace.exactNodes = exact.nodes;
        if (!exact.finished) return first;
        gMasterTrace.exactFinished = 1;
        gMasterTrace.exactValue = exact.wins ? kWinValue : -kWinValue;
        return exact.wins ? exact.move : first;
    }

    BeginSearch(board, 64 - discs, side, 1);
    const uint64_t stepsBefore = SearchStepCount();
    if (!deadlineReached()) {
        while (gSearch.ply >= 0) {
            SearchStep();
            if (deadlineReached()) break;
        }
    }
    gMasterTrace.exactSteps = SearchStepCount() - stepsBefore;
    // A search that ends on the very step that reaches the deadline still counts.
    if (gSearch.ply >= 0) return first;
    gMasterTrace.exactFinished = 1;
    SquarePos exactMove;
    const int32_t exactValue = PickRootMove(&exactMove);
    gMasterTrace.exactValue = exactValue;
    return exactValue == kWinValue ? exactMove : first;
}

void UseStepwiseExactSearchForTesting(int stepwise) {
    gStepwiseExactSearch = stepwise;
}

SquarePos ChooseComputerMove(const Board& board, Side side, SkillLevel level,
                             const SquarePos* history, int32_t count) {
    if (LegalMoveMask(board, side) == 0) return {0, 0};
    if (level == kLevelExpert || level == kLevelMaster) {
        SquarePos book;
        if (LookupBookMove(history, count, &book) && OnBoard(book.x, book.y) &&
            IsLegalMove(board, book.x, book.y, side)) {
            return book;
        }
    }
    switch (level) {
        case kLevelPoor:
            return ChooseFixedDepthMove(board, side, 1);
        case kLevelNormal:
            return ChooseFixedDepthMove(board, side, 2);
        case kLevelExpert:
            return ChooseFixedDepthMove(board, side, 4);
        case kLevelMaster:
            return ChooseMasterMove(board, side);
        default:
            return ChooseFoolMove(board, side);
    }
}
