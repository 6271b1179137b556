// The rules of the game on the 64-byte board.
#include "game/board.h"

#include <bit>

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

// Shifts a bit set one square in a direction, dropping what leaves the board. Bit i is
// square i = y * 8 + x, so east is << 1 and south (+y) is << 8.
constexpr uint64_t kNotColumnA = 0xFEFEFEFEFEFEFEFEull;
constexpr uint64_t kNotColumnH = 0x7F7F7F7F7F7F7F7Full;

template <int kDx, int kDy>
uint64_t Shift(uint64_t bits) {
    constexpr int kAmount = kDy * 8 + kDx;
    if constexpr (kDx == 1) bits &= kNotColumnH;
    if constexpr (kDx == -1) bits &= kNotColumnA;
    if constexpr (kAmount > 0) {
        return bits << kAmount;
    } else {
        return bits >> -kAmount;
    }
}

// The squares from which own discs can be reached along (dx, dy) over at least one opponent's
// disc: the classic flood fill over at most six opponent's discs.
template <int kDx, int kDy>
uint64_t MovesInDirection(uint64_t own, uint64_t opponent, uint64_t empty) {
    uint64_t run = Shift<kDx, kDy>(own) & opponent;
    for (int i = 0; i < 5; ++i)
        run |= Shift<kDx, kDy>(run) & opponent;
    return Shift<kDx, kDy>(run) & empty;
}

}  // namespace

uint64_t LegalMoveMask(const Board& board, Side side) {
    uint64_t own = 0;
    uint64_t opponent = 0;
    uint64_t empty = 0;
    const Side other = Opponent(side);
    for (int i = 0; i < 64; ++i) {
        own |= uint64_t{board[i] == side} << i;
        opponent |= uint64_t{board[i] == other} << i;
        empty |= uint64_t{board[i] == kEmpty} << i;
    }
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
