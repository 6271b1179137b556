// Speed of the computer player: the leaf evaluation per call, and the search in steps per
// second, exact (end-game positions with 14 empty squares) and normal (depth 6 in the middle
// game), the bit-set move generator per call and perft in leaves per second. Positions come from
// seeded random games, so every run measures the same work.
#include <benchmark/benchmark.h>

#include <bit>
#include <vector>

#include "ai/endgame_bitboard.h"
#include "ai/evaluation.h"
#include "ai/pattern_tables.h"
#include "ai/search.h"
#include "game/board_bits.h"
#include "game/random.h"
#include "tools/cli/perft.h"

namespace {

struct Sample {
    Board board;
    Side side;
};

// Positions of seeded random games with `empty` empty squares and a side to move, or every
// position with a move when empty is 0.
std::vector<Sample> Samples(int empty, size_t wanted) {
    std::vector<Sample> out;
    SeedRandom(77);
    while (out.size() < wanted) {
        Board board = InitialBoard();
        Side side = kBlack;
        for (int discs = 4;; ++discs) {
            if (LegalMoveMask(board, side) == 0) {
                side = Opponent(side);
                if (LegalMoveMask(board, side) == 0) break;
            }
            if (empty == 0 || 64 - discs == empty) out.push_back({board, side});
            if (64 - discs == empty || out.size() >= wanted) break;
            SquarePos moves[64];
            const int count = ListLegalMoves(board, moves, side);
            const SquarePos move = moves[DrawRandom() % count];
            ApplyMove(board, move.x, move.y, side);
            side = Opponent(side);
        }
    }
    return out;
}

void EvaluateLeafPerCall(benchmark::State& state) {
    LoadPatternTables();
    const std::vector<Sample> samples = Samples(0, 512);
    std::vector<SearchContext> contexts(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        contexts[i].board = samples[i].board;
        contexts[i].rootSide = samples[i].side;
        contexts[i].pathScore = static_cast<int32_t>(i % 17);
    }
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(EvaluateLeaf(contexts[i]));
        i = (i + 1) % contexts.size();
    }
}
BENCHMARK(EvaluateLeafPerCall);

// Items are SearchStep calls, so items_per_second is steps per second.
void ExactSearch14Empty(benchmark::State& state) {
    const std::vector<Sample> samples = Samples(14, 10);
    uint64_t steps = 0;
    for (auto _ : state) {
        for (const Sample& s : samples) {
            const uint64_t before = SearchStepCount();
            RunSearch(s.board, 14, s.side, 1);
            steps += SearchStepCount() - before;
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(steps));
}
BENCHMARK(ExactSearch14Empty)->Unit(benchmark::kMillisecond);

void NormalSearchDepth6(benchmark::State& state) {
    LoadPatternTables();
    const std::vector<Sample> samples = Samples(40, 4);
    uint64_t steps = 0;
    for (auto _ : state) {
        for (const Sample& s : samples) {
            SeedRandom(1);
            const uint64_t before = SearchStepCount();
            RunSearch(s.board, 6, s.side, 0);
            steps += SearchStepCount() - before;
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(steps));
}
BENCHMARK(NormalSearchDepth6)->Unit(benchmark::kMillisecond);

struct BitPosition {
    uint64_t own;
    uint64_t opponent;
};

// Every position of seeded random games with a move, as bit sets for the side to move.
std::vector<BitPosition> BitSamples() {
    std::vector<BitPosition> out;
    for (const Sample& s : Samples(0, 4096)) {
        const board_bits::Discs discs = board_bits::FromBoard(s.board);
        const uint64_t white = discs.occupied & ~discs.black;
        out.push_back(s.side == kBlack ? BitPosition{discs.black, white}
                                       : BitPosition{white, discs.black});
    }
    return out;
}

void LegalMovesPerCall(benchmark::State& state) {
    const std::vector<BitPosition> samples = BitSamples();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(endgame::LegalMoves(samples[i].own, samples[i].opponent));
        if (++i == samples.size()) i = 0;
    }
}
BENCHMARK(LegalMovesPerCall);

// One call per legal move of the sampled positions, in turn.
void FlipsPerCall(benchmark::State& state) {
    struct Move {
        BitPosition position;
        int square;
    };
    std::vector<Move> moves;
    for (const BitPosition& p : BitSamples()) {
        for (uint64_t legal = endgame::LegalMoves(p.own, p.opponent); legal != 0;
             legal &= legal - 1)
            moves.push_back({p, std::countr_zero(legal)});
    }
    size_t i = 0;
    for (auto _ : state) {
        const Move& m = moves[i];
        benchmark::DoNotOptimize(endgame::Flips(m.position.own, m.position.opponent, m.square));
        if (++i == moves.size()) i = 0;
    }
}
BENCHMARK(FlipsPerCall);

// Items are leaves, so items_per_second is perft's leaves per second; argument 0 runs the
// fastest primitives this processor has, 1 the baseline ones of its family.
void PerftDepth9(benchmark::State& state) {
    const PerftPath path = state.range(0) == 0 ? PerftPath::kFastest : PerftPath::kBaseline;
    state.SetLabel(path == PerftPath::kBaseline ? "baseline"
                   : PerftHasVectorPath()       ? "vector"
                                                : "baseline (no vector path here)");
    uint64_t leaves = 0;
    for (auto _ : state)
        leaves += Perft(InitialBoard(), kBlack, 9, nullptr, path);
    state.SetItemsProcessed(static_cast<int64_t>(leaves));
}
BENCHMARK(PerftDepth9)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
