// The leaf evaluation and its three board terms.
#include "ai/evaluation.h"

#include <bit>

#include "ai/pattern_tables.h"
#include "game/board_bits.h"
#include "game/random.h"

namespace {

// The board's squares in the order the pattern lines read them, flattened.
struct LineSquares {
    uint8_t edge[4][8];
    uint8_t diagonal[4][6];
};
constexpr LineSquares MakeLineSquares() {
    LineSquares squares{};
    for (int line = 0; line < 4; ++line) {
        for (int i = 0; i < 8; ++i) {
            squares.edge[line][i] =
                static_cast<uint8_t>(SquareIndex(kEdgeLines[line][i].x, kEdgeLines[line][i].y));
        }
        for (int i = 0; i < 6; ++i) {
            squares.diagonal[line][i] = static_cast<uint8_t>(
                SquareIndex(kDiagonalRuns[line][i].x, kDiagonalRuns[line][i].y));
        }
    }
    return squares;
}
constexpr LineSquares kLineSquares = MakeLineSquares();

// An edge line's runs depend on its eight squares alone, so each pattern's contribution is
// computed once: +1 per black disc of a run, -1 per white one (black's point of view).
struct EdgeRunTable {
    int8_t runs[6561];
};
constexpr EdgeRunTable MakeEdgeRunTable() {
    EdgeRunTable table{};
    for (int index = 0; index < 6561; ++index) {
        uint8_t value[8] = {};
        for (int i = 7, rest = index; i >= 0; --i, rest /= 3)
            value[i] = rest % 3;
        int sum = 0;
        // Each end's run stops one short of the other end: a full line counts 7 + 7.
        if (const uint8_t c = value[7]; c != kEmpty) {
            for (int i = 7; i >= 1 && value[i] == c; --i)
                sum += c == kBlack ? 1 : -1;
        }
        if (const uint8_t c = value[0]; c != kEmpty) {
            for (int i = 0; i <= 6 && value[i] == c; ++i)
                sum += c == kBlack ? 1 : -1;
        }
        table.runs[index] = static_cast<int8_t>(sum);
    }
    return table;
}
constexpr EdgeRunTable kEdgeRuns = MakeEdgeRunTable();

// Per edge pattern, the pattern entry plus the runs, both from black's point of view: one
// table read per line for the two terms a leaf needs. Until the tables are loaded the pattern
// entries are 0 and this holds the runs alone.
struct EdgeLeafTable {
    int32_t values[6561];
};
constexpr EdgeLeafTable MakeEdgeLeafTable() {
    EdgeLeafTable table{};
    for (int i = 0; i < 6561; ++i)
        table.values[i] = kEdgeRuns.runs[i];
    return table;
}
EdgeLeafTable gEdgeLeaf = MakeEdgeLeafTable();

inline int32_t EdgeIndex(const Board& board, int line) {
    const uint8_t* s = kLineSquares.edge[line];
    return ((((((board[s[0]] * 3 + board[s[1]]) * 3 + board[s[2]]) * 3 + board[s[3]]) * 3 +
              board[s[4]]) *
                 3 +
             board[s[5]]) *
                3 +
            board[s[6]]) *
               3 +
           board[s[7]];
}

inline int32_t DiagonalIndex(const Board& board, int run) {
    const uint8_t* s = kLineSquares.diagonal[run];
    return ((((board[s[0]] * 3 + board[s[1]]) * 3 + board[s[2]]) * 3 + board[s[3]]) * 3 +
            board[s[4]]) *
               3 +
           board[s[5]];
}

// The runs of one line for side, for sides other than black and white too: every disc of a
// run then counts -1.
int32_t LineRuns(const Board& board, int line, Side side) {
    const uint8_t* s = kLineSquares.edge[line];
    int32_t sum = 0;
    if (const uint8_t c = board[s[7]]; c != kEmpty) {
        const int32_t w = c == side ? 1 : -1;
        for (int i = 7; i >= 1 && board[s[i]] == c; --i)
            sum += w;
    }
    if (const uint8_t c = board[s[0]]; c != kEmpty) {
        const int32_t w = c == side ? 1 : -1;
        for (int i = 0; i <= 6 && board[s[i]] == c; ++i)
            sum += w;
    }
    return sum;
}

}  // namespace

void PrepareLeafTables() {
    for (int i = 0; i < 6561; ++i)
        gEdgeLeaf.values[i] = gPatternTables.edge[i] + kEdgeRuns.runs[i];
}

int32_t PatternIndex(const Board& board, const SquarePos* squares, int length) {
    int32_t index = 0;
    for (int i = 0; i < length; ++i) {
        index = index * 3 + board[SquareIndex(squares[i].x, squares[i].y)];
    }
    return index;
}

int32_t PatternScore(const Board& board, Side side) {
    int32_t sum = 0;
    for (int line = 0; line < 4; ++line)
        sum += gPatternTables.edge[EdgeIndex(board, line)];
    for (int run = 0; run < 4; ++run)
        sum += gPatternTables.diagonal[DiagonalIndex(board, run)];
    return side == kWhite ? -sum : sum;
}

int32_t FrontierScore(const Board& board, Side side) {
    using namespace board_bits;
    const Discs discs = FromBoard(board);
    const uint64_t own = (side == kBlack ? discs.black : side == kWhite ? discs.white : 0) & kInner;
    const uint64_t other = discs.occupied & kInner & ~own;
    const uint64_t empty = ~discs.occupied;
    // A disc has an empty neighbour in direction (dx, dy) when the empty squares, moved the
    // other way, cover it. Inner squares have all eight neighbours on the board.
    int32_t ownOpen = 0;
    int32_t otherOpen = 0;
    const uint64_t open[8] = {
        Shift<0, 1>(empty),  Shift<-1, 1>(empty), Shift<-1, 0>(empty), Shift<-1, -1>(empty),
        Shift<0, -1>(empty), Shift<1, -1>(empty), Shift<1, 0>(empty),  Shift<1, 1>(empty),
    };
    for (const uint64_t bits : open) {
        ownOpen += std::popcount(bits & own);
        otherOpen += std::popcount(bits & other);
    }
    return (otherOpen - ownOpen) / 4;
}

int32_t EdgeRunScore(const Board& board, Side side) {
    int32_t sum = 0;
    if (side == kBlack || side == kWhite) {
        for (int line = 0; line < 4; ++line)
            sum += kEdgeRuns.runs[EdgeIndex(board, line)];
        return side == kWhite ? -sum : sum;
    }
    for (int line = 0; line < 4; ++line)
        sum += LineRuns(board, line, side);
    return sum;
}

int32_t EvaluateLeaf(const SearchContext& context) {
    // The one draw of the call comes before every other term.
    const int32_t noise = DrawRandom() % 3 - 1;
    const Board& board = context.board;
    const Side side = context.rootSide;
    if (side != kBlack && side != kWhite) {
        return noise + context.pathScore + FrontierScore(board, side) + PatternScore(board, side) +
               EdgeRunScore(board, side);
    }
    // The pattern and edge-run terms share each edge line's index.
    int32_t lines = 0;
    for (int line = 0; line < 4; ++line)
        lines += gEdgeLeaf.values[EdgeIndex(board, line)];
    for (int run = 0; run < 4; ++run)
        lines += gPatternTables.diagonal[DiagonalIndex(board, run)];
    return noise + context.pathScore + FrontierScore(board, side) +
           (side == kWhite ? -lines : lines);
}
