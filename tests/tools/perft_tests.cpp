// Perft guards the rules: every count from the start to depth 8, plus passes and early ends,
// and the fast count on bit sets, with the baseline and with the vector primitives, equal to
// the rules' own line walk everywhere.
#include <gtest/gtest.h>

#include <vector>

#include "tools/cli/perft.h"
#include "tools/notation/notation.h"

namespace {

// The primitives the fast count can use on this processor.
std::vector<PerftPath> RunnablePaths() {
    std::vector<PerftPath> paths{PerftPath::kBaseline};
    if (PerftHasVectorPath()) paths.push_back(PerftPath::kFastest);
    return paths;
}

const char* Name(PerftPath path) {
    return path == PerftPath::kBaseline ? "baseline" : "vector";
}

}  // namespace

TEST(Perft, CountsFromTheStartToDepthEight) {
    const uint64_t expected[] = {4, 12, 56, 244, 1396, 8200, 55092, 390216};
    for (const PerftPath path : RunnablePaths()) {
        for (int depth = 1; depth <= 8; ++depth) {
            EXPECT_EQ(Perft(InitialBoard(), kBlack, depth, nullptr, path), expected[depth - 1])
                << Name(path) << " " << depth;
        }
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

TEST(Perft, TheFastCountEqualsTheRulesLineWalk) {
    // Positions of seeded random play from the opening to the last moves, with passes and
    // finished games on the way; each counted both ways to a depth that stays quick.
    int passes = 0;
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        notation::Position p{InitialBoard(), kBlack};
        uint32_t state = seed * 2246822519u + 7u;
        for (int ply = 0; ply < 64; ++ply) {
            const int depth = ply < 20 ? 3 : ply < 45 ? 4 : 6;
            const uint64_t byRules = PerftByRules(p.board, p.sideToMove, depth);
            for (const PerftPath path : RunnablePaths()) {
                ASSERT_EQ(Perft(p.board, p.sideToMove, depth, nullptr, path), byRules)
                    << Name(path) << " " << notation::FormatPosition(p) << " depth " << depth;
            }
            SquarePos moves[64];
            const int count = ListLegalMoves(p.board, moves, p.sideToMove);
            if (count == 0) {
                if (ListLegalMoves(p.board, moves, Opponent(p.sideToMove)) == 0) break;
                ++passes;
                p.sideToMove = Opponent(p.sideToMove);
                continue;
            }
            state = state * 1103515245u + 12345u;
            const SquarePos m = moves[(state >> 8) % static_cast<uint32_t>(count)];
            ApplyMove(p.board, m.x, m.y, p.sideToMove);
            p.sideToMove = Opponent(p.sideToMove);
        }
    }
    EXPECT_GT(passes, 5);
    for (int depth = 1; depth <= 7; ++depth) {
        for (const PerftPath path : RunnablePaths())
            EXPECT_EQ(Perft(InitialBoard(), kBlack, depth, nullptr, path),
                      PerftByRules(InitialBoard(), kBlack, depth))
                << Name(path);
    }
}
