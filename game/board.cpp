// The rules of the game on the 64-byte board.
#include "game/board.h"

#include <bit>

#include "game/board_bits.h"

Board InitialBoard() {
    Board board{};
    board[SquareIndex(3, 3)] = kWhite;
    board[SquareIndex(4, 4)] = kWhite;
    board[SquareIndex(4, 3)] = kBlack;
    board[SquareIndex(3, 4)] = kBlack;
    return board;
}

int IsLegalMove(const Board& board, int x, int y, Side side) {
    if (board[SquareIndex(x, y)] != kEmpty) return 0;
    const Side opponent = Opponent(side);
    for (const Direction& d : kDirections) {
        int cx = x + d.dx;
        int cy = y + d.dy;
        if (!OnBoard(cx, cy) || board[SquareIndex(cx, cy)] != opponent) continue;
        for (cx += d.dx, cy += d.dy; OnBoard(cx, cy); cx += d.dx, cy += d.dy) {
            const uint8_t square = board[SquareIndex(cx, cy)];
            if (square == side) return 1;
            if (square != opponent) break;
        }
    }
    return 0;
}

void ApplyMove(Board& board, int x, int y, Side side) {
    const Side opponent = Opponent(side);
    board[SquareIndex(x, y)] = static_cast<uint8_t>(side);
    for (const Direction& d : kDirections) {
        int cx = x + d.dx;
        int cy = y + d.dy;
        if (!OnBoard(cx, cy) || board[SquareIndex(cx, cy)] != opponent) continue;
        while (OnBoard(cx, cy) && board[SquareIndex(cx, cy)] == opponent) {
            cx += d.dx;
            cy += d.dy;
        }
        if (!OnBoard(cx, cy) || board[SquareIndex(cx, cy)] != side) continue;
        // Walk back to the placed disc, turning every opponent's disc on the way.
        for (cx -= d.dx, cy -= d.dy; board[SquareIndex(cx, cy)] == opponent;
             cx -= d.dx, cy -= d.dy) {
            board[SquareIndex(cx, cy)] = static_cast<uint8_t>(side);
        }
    }
}

namespace {

// The squares holding value (none for a value no byte can hold).
uint64_t SquaresOf(const Board& board, int value) {
    return value >= 0 && value <= 255
               ? board_bits::SquaresHolding(board, static_cast<uint8_t>(value))
               : 0;
}

// The squares from which own discs can be reached along (dx, dy) over at least one opponent's
// disc: the classic flood fill over at most six opponent's discs.
template <int kDx, int kDy>
uint64_t MovesInDirection(uint64_t own, uint64_t opponent, uint64_t empty) {
    uint64_t run = board_bits::Shift<kDx, kDy>(own) & opponent;
    for (int i = 0; i < 5; ++i)
        run |= board_bits::Shift<kDx, kDy>(run) & opponent;
    return board_bits::Shift<kDx, kDy>(run) & empty;
}

}  // namespace

uint64_t LegalMoveMask(const Board& board, Side side) {
    const uint64_t own = SquaresOf(board, side);
    const uint64_t opponent = SquaresOf(board, Opponent(side));
    const uint64_t empty = SquaresOf(board, kEmpty);
    return MovesInDirection<0, -1>(own, opponent, empty) |
           MovesInDirection<1, -1>(own, opponent, empty) |
           MovesInDirection<1, 0>(own, opponent, empty) |
           MovesInDirection<1, 1>(own, opponent, empty) |
           MovesInDirection<0, 1>(own, opponent, empty) |
           MovesInDirection<-1, 1>(own, opponent, empty) |
           MovesInDirection<-1, 0>(own, opponent, empty) |
           MovesInDirection<-1, -1>(own, opponent, empty);
}

int ListLegalMoves(const Board& board, std::span<SquarePos> out, Side side) {
    uint64_t moves = LegalMoveMask(board, side);
    int count = 0;
    // Ascending bit order is row-major order.
    while (moves != 0 && static_cast<size_t>(count) < out.size()) {
        const int square = std::countr_zero(moves);
        moves &= moves - 1;
        out[count++] = {square % 8, square / 8};
    }
    return count;
}

DiscCounts CountDiscs(const Board& board) {
    DiscCounts counts{0, 0};
    for (uint8_t square : board) {
        if (square == 1) {
            ++counts.black;
        } else if (square > 1) {
            ++counts.white;
        }
    }
    return counts;
}
