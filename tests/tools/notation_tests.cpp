// Text forms of squares, move lists and positions.
#include <gtest/gtest.h>

#include "tools/notation/notation.h"

TEST(Notation, SquaresAndMoveListsRoundTrip) {
    SquarePos square;
    ASSERT_TRUE(notation::ParseSquareName("d5", square));
    EXPECT_EQ(square, (SquarePos{3, 4}));
    EXPECT_EQ(notation::SquareName({7, 0}), "h1");
    for (const char* bad : {"", "d", "i1", "a9", "a0", "D5", "d55"}) {
        EXPECT_FALSE(notation::ParseSquareName(bad, square)) << bad;
    }
    std::vector<SquarePos> moves;
    notation::TextError error;
    ASSERT_TRUE(notation::ParseMoveList("f5d6c3", 60, moves, error));
    EXPECT_EQ(notation::FormatMoveList(moves), "f5d6c3");
    ASSERT_TRUE(notation::ParseMoveList("-", 60, moves, error));
    EXPECT_TRUE(moves.empty());
    EXPECT_FALSE(notation::ParseMoveList("f5d", 60, moves, error));
    EXPECT_FALSE(notation::ParseMoveList("f5z9", 60, moves, error));
    EXPECT_EQ(error.offset, 3u);
    EXPECT_FALSE(notation::ParseMoveList("f5d6c3", 2, moves, error));
    EXPECT_EQ(error.offset, 5u);
}

TEST(Notation, PositionsRoundTripAndStartIsTheInitialPosition) {
    notation::Position position;
    notation::TextError error;
    ASSERT_TRUE(notation::ParsePosition("start", position, error));
    EXPECT_EQ(position.board, InitialBoard());
    EXPECT_EQ(position.sideToMove, kBlack);
    const std::string text = notation::FormatPosition(position);
    EXPECT_EQ(text, "---------------------------OX------XO--------------------------- X");
    notation::Position again;
    ASSERT_TRUE(notation::ParsePosition(text + "\n", again, error));
    EXPECT_EQ(again.board, position.board);
    ASSERT_TRUE(notation::ParsePosition(std::string(64, 'O') + "\t O", again, error));
    EXPECT_EQ(again.sideToMove, kWhite);
}

TEST(Notation, OptionsAreShortWordsAndPositionsNeverAre) {
    EXPECT_TRUE(notation::LooksLikeOption("--seed"));
    EXPECT_TRUE(notation::LooksLikeOption("-h"));
    EXPECT_FALSE(notation::LooksLikeOption("-"));
    EXPECT_FALSE(notation::LooksLikeOption("-5"));
    EXPECT_FALSE(notation::LooksLikeOption(std::string(64, '-') + " X"));
    EXPECT_FALSE(notation::LooksLikeOption("--XO"));
}
