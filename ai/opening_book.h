// The opening book: 37 lines of play and their three symmetric images, built once at start-up,
// and the lookup that answers a history of 1..14 moves with the next move of a matching line
// chosen in a shuffled order (exactly 2000 draws of the shared generator per consulting call).
#pragma once

#include <cstdint>

#include "game/board.h"

constexpr int kBookLines = 400;
constexpr int kBookLineMoves = 16;
constexpr int kBookMaxStrings = kBookLines / 4;  // every string takes four lines

// Entry l of a line is the (l + 1)-th move of a game; (0, 0) is no move.
struct OpeningBook {
    SquarePos lines[kBookLines][kBookLineMoves];
};

extern OpeningBook gOpeningBook;

// The book's lines, two characters per move ("f5d6c3"), ended by a null entry.
extern const char* const kBookStrings[];

void BuildOpeningBook();
// The same from another list of strings, ended by a null entry. A string of odd length is
// skipped; only the first 16 moves of a longer string and the first 100 strings are taken,
// so no list can write past the table.
void BuildOpeningBookFrom(const char* const* strings);

// 1 and out written when a line in the shuffled order matches the count moves of history
// and has a move after them; 0 otherwise. count outside 1..14 returns 0 without drawing.
int LookupBookMove(const SquarePos* history, int32_t count, SquarePos* out);
