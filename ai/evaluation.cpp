// The leaf evaluation and its three board terms.
#include "ai/evaluation.h"

#include "ai/pattern_tables.h"
#include "game/random.h"

// clang-format off
const SquarePos kEdgeLines[4][8] = {
    {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}},
    {{7, 0}, {7, 1}, {7, 2}, {7, 3}, {7, 4}, {7, 5}, {7, 6}, {7, 7}},
    {{7, 7}, {6, 7}, {5, 7}, {4, 7}, {3, 7}, {2, 7}, {1, 7}, {0, 7}},
    {{0, 7}, {0, 6}, {0, 5}, {0, 4}, {0, 3}, {0, 2}, {0, 1}, {0, 0}},
};
const SquarePos kDiagonalRuns[4][6] = {
    {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}},
    {{0, 7}, {1, 6}, {2, 5}, {3, 4}, {4, 3}, {5, 2}},
    {{7, 7}, {6, 6}, {5, 5}, {4, 4}, {3, 3}, {2, 2}},
    {{7, 0}, {6, 1}, {5, 2}, {4, 3}, {3, 4}, {2, 5}},
};
// clang-format on

int32_t PatternIndex(const Board& board, const SquarePos* squares, int length) {
    int32_t index = 0;
    for (int i = 0; i < length; ++i) {
        index = index * 3 + board[SquareIndex(squares[i].x, squares[i].y)];
    }
    return index;
}

int32_t PatternScore(const Board& board, Side side) {
    int32_t sum = 0;
    for (const auto& line : kEdgeLines)
        sum += gPatternTables.edge[PatternIndex(board, line, 8)];
    for (const auto& run : kDiagonalRuns) {
        sum += gPatternTables.diagonal[PatternIndex(board, run, 6)];
    }
    return side == kWhite ? -sum : sum;
}

int32_t FrontierScore(const Board& board, Side side) {
    int32_t own = 0;
    int32_t opponent = 0;
    for (int y = 1; y <= 6; ++y) {
        for (int x = 1; x <= 6; ++x) {
            const uint8_t colour = board[SquareIndex(x, y)];
            if (colour == kEmpty) continue;
            int32_t open = 0;
            for (const Direction& d : kDirections) {
                // Inner squares always have all eight neighbours on the board.
                if (board[SquareIndex(x + d.dx, y + d.dy)] == kEmpty) ++open;
            }
            if (colour == side) {
                own += open;
            } else {
                opponent += open;
            }
        }
    }
    return (opponent - own) / 4;
}

int32_t EdgeRunScore(const Board& board, Side side) {
    int32_t sum = 0;
    for (const auto& line : kEdgeLines) {
        uint8_t value[8];
        for (int i = 0; i < 8; ++i)
            value[i] = board[SquareIndex(line[i].x, line[i].y)];
        // Each end's run stops one short of the other end: a full line counts 7 + 7.
        if (const uint8_t c = value[7]; c != kEmpty) {
            const int32_t w = c == side ? 1 : -1;
            for (int i = 7; i >= 1 && value[i] == c; --i)
                sum += w;
        }
        if (const uint8_t c = value[0]; c != kEmpty) {
            const int32_t w = c == side ? 1 : -1;
            for (int i = 0; i <= 6 && value[i] == c; ++i)
                sum += w;
        }
    }
    return sum;
}

int32_t EvaluateLeaf(const SearchContext& context) {
    // The one draw of the call comes before every other term.
    const int32_t noise = DrawRandom() % 3 - 1;
    return noise + context.pathScore + FrontierScore(context.board, context.rootSide) +
           PatternScore(context.board, context.rootSide) +
           EdgeRunScore(context.board, context.rootSide);
}
