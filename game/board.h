// The board and the rules: squares, discs, the eight line directions, the legality test,
// applying a move, the legal-move list in row-major order and the disc counts.
// Everything here is a pure function of its arguments; the only table is kDirections.
#pragma once

#include <array>
#include <cstdint>
#include <span>

// 64 squares, index y * 8 + x; x is the column a..h, y the row 1..8.
// 0 empty, 1 black, 2 white.
using Board = std::array<uint8_t, 64>;

// 1 black, 2 white.
using Side = int32_t;
constexpr Side kBlack = 1;
constexpr Side kWhite = 2;
constexpr uint8_t kEmpty = 0;

constexpr Side Opponent(Side side) {
    return side == kBlack ? kWhite : kBlack;
}

struct SquarePos {
    int32_t x;
    int32_t y;
    friend bool operator==(const SquarePos&, const SquarePos&) = default;
};

struct Direction {
    int32_t dx;
    int32_t dy;
};

// N, NE, E, SE, S, SW, W, NW. Every line walk visits the directions in this order; it decides
// the order in which turned discs are found, never which discs turn.
constexpr std::array<Direction, 8> kDirections = {{
    {0, -1},
    {1, -1},
    {1, 0},
    {1, 1},
    {0, 1},
    {-1, 1},
    {-1, 0},
    {-1, -1},
}};

constexpr int SquareIndex(int x, int y) {
    return y * 8 + x;
}
constexpr bool OnBoard(int x, int y) {
    return x >= 0 && x < 8 && y >= 0 && y < 8;
}

// The standard start: d4 and e5 white, e4 and d5 black.
Board InitialBoard();

// 1 when side may place a disc at (x, y): the square is empty and at least one straight
// line of opponent's discs runs from it to a disc of side. x and y are 0..7.
int IsLegalMove(const Board& board, int x, int y, Side side);

// Places a disc of side at (x, y) and turns every flanked line. No legality test is made.
void ApplyMove(Board& board, int x, int y, Side side);

// Writes the legal moves of side in row-major order and returns how many were written.
// At most out.size() moves are written; 64 entries always hold them all.
int ListLegalMoves(const Board& board, std::span<SquarePos> out, Side side);

// The legal moves of side as a bit set, bit y * 8 + x; the fast path behind the list.
uint64_t LegalMoveMask(const Board& board, Side side);

struct DiscCounts {
    int black;
    int white;
};

// A square holding 1 counts as black, any other non-zero value as white.
DiscCounts CountDiscs(const Board& board);
