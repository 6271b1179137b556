// Parsing and formatting of squares, move lists and positions.
#include "tools/notation/notation.h"

#include <cctype>

namespace notation {
namespace {

bool IsSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string Shown(char c) {
    if (std::isprint(static_cast<unsigned char>(c))) return std::string("'") + c + "'";
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned char>(c));
    return hex;
}

}  // namespace

std::string SquareName(SquarePos square) {
    return {static_cast<char>('a' + square.x), static_cast<char>('1' + square.y)};
}

bool ParseSquareName(std::string_view text, SquarePos& square) {
    if (text.size() != 2 || text[0] < 'a' || text[0] > 'h' || text[1] < '1' || text[1] > '8') {
        return false;
    }
    square = {text[0] - 'a', text[1] - '1'};
    return true;
}

bool ParseMoveList(std::string_view text, size_t maxMoves, std::vector<SquarePos>& moves,
                   TextError& error) {
    moves.clear();
    if (text == "-") return true;
    if (text.size() % 2 != 0) {
        error = {"a move list is pairs of a column a-h and a row 1-8; odd length " +
                     std::to_string(text.size()),
                 text.size()};
        return false;
    }
    for (size_t i = 0; i < text.size(); i += 2) {
        SquarePos square;
        if (!ParseSquareName(text.substr(i, 2), square)) {
            error = {"not a square: '" + std::string(text.substr(i, 2)) + "'", i + 1};
            return false;
        }
        if (moves.size() == maxMoves) {
            error = {"more than " + std::to_string(maxMoves) + " moves", i + 1};
            return false;
        }
        moves.push_back(square);
    }
    return true;
}

std::string FormatMoveList(const std::vector<SquarePos>& moves) {
    std::string text;
    for (SquarePos move : moves)
        text += SquareName(move);
    return text;
}

bool ParsePosition(std::string_view text, Position& position, TextError& error) {
    if (text == "start") {
        position = {InitialBoard(), kBlack};
        return true;
    }
    Board board{};
    size_t i = 0;
    int squares = 0;
    for (; i < text.size() && !IsSpace(text[i]); ++i) {
        const char c = text[i];
        if (c != 'X' && c != 'O' && c != '-') {
            error = {"unknown character " + Shown(c) + " in the squares (use X, O or -)", i + 1};
            return false;
        }
        if (squares == 64) {
            error = {"more than 64 squares", i + 1};
            return false;
        }
        board[squares++] = c == 'X' ? kBlack : c == 'O' ? kWhite : kEmpty;
    }
    if (squares != 64) {
        error = {"expected 64 squares, found " + std::to_string(squares), i + 1};
        return false;
    }
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    if (i == text.size()) {
        error = {"missing side to move (X or O) after the 64 squares", i + 1};
        return false;
    }
    if (text[i] != 'X' && text[i] != 'O') {
        error = {"unknown side to move " + Shown(text[i]) + " (use X or O)", i + 1};
        return false;
    }
    const Side side = text[i] == 'X' ? kBlack : kWhite;
    for (++i; i < text.size(); ++i) {
        if (!IsSpace(text[i])) {
            error = {"unexpected " + Shown(text[i]) + " after the side to move", i + 1};
            return false;
        }
    }
    position = {board, side};
    return true;
}

std::string FormatPosition(const Position& position) {
    std::string text;
    for (uint8_t square : position.board)
        text += square == kBlack ? 'X' : square ? 'O' : '-';
    text += position.sideToMove == kBlack ? " X" : " O";
    return text;
}

bool LooksLikeOption(std::string_view argument) {
    if (argument.size() < 2 || argument[0] != '-' || argument.size() > 24) return false;
    for (char c : argument) {
        if (IsSpace(c)) return false;
    }
    // An option names itself with letters; a run of squares uses only X, O and '-'.
    for (char c : argument) {
        if (std::isalpha(static_cast<unsigned char>(c)) && c != 'X' && c != 'O') return true;
    }
    return false;
}

}  // namespace notation
