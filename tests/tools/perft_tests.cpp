// Perft guards the rules: every count from the start to depth 8, plus passes and early ends.
#include <gtest/gtest.h>

#include "tools/cli/perft.h"
#include "tools/notation/notation.h"

TEST(Perft, CountsFromTheStartToDepthEight) {
    const uint64_t expected[] = {4, 12, 56, 244, 1396, 8200, 55092, 390216};
    for (int depth = 1; depth <= 8; ++depth) {
        EXPECT_EQ(Perft(InitialBoard(), kBlack, depth), expected[depth - 1]) << depth;
    }
}

TEST(Perft, APassIsAPlyAndAFinishedGameIsOneLeaf) {
    notation::Position position;
    notation::TextError error;
    // White to move has none; black then has b... exactly the moves listed by the rules.
    ASSERT_TRUE(
        notation::ParsePosition("XO" + std::string(54, '-') + "XO------ O", position, error));
    EXPECT_EQ(Perft(position.board, kWhite, 1), 1u);  // the pass itself
    SquarePos moves[64];
    const int blackMoves = ListLegalMoves(position.board, moves, kBlack);
    ASSERT_EQ(blackMoves, 2);  // c1 and c8
    EXPECT_EQ(Perft(position.board, kWhite, 2), 2u);
    EXPECT_EQ(Perft(position.board, kBlack, 1), 2u);
    // After black's c1 and c8 no white disc is left: every deeper count stays at the end.
    EXPECT_EQ(Perft(position.board, kBlack, 5), Perft(position.board, kBlack, 3));

    Board over{};
    over[0] = kBlack;
    for (int depth = 1; depth <= 6; ++depth)
        EXPECT_EQ(Perft(over, kBlack, depth), 1u);
}
