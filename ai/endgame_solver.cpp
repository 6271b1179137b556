// The end-game solver: a negamax alpha-beta search on bit sets. Near the end the empty
// squares are walked in a fixed order, odd regions first (parity); higher up the moves are
// sorted fastest-first (fewest replies for the opponent, corners counted double) behind the
// transposition table's move, and nodes whose opponent holds enough stable discs are cut. The
// search (endgame_searcher.inc) is compiled twice: for every processor, and for processors with
// BMI2 and AVX2, which find turned discs and moves in fewer steps; the second is used where the
// processor has those features.
#include "ai/endgame_solver.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

#include "ai/endgame_bitboard.h"
#include "ai/endgame_bitboard_avx2.h"
#include "ai/endgame_bitboard_bmi2.h"
#include "ai/endgame_hash.h"
#include "ai/endgame_order.h"
#include "game/board_bits.h"

using namespace endgame;

namespace {

// With at most this many empty squares (3 at most: each count has its own code) the moves
// are tried in the fixed square order, odd regions first, without a move list, a sort or
// the table. Above, fastest-first pays: at 4 to 6 empty squares it cuts about a third of
// the nodes, more than the sorting costs (a special 4-square solver measured no faster).
constexpr int kShallowMaxEmpties = 5;
// From this many empty squares on, positions go into the transposition table: below, a
// table look-up (a cache miss) costs more than the search it saves.
constexpr int kHashMinEmpties = 8;
// From this many empty squares on, the children's table entries are looked at before any
// child is searched.
constexpr int kEnhancedCutoffEmpties = 10;
// From this many empty squares on, the fastest-first order is refined by a shallow search of
// the ordering evaluation, one ply deeper for every kSortDepthStep more empty squares. (Over
// a hundred seeded positions with 20 empty squares, win/draw/loss: starting at 11 rather than
// 12 cut the nodes by a fifth for twice the evaluations; at 10, a tenth fewer again, but
// more evaluations than they save.)
constexpr int kSortMinEmpties = 11;
constexpr int kSortDepthStep = 2;
// The ordering search asks no stop test and counts no nodes, so its depth is bounded: a
// position far from the end (a search that only the deadline or Ctrl+C ends) must still
// reach its stop test soon. Up to 26 empty squares, the most the published problems have,
// the depth grows as above; beyond, where no exact search finishes anyway and the moves are
// many, a short search keeps the order cheap.
constexpr int kSortFullDepthMaxEmpties = 26;
constexpr int kSortDepthFarFromTheEnd = 2;
// The fastest-first value's share in the sorting value, in 64ths: the shallow search picks
// the strong moves, and among those the ones that leave the opponent least choice come first.
constexpr int kFastestFirstShare = 16;
// A move whose shallow value falls this far below the best one so far (in ordering units: 16
// is a reply) is only shown to be worse, its value a bound, not searched exactly: the moves
// that cut come from the top of the order. A third fewer evaluations for 2% more nodes.
constexpr int kOrderingMargin = 64;
// A corner taken is worth half a reply fewer for the opponent: it can never be lost again.
// (Bench positions at 20 empty squares, win/draw/loss: 10% fewer nodes than without it.)
constexpr int kCornerMoveBonus = 32;
// The first move of a split node is split itself when it leaves at least this many empty
// squares: below, the threads' start-up costs more than they win.
constexpr int kSplitMinEmpties = 12;
// Nodes between two stop tests: a few thousand nodes take well under a millisecond.
constexpr uint64_t kStopInterval = 4096;
constexpr int kInfinity = 65;

// Corners first, then the edge squares two away from a corner, the other edge and inner
// squares, and last the squares next to a corner, which give the corner away.
// clang-format off
constexpr int kSquareOrder[64] = {
     0,  7, 56, 63,                          // corners
     2,  5, 16, 23, 40, 47, 58, 61,          // c1 f1 a3 h3 a6 h6 c8 f8
     3,  4, 24, 31, 32, 39, 59, 60,          // d1 e1 a4 h4 a5 h5 d8 e8
    18, 21, 42, 45,                          // c3 f3 c6 f6
    19, 20, 26, 29, 34, 37, 43, 44,          // d3 e3 c4 f4 c5 f5 d6 e6
    27, 28, 35, 36,                          // the centre
     1,  6,  8, 15, 48, 55, 57, 62,          // b1 g1 a2 h2 a7 h7 b8 g8
    17, 22, 41, 46, 10, 13, 50, 53,          // b3 g3 b6 g6 c2 f2 c7 f7
    25, 30, 33, 38, 11, 12, 51, 52,          // b4 g4 b5 g5 d2 e2 d7 e7
     9, 14, 49, 54,                          // b2 g2 b7 g7
};
// clang-format on

// The quadrant of a square as one of four bits: column e..h is bit 1 and row 5..8 bit 2 of
// the quadrant's number. Square numbers are never negative, so the bits of the number say it
// without the sign fix-ups that % and / cost on an int.
constexpr uint32_t QuadrantBit(int square) {
    const unsigned bits = static_cast<unsigned>(square);
    return 1u << ((bits >> 2 & 1) | (bits >> 4 & 2));
}

struct NeighbourTable {
    uint64_t of[64];
};
constexpr NeighbourTable MakeNeighbourTable() {
    NeighbourTable table{};
    for (int square = 0; square < 64; ++square)
        table.of[square] = board_bits::Neighbours(square);
    return table;
}
constexpr NeighbourTable kNeighbours = MakeNeighbourTable();

// The score of a finished game for own: the disc difference, empty squares to the winner.
inline int FinalScore(uint64_t own, int empties) {
    const int ownCount = std::popcount(own);
    const int difference = 2 * ownCount - (64 - empties);
    if (difference > 0) return difference + empties;
    if (difference < 0) return difference - empties;
    return 0;
}

struct OrderedMove {
    uint64_t flips;
    int value;
    int square;
};

// Shared by the threads of one search.
struct SharedSearch {
    HashTable* table;
    std::atomic<bool> abandoned{false};
};

// The search itself, once for every processor and once more with the turned discs and legal
// moves of processors with BMI2 (and AVX2 where it can be used), chosen when the search starts.
namespace portable {
#define ZANTOBEL_SEARCH_TARGET
#include "ai/endgame_searcher.inc"
#undef ZANTOBEL_SEARCH_TARGET
}  // namespace portable

#if ZANTOBEL_ENDGAME_BMI2
namespace fast {
#if ZANTOBEL_ENDGAME_AVX2
#define ZANTOBEL_SEARCH_TARGET [[gnu::target("avx2,bmi2,popcnt")]]
using avx2::LegalMoves;
#else
#define ZANTOBEL_SEARCH_TARGET [[gnu::target("bmi2,popcnt")]]
#endif
using bmi2::Flips;
#include "ai/endgame_order.inc"
#include "ai/endgame_searcher.inc"
#undef ZANTOBEL_SEARCH_TARGET
}  // namespace fast
#endif

// The table lives from the first search on and is replaced only when its size changes.
std::mutex gTableMutex;
std::unique_ptr<HashTable> gTable;
int gTableMegabytes = 0;

HashTable& TableFor(int megabytes) {
    megabytes = std::clamp(megabytes, 1, kEndgameMaxHashMegabytes);
    if (!gTable || gTableMegabytes != megabytes) {
        gTable.reset();
        gTable = std::make_unique<HashTable>(static_cast<size_t>(megabytes));
        gTableMegabytes = megabytes;
    } else {
        gTable->Clear();
    }
    return *gTable;
}

struct BitPosition {
    uint64_t own;
    uint64_t opponent;
    int empties;
};

BitPosition FromBoard(const Board& board, Side side) {
    const board_bits::Discs discs = board_bits::FromBoard(board);
    // Any non-empty byte other than black counts for white, as the disc count does.
    const uint64_t white = discs.occupied & ~discs.black;
    const uint64_t own = side == kBlack ? discs.black : white;
    const uint64_t opponent = side == kBlack ? white : discs.black;
    return {own, opponent, 64 - std::popcount(discs.occupied)};
}

}  // namespace

namespace {

// The root of either question, searched move by move in the given order on one or more
// threads. Whatever the number of threads the answer is the one the moves searched in order
// give: for the best value, the first move that reaches it (the first move when every move
// fails low); for the first win, the first move worth more than 0.
enum class RootQuestion { kBestValue, kFirstWin };

struct RootResult {
    int complete;
    int value;  // best value (at most beta); kFirstWin: unused
    int index;  // -1: kFirstWin found no win
    uint64_t nodes;
};

template <class Searcher>
class RootSearch {
  public:
    using Question = RootQuestion;
    using Result = RootResult;

    RootSearch(SharedSearch& shared, const std::function<bool()>* stop, const BitPosition& root,
               std::vector<OrderedMove> moves, Question question, int alpha, int beta)
        : shared_(shared),
          stop_(stop),
          root_(root),
          moves_(std::move(moves)),
          question_(question),
          alpha_(alpha),
          beta_(beta) {}

    Result Run(int threads) {
        Searcher main(shared_, stop_);
        main.Load(root_.own, root_.opponent);
        threads = std::clamp(threads, 1, kEndgameMaxThreads);
        threads_ = threads;
        // The first move alone: its value bounds every later search.
        Search(main, 0);
        uint64_t nodes = 0;
        if (threads == 1 || moves_.size() < 2) {
            for (size_t i = 1; i < moves_.size(); ++i)
                Search(main, static_cast<int>(i));
        } else {
            next_.store(1);
            std::vector<std::unique_ptr<Searcher>> helpers;
            std::vector<std::thread> workers;
            running_.store(threads - 1);
            for (int t = 1; t < threads; ++t) {
                helpers.push_back(std::make_unique<Searcher>(shared_, nullptr));
                Searcher* helper = helpers.back().get();
                helper->Load(root_.own, root_.opponent);
                workers.emplace_back([this, helper] {
                    Work(*helper);
                    running_.fetch_sub(1);
                });
            }
            Work(main);
            // Only this thread may ask the caller's stop test: keep asking while the others
            // finish.
            while (running_.load() > 0) {
                if (!shared_.abandoned.load() && stop_ != nullptr && *stop_ && (*stop_)())
                    shared_.abandoned.store(true);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            for (std::thread& worker : workers)
                worker.join();
            for (const auto& helper : helpers)
                nodes += helper->nodes();
        }
        nodes += main.nodes() + splitNodes_;
        if (shared_.abandoned.load()) return {0, 0, -1, nodes};
        if (question_ == Question::kFirstWin) {
            const int first = lastUseful_.load();
            return {1, 0, first == std::numeric_limits<int>::max() ? -1 : first, nodes};
        }
        return {1, best_, best_ > alpha_ ? bestIndex_ : 0, nodes};
    }

  private:
    void Work(Searcher& searcher) {
        for (;;) {
            const int index = next_.fetch_add(1);
            if (index >= static_cast<int>(moves_.size())) return;
            Search(searcher, index);
        }
    }

    // Searches root move index and records what it shows.
    void Search(Searcher& searcher, int index) {
        if (index > lastUseful_.load() || !searcher.BeginRootMove(index, &lastUseful_)) return;
        const OrderedMove& move = moves_[static_cast<size_t>(index)];
        const auto value = [&](int low, int high) {
            if (index == 0 && threads_ > 1) {
                int split;
                if (SplitFirstMove(low, high, split)) return split;
            }
            return searcher.SolveAfter(root_.own, root_.opponent, move.square, move.flips, low,
                                       high, root_.empties);
        };
        if (question_ == Question::kFirstWin) {
            // Scores are even, so above 0 means at least 1: the window (0, 1) answers it.
            const int result = value(0, 1);
            if (!searcher.stopped() && result > 0) LowerLastUseful(index);
            return;
        }
        int low;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            // A move before the best so far must reach the best to replace it; a move after
            // it must beat it.
            low = std::max(alpha_, index < bestIndex_ ? best_ - 1 : best_);
        }
        int result;
        if (index == 0) {
            result = value(alpha_, beta_);
        } else {
            result = value(low, low + 1);
            if (!searcher.stopped() && result > low && result < beta_)
                result = value(result, beta_);
        }
        if (searcher.stopped()) return;
        result = std::min(result, beta_);
        const std::lock_guard<std::mutex> lock(mutex_);
        if (result > best_ || (result == best_ && result > alpha_ && index < bestIndex_)) {
            best_ = result;
            bestIndex_ = index;
        }
        if (best_ >= beta_) LowerLastUseful(bestIndex_);
    }

    // The first move, searched alone, is itself searched on every thread, one level down,
    // when enough is left below it; false when it is searched on this thread alone.
    bool SplitFirstMove(int low, int high, int& value) {
        const OrderedMove& move = moves_[0];
        const BitPosition child{root_.opponent ^ move.flips,
                                root_.own | move.flips | uint64_t{1} << move.square,
                                root_.empties - 1};
        const uint64_t replies = LegalMoves(child.own, child.opponent);
        if (child.empties < kSplitMinEmpties || replies == 0) return false;
        HashBounds stored{-kInfinity, kInfinity, kNoHashMove};
        shared_.table->Probe(child.own, child.opponent, stored);
        Searcher orderer(shared_, nullptr);
        orderer.Load(child.own, child.opponent);
        OrderedMove list[32];
        const int count =
            orderer.OrderedMoves(child.own, child.opponent, replies, stored.move, list);
        if (child.empties >= kSortMinEmpties)
            orderer.SortBySearch(child.own, child.opponent, child.empties, stored.move, list,
                                 count);
        RootSearch below(shared_, stop_, child, std::vector<OrderedMove>(list, list + count),
                         Question::kBestValue, -high, -low);
        const Result result = below.Run(threads_);
        splitNodes_ += result.nodes;
        value = -result.value;
        return true;
    }

    void LowerLastUseful(int index) {
        int last = lastUseful_.load();
        while (index < last && !lastUseful_.compare_exchange_weak(last, index)) {
        }
    }

    SharedSearch& shared_;
    const std::function<bool()>* stop_;
    const BitPosition root_;
    const std::vector<OrderedMove> moves_;
    const Question question_;
    const int alpha_;
    const int beta_;
    std::mutex mutex_;
    int best_ = -kInfinity;
    int bestIndex_ = std::numeric_limits<int>::max();
    std::atomic<int> next_{0};
    std::atomic<int> running_{0};
    // Root moves after this index no longer matter: an earlier one settled the answer.
    std::atomic<int> lastUseful_{std::numeric_limits<int>::max()};
    int threads_ = 1;
    uint64_t splitNodes_ = 0;
};

}  // namespace

namespace {

// Whether this processor runs the search compiled for BMI2 (and AVX2, where that is used).
bool FastSearchAvailable() {
#if ZANTOBEL_ENDGAME_AVX2
    if (!avx2::Avx2Available()) return false;
#endif
    return bmi2::Bmi2Available();
}

// Calls search with the type tag of the searcher to use: the fast one where the processor has
// it and the settings allow it, the portable one otherwise.
template <class Search>
auto WithSearcher(const EndgameSettings& settings, Search&& search) {
#if ZANTOBEL_ENDGAME_BMI2
    static const bool fastAvailable = FastSearchAvailable();
    if (fastAvailable && settings.processor == EndgameProcessor::kFastest)
        return search(std::type_identity<fast::Searcher>{});
#endif
    return search(std::type_identity<portable::Searcher>{});
}

}  // namespace

EndgameAnswer SolveEndgame(const Board& board, Side side, EndgameMode mode,
                           const EndgameSettings& settings) {
    const std::lock_guard<std::mutex> lock(gTableMutex);
    SharedSearch shared{&TableFor(settings.hashMegabytes)};
    const std::function<bool()>* stop = settings.stop ? &settings.stop : nullptr;
    BitPosition root = FromBoard(board, side);
    const bool wld = mode == EndgameMode::kWinDrawLoss;
    const auto reported = [wld](int score) { return wld ? (score > 0) - (score < 0) : score; };

    int sign = 1;
    if (LegalMoves(root.own, root.opponent) == 0) {
        if (LegalMoves(root.opponent, root.own) == 0)
            return {1, -1, reported(FinalScore(root.own, root.empties)), 0};
        // A pass: the opponent's best is the side's worst.
        std::swap(root.own, root.opponent);
        sign = -1;
    }
    return WithSearcher(settings, [&]<class Searcher>(std::type_identity<Searcher>) {
        Searcher orderer(shared, nullptr);
        orderer.Load(root.own, root.opponent);
        OrderedMove list[32];
        const int count = orderer.OrderedMoves(
            root.own, root.opponent, LegalMoves(root.own, root.opponent), kNoHashMove, list);
        if (root.empties >= kSortMinEmpties)
            orderer.SortBySearch(root.own, root.opponent, root.empties, kNoHashMove, list, count);
        RootSearch<Searcher> search(
            shared, stop, root, std::vector<OrderedMove>(list, list + count),
            RootQuestion::kBestValue, wld ? -1 : -kInfinity, wld ? 1 : kInfinity);
        const RootResult result = search.Run(settings.threads);
        if (!result.complete) return EndgameAnswer{0, -1, 0, result.nodes};
        return EndgameAnswer{1, sign > 0 ? list[result.index].square : -1,
                             reported(sign * result.value), result.nodes};
    });
}

FirstWinAnswer FindFirstWinningMove(const Board& board, Side side, std::span<const SquarePos> moves,
                                    const EndgameSettings& settings) {
    const std::lock_guard<std::mutex> lock(gTableMutex);
    SharedSearch shared{&TableFor(settings.hashMegabytes)};
    const std::function<bool()>* stop = settings.stop ? &settings.stop : nullptr;
    const BitPosition root = FromBoard(board, side);
    const uint64_t legal = LegalMoves(root.own, root.opponent);
    // Only legal moves can win; the others keep their places in the list, never found.
    std::vector<OrderedMove> list;
    std::vector<int> listed;
    for (size_t i = 0; i < moves.size(); ++i) {
        const int square = SquareIndex(moves[i].x, moves[i].y);
        if ((legal >> square & 1) == 0) continue;
        list.push_back({Flips(root.own, root.opponent, square), 0, square});
        listed.push_back(static_cast<int>(i));
    }
    if (list.empty()) return {1, -1, 0};
    return WithSearcher(settings, [&]<class Searcher>(std::type_identity<Searcher>) {
        RootSearch<Searcher> search(shared, stop, root, std::move(list), RootQuestion::kFirstWin, 0,
                                    1);
        const RootResult result = search.Run(settings.threads);
        if (!result.complete) return FirstWinAnswer{0, -1, result.nodes};
        return FirstWinAnswer{1, result.index < 0 ? -1 : listed[static_cast<size_t>(result.index)],
                              result.nodes};
    });
}

size_t EndgameHashBytes() {
    const std::lock_guard<std::mutex> lock(gTableMutex);
    return gTable ? gTable->bytes() : 0;
}
