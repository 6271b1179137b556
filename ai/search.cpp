// The search engine: SearchStep and the operations it is made of.
#include "ai/search.h"

#include <cstring>

#include "ai/evaluation.h"

SearchContext gSearch;
SearchFrame gSearchFrames[kMaxFrames];

// clang-format off
const uint8_t kEmptyNeighbourWeights[64] = {
    3, 2, 2, 2, 2, 2, 2, 3,
    2, 1, 2, 2, 2, 2, 1, 2,
    2, 2, 2, 2, 2, 2, 2, 2,
    2, 2, 2, 2, 2, 2, 2, 2,
    2, 2, 2, 2, 2, 2, 2, 2,
    2, 2, 2, 2, 2, 2, 2, 2,
    2, 1, 2, 2, 2, 2, 1, 2,
    3, 2, 2, 2, 2, 2, 2, 3,
};
// clang-format on

namespace {

uint64_t gSearchSteps = 0;
MoveTester gMoveTester = nullptr;

// The opening weight of one turned disc: its empty neighbours, each by its weight.
int32_t OpennessAround(const Board& board, int x, int y) {
    int32_t openness = 0;
    for (const Direction& d : kDirections) {
        const int nx = x + d.dx;
        const int ny = y + d.dy;
        if (OnBoard(nx, ny) && board[SquareIndex(nx, ny)] == kEmpty) {
            openness += kEmptyNeighbourWeights[SquareIndex(nx, ny)];
        }
    }
    return openness;
}

}  // namespace

void GenerateMoves() {
    SearchFrame& frame = gSearchFrames[gSearch.ply];
    int32_t found = 0;
    // The frame holds kMaxMoves entries and TestMove writes its slot before it knows whether
    // the move is legal, so generation stops once the list is full: further moves are ignored.
    for (int y = 0; y < 8 && found < kMaxMoves; ++y) {
        for (int x = 0; x < 8 && found < kMaxMoves; ++x) {
            const int32_t turned = gMoveTester ? gMoveTester(gSearch.board, x, y, found)
                                               : TestMove(gSearch.board, x, y, found);
            if (turned > 0) {
                frame.moves[found].x = x;
                frame.moves[found].y = y;
                ++found;
            }
        }
    }
    frame.moveCount = found;
    frame.moveIndex = 0;
    frame.best = frame.side == gSearch.rootSide ? -kWinValue : kWinValue;

    // Plain exchange sort, highest score first. It is not stable, and the order it leaves
    // among equal scores decides both pruning and ties between root moves.
    for (int p = 0; p + 1 < found; ++p) {
        for (int j = p + 1; j < found; ++j) {
            if (frame.moves[p].score < frame.moves[j].score) {
                const MoveEntry swap = frame.moves[p];
                frame.moves[p] = frame.moves[j];
                frame.moves[j] = swap;
            }
        }
    }
}

void ScoreTerminal() {
    SearchFrame& frame = gSearchFrames[gSearch.ply];
    int32_t own = 0;
    int32_t opp = 0;
    for (const uint8_t square : gSearch.board) {
        if (square == kEmpty) continue;
        if (square == gSearch.rootSide) {
            ++own;
        } else {
            ++opp;
        }
    }
    if (gSearch.exact) {
        // A draw counts as a loss.
        frame.best = own > opp ? kWinValue : -kWinValue;
        return;
    }
    int32_t value = kDiscValue * (own - opp);
    if (own > opp) value += kWinBonus;
    if (own < opp) value -= kWinBonus;
    frame.best = value;
}

void ScoreLeaf() {
    SearchFrame& frame = gSearchFrames[gSearch.ply];
    frame.best = gSearch.exact ? -kWinValue : EvaluateLeaf(gSearch);
}

void Backtrack() {
    const int32_t value = gSearchFrames[gSearch.ply].best;
    // The root keeps its list for PickRootMove.
    if (gSearch.ply > 0) gSearchFrames[gSearch.ply].moveCount = 0;
    --gSearch.ply;
    if (gSearch.ply < 0) return;

    SearchFrame& parent = gSearchFrames[gSearch.ply];
    const MoveEntry& move = parent.moves[parent.moveIndex];
    gSearch.board[SquareIndex(move.x, move.y)] = kEmpty;
    for (int i = 0; i < parent.undoCount; ++i) {
        uint8_t& square = gSearch.board[SquareIndex(parent.undo[i].x, parent.undo[i].y)];
        square = square == kBlack ? kWhite : kBlack;
    }
    const bool maximising = parent.side == gSearch.rootSide;
    gSearch.pathScore += maximising ? -move.score : move.score;

    if (maximising ? value > parent.best : value < parent.best) parent.best = value;
    if (gSearch.ply == 0) gSearch.rootValues[parent.moveIndex] = value;

    if (gSearch.exact && parent.best == (maximising ? kWinValue : -kWinValue)) {
        parent.moveIndex = parent.moveCount;
        return;
    }
    if (gSearch.ply >= 1) {
        const SearchFrame& grand = gSearchFrames[gSearch.ply - 1];
        const bool grandMaximising = grand.side == gSearch.rootSide;
        // Only a node of the other kind than its grandparent is cut; after a pass both can
        // be of one kind, and then no bound applies.
        if ((grandMaximising && !maximising && parent.best <= grand.best) ||
            (!grandMaximising && maximising && parent.best >= grand.best)) {
            parent.moveIndex = parent.moveCount;
            return;
        }
    }
    ++parent.moveIndex;
}

int32_t TestMove(const Board& board, int x, int y, int slot) {
    if (board[SquareIndex(x, y)] != kEmpty) return 0;
    const Side side = gSearchFrames[gSearch.ply].side;
    const Side opponent = Opponent(side);
    MoveEntry& entry = gSearchFrames[gSearch.ply].moves[slot];
    int32_t turned = 0;
    int32_t openness = 0;
    for (const Direction& d : kDirections) {
        int cx = x + d.dx;
        int cy = y + d.dy;
        if (!OnBoard(cx, cy) || board[SquareIndex(cx, cy)] != opponent) continue;
        do {
            cx += d.dx;
            cy += d.dy;
        } while (OnBoard(cx, cy) && board[SquareIndex(cx, cy)] == opponent);
        if (!OnBoard(cx, cy) || board[SquareIndex(cx, cy)] != side) continue;
        // Farthest turned disc first; the walk ends at (x, y), which is empty.
        for (cx -= d.dx, cy -= d.dy; board[SquareIndex(cx, cy)] == opponent;
             cx -= d.dx, cy -= d.dy) {
            entry.flips[turned] = {cx, cy};
            ++turned;
            openness += OpennessAround(board, cx, cy);
        }
    }
    entry.score = kDiscValue - openness;
    entry.flipCount = turned;
    return turned;
}

void BeginSearch(const Board& board, int32_t depthLimit, Side rootSide, int32_t exact) {
    std::memset(&gSearch, 0, sizeof gSearch);
    gSearch.board = board;
    gSearch.depthLimit = depthLimit;
    gSearch.rootSide = rootSide;
    gSearch.exact = exact;
    for (const uint8_t square : board) {
        if (square != kEmpty) ++gSearch.rootDiscs;
    }
    std::memset(gSearchFrames, 0, sizeof gSearchFrames);
    gSearchFrames[0].side = rootSide;
}

void SearchStep() {
    ++gSearchSteps;
    SearchFrame& frame = gSearchFrames[gSearch.ply];
    if (gSearch.ply + gSearch.rootDiscs >= 64) {
        ScoreTerminal();
        Backtrack();
        return;
    }
    if (gSearch.ply >= gSearch.depthLimit) {
        ScoreLeaf();
        Backtrack();
        return;
    }
    if (frame.moveCount == 0) {
        GenerateMoves();
        if (frame.moveCount == 0) {
            // A pass consumes no ply: the opponent moves from this same frame.
            frame.side = Opponent(frame.side);
            GenerateMoves();
            if (frame.moveCount == 0) {
                ScoreTerminal();
                Backtrack();
                return;
            }
        }
    }
    if (frame.moveIndex >= frame.moveCount) {
        Backtrack();
        return;
    }

    const MoveEntry& move = frame.moves[frame.moveIndex];
    gSearch.board[SquareIndex(move.x, move.y)] = static_cast<uint8_t>(frame.side);
    for (int i = 0; i < move.flipCount; ++i) {
        gSearch.board[SquareIndex(move.flips[i].x, move.flips[i].y)] =
            static_cast<uint8_t>(frame.side);
        frame.undo[i] = move.flips[i];
    }
    frame.undoCount = move.flipCount;
    gSearch.pathScore += frame.side == gSearch.rootSide ? move.score : -move.score;

    ++gSearch.ply;
    SearchFrame& child = gSearchFrames[gSearch.ply];
    child.side = Opponent(frame.side);
    child.moveCount = 0;
    child.moveIndex = 0;
}

void RunSearch(const Board& board, int32_t depthLimit, Side rootSide, int32_t exact) {
    BeginSearch(board, depthLimit, rootSide, exact);
    while (gSearch.ply >= 0)
        SearchStep();
}

int32_t PickRootMove(SquarePos* out) {
    int32_t best = kRootFloor;
    int index = 0;
    for (int i = 0; i < gSearchFrames[0].moveCount; ++i) {
        if (gSearch.rootValues[i] > best) {
            best = gSearch.rootValues[i];
            index = i;
        }
    }
    *out = {gSearchFrames[0].moves[index].x, gSearchFrames[0].moves[index].y};
    return best;
}

uint64_t SearchStepCount() {
    return gSearchSteps;
}

void SetMoveTesterForTesting(MoveTester tester) {
    gMoveTester = tester;
}
