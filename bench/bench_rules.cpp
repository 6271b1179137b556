// Speed of the rules on typical positions: the legality test, applying a move and the
// legal-move list. Positions come from seeded random games so every run measures the same.
#include <benchmark/benchmark.h>

#include <vector>

#include "game/board.h"
#include "game/random.h"

namespace {

struct Sample {
    Board board;
    Side side;
};

// Positions from ten seeded random games, every ply with a move.
const std::vector<Sample>& Samples() {
    static const std::vector<Sample> samples = [] {
        std::vector<Sample> out;
        SeedRandom(2024);
        for (int game = 0; game < 10; ++game) {
            Board board = InitialBoard();
            Side side = kBlack;
            for (int passes = 0; passes < 2;) {
                SquarePos moves[64];
                const int count = ListLegalMoves(board, moves, side);
                if (count == 0) {
                    ++passes;
                } else {
                    passes = 0;
                    out.push_back({board, side});
                    const SquarePos move = moves[DrawRandom() % count];
                    ApplyMove(board, move.x, move.y, side);
                }
                side = Opponent(side);
            }
        }
        return out;
    }();
    return samples;
}

void BM_IsLegalMove(benchmark::State& state) {
    const auto& samples = Samples();
    size_t i = 0;
    for (auto _ : state) {
        const Sample& s = samples[i++ % samples.size()];
        int legal = 0;
        for (int square = 0; square < 64; ++square) {
            legal += IsLegalMove(s.board, square % 8, square / 8, s.side);
        }
        benchmark::DoNotOptimize(legal);
    }
    state.SetItemsProcessed(state.iterations() * 64);
    state.SetLabel("items = squares tested");
}
BENCHMARK(BM_IsLegalMove);

void BM_ApplyMove(benchmark::State& state) {
    const auto& samples = Samples();
    size_t i = 0;
    for (auto _ : state) {
        const Sample& s = samples[i++ % samples.size()];
        SquarePos moves[64];
        ListLegalMoves(s.board, moves, s.side);
        Board board = s.board;
        ApplyMove(board, moves[0].x, moves[0].y, s.side);
        benchmark::DoNotOptimize(board);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("includes the list that finds the move");
}
BENCHMARK(BM_ApplyMove);

void BM_ListLegalMoves(benchmark::State& state) {
    const auto& samples = Samples();
    size_t i = 0;
    for (auto _ : state) {
        const Sample& s = samples[i++ % samples.size()];
        SquarePos moves[64];
        benchmark::DoNotOptimize(ListLegalMoves(s.board, moves, s.side));
        benchmark::DoNotOptimize(moves);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ListLegalMoves);

}  // namespace

BENCHMARK_MAIN();
