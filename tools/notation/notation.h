// The text forms of squares, move lists and positions used by the command-line tool and the
// tests: "d3"; "f5d6c3" (concatenated squares); and a position as 64 characters for a1, b1,
// ..., h1, a2, ..., h8 ('X' black, 'O' white, '-' empty), whitespace, then 'X' or 'O' for the
// side to move, or the word "start" for the initial position.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "game/board.h"

namespace notation {

struct Position {
    Board board;
    Side sideToMove;
};

// What went wrong and where: offset is the 1-based character at which the problem was found.
struct TextError {
    std::string message;
    size_t offset;
};

std::string SquareName(SquarePos square);
bool ParseSquareName(std::string_view text, SquarePos& square);

// "-" or "" is the empty list. At most maxMoves moves are accepted.
bool ParseMoveList(std::string_view text, size_t maxMoves, std::vector<SquarePos>& moves,
                   TextError& error);
std::string FormatMoveList(const std::vector<SquarePos>& moves);

bool ParsePosition(std::string_view text, Position& position, TextError& error);
std::string FormatPosition(const Position& position);

// True when an argument is meant as a position rather than an option: positions begin with
// '-' as often as not, so only short words without whitespace count as options.
bool LooksLikeOption(std::string_view argument);

}  // namespace notation
