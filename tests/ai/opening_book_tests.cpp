// The opening book: its lines and images, the lookup's 2000 draws and its answers, the
// continuations on column a and row 1, and the guards of the table's limits.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "ai/opening_book.h"
#include "game/random.h"
#include "tools/notation/notation.h"

namespace {

std::vector<SquarePos> Moves(const std::string& text) {
    std::vector<SquarePos> moves;
    notation::TextError error;
    EXPECT_TRUE(notation::ParseMoveList(text, 60, moves, error)) << text;
    return moves;
}

// Every answer the lookup gives for history over many seeds.
std::set<std::string> Answers(const std::vector<SquarePos>& history, int seeds = 300) {
    std::set<std::string> answers;
    for (int seed = 1; seed <= seeds; ++seed) {
        SeedRandom(seed);
        SquarePos out{-1, -1};
        if (LookupBookMove(history.data(), static_cast<int32_t>(history.size()), &out)) {
            answers.insert(notation::SquareName(out));
        } else {
            answers.insert("none");
        }
    }
    return answers;
}

class Book : public ::testing::Test {
  protected:
    void SetUp() override { BuildOpeningBook(); }
};

TEST_F(Book, EveryLineAndImageIsALegalAlternatingGame) {
    int lines = 0;
    for (int line = 0; line < kBookLines; ++line) {
        Board board = InitialBoard();
        Side side = kBlack;
        int l = 0;
        for (; l < kBookLineMoves; ++l) {
            const SquarePos m = gOpeningBook.lines[line][l];
            if (m.x == 0 && m.y == 0) break;
            ASSERT_TRUE(OnBoard(m.x, m.y));
            ASSERT_EQ(IsLegalMove(board, m.x, m.y, side), 1) << "line " << line << " move " << l;
            ApplyMove(board, m.x, m.y, side);
            side = Opponent(side);
        }
        for (; l < kBookLineMoves; ++l) {
            EXPECT_EQ(gOpeningBook.lines[line][l], (SquarePos{0, 0})) << line;
        }
        if (gOpeningBook.lines[line][0] != SquarePos{0, 0}) ++lines;
    }
    EXPECT_EQ(lines, 148);
    // The first move f5 and its three images.
    EXPECT_EQ(gOpeningBook.lines[0][0], (SquarePos{5, 4}));
    EXPECT_EQ(gOpeningBook.lines[37][0], (SquarePos{4, 5}));
    EXPECT_EQ(gOpeningBook.lines[74][0], (SquarePos{3, 2}));
    EXPECT_EQ(gOpeningBook.lines[111][0], (SquarePos{2, 3}));
    EXPECT_EQ(gOpeningBook.lines[148][0], (SquarePos{0, 0}));
}

TEST_F(Book, LookupDrawsTwoThousandValuesExactlyWhenConsulting) {
    const std::vector<SquarePos> history = Moves("f5d6c3d3c4f4f6g5e6d7e3c5f3e7h5a1");
    struct Case {
        int32_t count;
        uint64_t draws;
    };
    const Case cases[] = {{0, 0}, {-3, 0}, {15, 0}, {16, 0}, {1, 2000}, {5, 2000}, {14, 2000}};
    for (const Case& c : cases) {
        const uint64_t before = RandomDrawCount();
        SquarePos out{-1, -1};
        LookupBookMove(history.data(), c.count, &out);
        EXPECT_EQ(RandomDrawCount() - before, c.draws) << "count " << c.count;
    }
    // A history that left the book still costs its draws and writes nothing.
    const std::vector<SquarePos> off = Moves("f5d6c3d3c4f4f6g5e6d7e3c5f3e7h5a1");
    std::vector<SquarePos> wrong = off;
    wrong[2] = {1, 1};
    const uint64_t before = RandomDrawCount();
    SquarePos out{-7, -7};
    EXPECT_EQ(LookupBookMove(wrong.data(), 4, &out), 0);
    EXPECT_EQ(RandomDrawCount() - before, 2000u);
    EXPECT_EQ(out, (SquarePos{-7, -7}));
}

TEST_F(Book, AnswersAfterKnownHistories) {
    struct Case {
        const char* history;
        std::set<std::string> answers;
    };
    const Case cases[] = {
        {"f5", {"d6", "f6", "f4"}},
        {"e6", {"f4", "f6", "d6"}},
        {"d3", {"c5", "e3", "c3"}},
        {"f5d6c3d3c4f4f6g5e6d7", {"c7", "e3", "f7"}},
        {"f5d6c3d3c4", {"f4"}},  // line 0 ends here; lines 2..7 go on with f4
        {"f5d6c3d3c4f4f6g5e6d7e3c5f3e7", {"h5"}},
        {"f5f6e6d6c5e3d3g5d7c7g4d8g6", {"none"}},      // line 14 ends; nothing goes on
        {"f5d6c3d3c4f4f6g5e6d7e3c5f3e7h5", {"none"}},  // 15 moves: the book is not consulted
        {"f5f4e3f6d3", {"none"}},  // line 33 ends and no other line shares its start
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Answers(Moves(c.history)), c.answers) << c.history;
    }
}

TEST_F(Book, ContinuationsAfterFSixAreWeightedByTheirLines) {
    // 37 lines start with f5: 21 go on with d6, 15 with f6, 1 with f4.
    std::map<std::string, int> lines;
    for (int line = 0; line < 37; ++line) {
        lines[notation::SquareName(gOpeningBook.lines[line][1])]++;
    }
    EXPECT_EQ(lines, (std::map<std::string, int>{{"d6", 21}, {"f6", 15}, {"f4", 1}}));
    std::map<std::string, int> answers;
    const std::vector<SquarePos> history = Moves("f5");
    for (int seed = 1; seed <= 2000; ++seed) {
        SeedRandom(seed);
        SquarePos out;
        ASSERT_EQ(LookupBookMove(history.data(), 1, &out), 1);
        answers[notation::SquareName(out)]++;
    }
    EXPECT_GT(answers["d6"], answers["f6"]);
    EXPECT_GT(answers["f6"], answers["f4"]);
    EXPECT_GT(answers["f4"], 0);
}

TEST_F(Book, ContinuationsOnColumnAOrRowOneAreReturned) {
    struct Case {
        int line;
        int entry;
        const char* move;
    };
    const Case cases[] = {
        {78, 14, "d1"},  {80, 13, "a5"},  {88, 11, "a5"},  {97, 13, "a3"},
        {115, 14, "a4"}, {117, 13, "e1"}, {125, 11, "e1"}, {134, 13, "c1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(notation::SquareName(gOpeningBook.lines[c.line][c.entry]), c.move);
        const std::vector<SquarePos> history(gOpeningBook.lines[c.line],
                                             gOpeningBook.lines[c.line] + c.entry);
        EXPECT_EQ(Answers(history, 50), (std::set<std::string>{c.move})) << "line " << c.line;
    }
}

TEST(BookBuild, LimitsOfTheTableAreGuarded) {
    // A 20-move string keeps its first 16 moves; odd strings are skipped; 150 strings keep 100.
    const std::string longLine = "f5d6c3d3c4f4f6g5e6d7e3c5f3e7h5b4b5b6b7b8";
    std::vector<std::string> texts = {"f5d", longLine};
    for (int i = 0; i < 150; ++i)
        texts.push_back("f5f6");
    std::vector<const char*> strings;
    for (const std::string& t : texts)
        strings.push_back(t.c_str());
    strings.push_back(nullptr);
    BuildOpeningBookFrom(strings.data());
    EXPECT_EQ(notation::SquareName(gOpeningBook.lines[0][15]), "b4");
    EXPECT_EQ(notation::SquareName(gOpeningBook.lines[0][0]), "f5");
    // 100 strings: the originals in 0..99, the images up to line 399.
    EXPECT_EQ(notation::SquareName(gOpeningBook.lines[99][1]), "f6");
    EXPECT_EQ(notation::SquareName(gOpeningBook.lines[100][0]), "e6");
    EXPECT_EQ(notation::SquareName(gOpeningBook.lines[399][0]), "c4");
    EXPECT_EQ(notation::SquareName(gOpeningBook.lines[300][15]), "g5");  // half turn of b4

    const char* empty[] = {nullptr};
    BuildOpeningBookFrom(empty);
    const std::vector<SquarePos> history = Moves("f5");
    const uint64_t before = RandomDrawCount();
    SquarePos out;
    EXPECT_EQ(LookupBookMove(history.data(), 1, &out), 0);
    EXPECT_EQ(RandomDrawCount() - before, 2000u);
    BuildOpeningBook();
}

}  // namespace
