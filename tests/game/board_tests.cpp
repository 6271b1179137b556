// The rules on the 64-byte board: legality, turning discs in every direction and at the rim,
// the legal-move list and the disc counts, also on boards no game reaches.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/board.h"
#include "game/board_bits.h"
#include "game/random.h"
#include "tools/notation/notation.h"

namespace {

// Builds a board from eight rows written top row (row 1) first: X black, O white, . empty.
Board BoardFromRows(const std::string& rows) {
    Board board{};
    int i = 0;
    for (char c : rows) {
        if (c == 'X' || c == 'O' || c == '.')
            board[i++] = c == 'X' ? kBlack : c == 'O' ? kWhite : 0;
    }
    EXPECT_EQ(i, 64);
    return board;
}

std::string MoveNames(const Board& board, Side side) {
    SquarePos moves[64];
    const int count = ListLegalMoves(board, moves, side);
    std::string names;
    for (int i = 0; i < count; ++i) {
        if (i) names += ' ';
        names += notation::SquareName(moves[i]);
    }
    return names;
}

// The squares next to a set of squares, found in a few whole-board steps, are those next to
// each square one by one, square by square: at the rim, in the corners and across the
// wrap-round from one row's end to the next row's start.
TEST(BoardBits, DilateIsTheUnionOfEachSquaresNeighbours) {
    uint64_t state = 0x9E3779B97F4A7C15ull;
    std::vector<uint64_t> sets = {0,
                                  ~uint64_t{0},
                                  board_bits::kCorners,
                                  0x8080808080808080ull,
                                  0x0101010101010101ull,
                                  0xFF000000000000FFull};
    for (int i = 0; i < 2000; ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        // Sparse and dense sets alike.
        sets.push_back(i % 2 == 0 ? state & (state >> 17) & (state >> 31) : state);
    }
    for (const uint64_t bits : sets) {
        uint64_t expected = 0;
        for (int square = 0; square < 64; ++square)
            if ((bits >> square & 1) != 0) expected |= board_bits::Neighbours(square);
        ASSERT_EQ(board_bits::Dilate(bits), expected) << std::hex << bits;
    }
}

}  // namespace

TEST(Rules, InitialPositionListsFourMovesInRowMajorOrder) {
    const Board board = InitialBoard();
    EXPECT_EQ(board[27], kWhite);
    EXPECT_EQ(board[36], kWhite);
    EXPECT_EQ(board[28], kBlack);
    EXPECT_EQ(board[35], kBlack);
    EXPECT_EQ(MoveNames(board, kBlack), "d3 c4 f5 e6");
    EXPECT_EQ(MoveNames(board, kWhite), "e3 f4 c5 d6");
}

// For each direction, black plays on one edge and flanks a line of white discs that runs
// across the board to a black disc on the opposite rim; without that disc nothing turns.
TEST(Rules, EveryDirectionTurnsItsLineUpToTheRim) {
    for (const Direction& d : kDirections) {
        SCOPED_TRACE("direction " + std::to_string(d.dx) + "," + std::to_string(d.dy));
        // Start at a square from which the line in direction d reaches the rim after 3+ steps.
        const int x = d.dx > 0 ? 0 : d.dx < 0 ? 7 : 3;
        const int y = d.dy > 0 ? 0 : d.dy < 0 ? 7 : 3;
        Board board{};
        // Opponent's discs all the way to the last square on the rim, which holds the mover.
        int cx = x + d.dx, cy = y + d.dy;
        int turned = 0;
        while (OnBoard(cx + d.dx, cy + d.dy)) {
            board[SquareIndex(cx, cy)] = kWhite;
            ++turned;
            cx += d.dx;
            cy += d.dy;
        }
        board[SquareIndex(cx, cy)] = kBlack;
        ASSERT_EQ(IsLegalMove(board, x, y, kBlack), 1);
        ApplyMove(board, x, y, kBlack);
        EXPECT_EQ(CountDiscs(board).black, turned + 2);
        EXPECT_EQ(CountDiscs(board).white, 0);

        // The same line without the mover's disc at the rim turns nothing.
        Board open{};
        for (int k = 1; k <= turned + 1; ++k)
            open[SquareIndex(x + k * d.dx, y + k * d.dy)] = kWhite;
        EXPECT_EQ(IsLegalMove(open, x, y, kBlack), 0);
        const Board before = open;
        ApplyMove(open, x, y, kBlack);
        open[SquareIndex(x, y)] = 0;
        EXPECT_EQ(open, before);
    }
}

TEST(Rules, LinesEndingInEmptySquaresOrOwnNeighboursTurnNothing) {
    // a1: its neighbours are white, but every line runs into an empty square or the edge.
    const Board corner = BoardFromRows(
        ".OO....."
        "OO......"
        "O.O....."
        "........"
        "........"
        "........"
        "........"
        "........");
    EXPECT_EQ(IsLegalMove(corner, 0, 0, kBlack), 0);
    // An own disc right next to the square makes no line.
    const Board adjacent = BoardFromRows(
        "........"
        "........"
        "...X...."
        "...O...."
        "........"
        "........"
        "........"
        "........");
    EXPECT_EQ(IsLegalMove(adjacent, 3, 1, kBlack), 0);
    EXPECT_EQ(IsLegalMove(adjacent, 3, 4, kBlack), 1);
}

TEST(Rules, OccupiedSquareIsNeverLegal) {
    Board board = InitialBoard();
    for (int square = 0; square < 64; ++square) {
        if (board[square] == 0) continue;
        EXPECT_EQ(IsLegalMove(board, square % 8, square / 8, kBlack), 0);
        EXPECT_EQ(IsLegalMove(board, square % 8, square / 8, kWhite), 0);
    }
    // Even when it would flank lines if it were empty.
    board[SquareIndex(3, 2)] = kWhite;  // d3, from which black would otherwise flank d4
    EXPECT_EQ(IsLegalMove(board, 3, 2, kBlack), 0);
}

TEST(Rules, SeveralDirectionsTurnOnlyUpToTheNearestOwnDisc) {
    // Black plays d4 and flanks three lines: east (e4 f4, up to g4; h4 beyond stays white),
    // south (d5, up to d6; d7 beyond stays white) and south-east (e5, up to f6).
    Board board = BoardFromRows(
        "........"
        "........"
        "........"
        "....OOXO"
        "...OO..."
        "...X.X.."
        "...O...."
        "........");
    ASSERT_EQ(IsLegalMove(board, 3, 3, kBlack), 1);
    ApplyMove(board, 3, 3, kBlack);
    const Board expected = BoardFromRows(
        "........"
        "........"
        "........"
        "...XXXXO"
        "...XX..."
        "...X.X.."
        "...O...."
        "........");
    EXPECT_EQ(board, expected);
}

// Two independent implementations, the line walk and the bit-set fill, must agree on every
// square of many positions, reachable or not.
TEST(Rules, LineWalkAndMoveMaskAgreeOnRandomBoards) {
    SeedRandom(99);
    for (int trial = 0; trial < 3000; ++trial) {
        Board board{};
        const int fill = DrawRandom() % 100;
        for (uint8_t& square : board) {
            const int r = DrawRandom() % 100;
            square = r < fill ? static_cast<uint8_t>(1 + DrawRandom() % 2) : 0;
        }
        for (Side side : {kBlack, kWhite}) {
            const uint64_t mask = LegalMoveMask(board, side);
            for (int square = 0; square < 64; ++square) {
                ASSERT_EQ(IsLegalMove(board, square % 8, square / 8, side),
                          static_cast<int>((mask >> square) & 1))
                    << notation::FormatPosition({board, side}) << " square " << square;
            }
        }
    }
}

TEST(Rules, LegalMoveListNeverWritesPastItsCapacity) {
    const Board board = InitialBoard();
    SquarePos moves[4] = {{-1, -1}, {-1, -1}, {-9, -9}, {-9, -9}};
    EXPECT_EQ(ListLegalMoves(board, std::span<SquarePos>(moves, 2), kBlack), 2);
    EXPECT_EQ(notation::SquareName(moves[0]), "d3");
    EXPECT_EQ(notation::SquareName(moves[1]), "c4");
    EXPECT_EQ(moves[2], (SquarePos{-9, -9}));
    EXPECT_EQ(ListLegalMoves(board, std::span<SquarePos>(), kBlack), 0);
}

TEST(Rules, BoardsNoGameReachesAreSafe) {
    Board empty{};
    EXPECT_EQ(MoveNames(empty, kBlack), "");
    Board full{};
    full.fill(kBlack);
    full[63] = kWhite;
    EXPECT_EQ(MoveNames(full, kBlack), "");
    EXPECT_EQ(MoveNames(full, kWhite), "");
    EXPECT_EQ(CountDiscs(full).black, 63);
    EXPECT_EQ(CountDiscs(full).white, 1);
    Board onlyBlack{};
    onlyBlack[0] = onlyBlack[9] = onlyBlack[63] = kBlack;
    EXPECT_EQ(MoveNames(onlyBlack, kWhite), "");
    EXPECT_EQ(MoveNames(onlyBlack, kBlack), "");
}

TEST(Rules, CountDiscsCountsAnyValueAboveOneAsWhite) {
    Board board{};
    board[0] = 1;
    board[1] = 2;
    board[2] = 3;  // not a value the game writes, but the count treats it as white
    EXPECT_EQ(CountDiscs(board).black, 1);
    EXPECT_EQ(CountDiscs(board).white, 2);
}
