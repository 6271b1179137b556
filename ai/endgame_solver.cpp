// The end-game solver: a negamax alpha-beta search on bit sets. Near the end the empty
// squares are walked in a fixed order, odd regions first (parity); higher up the moves are
// sorted fastest-first (fewest replies for the opponent, corners counted double) behind the
// transposition table's move, and nodes whose opponent holds enough stable discs are cut.
#include "ai/endgame_solver.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "ai/endgame_bitboard.h"
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

constexpr uint32_t QuadrantBit(int square) {
    return 1u << ((square % 8 >= 4 ? 1 : 0) + (square / 8 >= 4 ? 2 : 0));
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

// One thread's search: the empty squares as a list in kSquareOrder and the parity of each
// quadrant, kept up to date as moves are made and unmade.
class Searcher {
  public:
    Searcher(SharedSearch& shared, const std::function<bool()>* stop)
        : shared_(shared), stop_(stop) {}

    void Load(uint64_t own, uint64_t opponent) {
        const uint64_t empty = ~(own | opponent);
        int last = kHead;
        parity_ = 0;
        for (const int square : kSquareOrder) {
            if ((empty >> square & 1) == 0) continue;
            next_[last] = static_cast<uint8_t>(square);
            previous_[square] = static_cast<uint8_t>(last);
            last = square;
            parity_ ^= QuadrantBit(square);
        }
        next_[last] = kHead;
        previous_[kHead] = static_cast<uint8_t>(last);
    }

    // The value of the position for own, with empties empty squares, searched in the window
    // (alpha, beta): exact inside it, a bound beyond it (fail-soft).
    int Solve(uint64_t own, uint64_t opponent, int alpha, int beta, int empties) {
        if (empties == 0) return FinalScore(own, 0);
        if (empties == 1) return LastOne(own, opponent, next_[kHead]);
        if (empties <= kShallowMaxEmpties) return Shallow(own, opponent, alpha, beta, empties);
        return Deep(own, opponent, alpha, beta, empties, false);
    }

    // Plays square for own (the turned discs are flips) and solves the rest for the opponent.
    int SolveAfter(uint64_t own, uint64_t opponent, int square, uint64_t flips, int alpha, int beta,
                   int empties) {
        Remove(square);
        const int value = -Solve(opponent ^ flips, own | flips | uint64_t{1} << square, -beta,
                                 -alpha, empties - 1);
        Restore(square);
        return value;
    }

    bool stopped() const { return stopped_; }
    uint64_t nodes() const { return nodes_; }

    // The stop tests: the caller's (only on the thread that owns it), the whole search
    // abandoned, or the root move being searched no longer needed.
    bool CheckStop() {
        if (shared_.abandoned.load(std::memory_order_relaxed)) return stopped_ = true;
        if (lastUseful_ != nullptr && rootMove_ > lastUseful_->load(std::memory_order_relaxed))
            return stopped_ = true;
        if (stop_ != nullptr && *stop_ && (*stop_)()) {
            shared_.abandoned.store(true, std::memory_order_relaxed);
            return stopped_ = true;
        }
        return false;
    }

    // Starts on root move index, which is no longer needed once it lies beyond lastUseful;
    // false when the whole search is abandoned.
    bool BeginRootMove(int index, const std::atomic<int>* lastUseful) {
        rootMove_ = index;
        lastUseful_ = lastUseful;
        stopped_ = shared_.abandoned.load(std::memory_order_relaxed);
        return !stopped_;
    }

    // The moves of own in the order the search tries them, best first, with their turned
    // discs.
    int OrderedMoves(uint64_t own, uint64_t opponent, uint64_t moves, int hashMove,
                     OrderedMove* list) {
        int count = 0;
        for (; moves != 0; moves &= moves - 1) {
            const int square = std::countr_zero(moves);
            const uint64_t flips = Flips(own, opponent, square);
            const int value = MoveValue(own, opponent, square, flips, hashMove);
            // Insertion: the lists are short, and equal values keep their square order.
            int at = count++;
            for (; at > 0 && list[at - 1].value < value; --at)
                list[at] = list[at - 1];
            list[at] = {flips, value, square};
        }
        return count;
    }

    // The order refined by a shallow search (list as OrderedMoves left it): its nodes are few
    // next to the subtree a better first move saves.
    void SortBySearch(uint64_t own, uint64_t opponent, int empties, int hashMove, OrderedMove* list,
                      int count) {
        const int depth = empties <= kSortFullDepthMaxEmpties
                              ? (empties - kSortMinEmpties) / kSortDepthStep
                              : kSortDepthFarFromTheEnd;
        // The best value so far, of the moves searched here (the table's move is not).
        int best = std::numeric_limits<int>::min();
        for (int i = 0; i < count; ++i) {
            OrderedMove& move = list[i];
            if (move.square == hashMove) continue;
            const int fastest = kFastestFirstShare * move.value / 64;
            // Above this bound the child's value makes the move fall out of the margin.
            const int high = best == std::numeric_limits<int>::min()
                                 ? kOrderingWin + 1
                                 : std::min(kOrderingWin + 1, fastest - best + kOrderingMargin);
            move.value = fastest - OrderingSearch(opponent ^ move.flips,
                                                  own | move.flips | uint64_t{1} << move.square,
                                                  depth, -kOrderingWin - 1, high);
            best = std::max(best, move.value);
        }
        // Insertion: equal values keep the fastest-first order.
        for (int i = 1; i < count; ++i) {
            const OrderedMove move = list[i];
            int at = i;
            for (; at > 0 && list[at - 1].value < move.value; --at)
                list[at] = list[at - 1];
            list[at] = move;
        }
    }

  private:
    static constexpr uint8_t kHead = 64;

    void Remove(int square) {
        next_[previous_[square]] = next_[square];
        previous_[next_[square]] = previous_[square];
        parity_ ^= QuadrantBit(square);
    }
    void Restore(int square) {
        next_[previous_[square]] = static_cast<uint8_t>(square);
        previous_[next_[square]] = static_cast<uint8_t>(square);
        parity_ ^= QuadrantBit(square);
    }

    int LastOne(uint64_t own, uint64_t opponent, int square) {
        ++nodes_;
        const int ownCount = std::popcount(own);
        if (const uint64_t flips = Flips(own, opponent, square)) {
            return 2 * (ownCount + std::popcount(flips) + 1) - 64;
        }
        if (const uint64_t flips = Flips(opponent, own, square)) {
            return 2 * (ownCount - std::popcount(flips)) - 64;
        }
        return FinalScore(own, 1);
    }

    int LastTwo(uint64_t own, uint64_t opponent, int alpha, int beta, int first, int second,
                bool passed) {
        ++nodes_;
        int best = -kInfinity;
        if ((kNeighbours.of[first] & opponent) != 0) {
            if (const uint64_t flips = Flips(own, opponent, first)) {
                best = -LastOne(opponent ^ flips, own | flips | uint64_t{1} << first, second);
                if (best >= beta) return best;
            }
        }
        if ((kNeighbours.of[second] & opponent) != 0) {
            if (const uint64_t flips = Flips(own, opponent, second)) {
                const int value =
                    -LastOne(opponent ^ flips, own | flips | uint64_t{1} << second, first);
                if (value > best) best = value;
            }
        }
        if (best != -kInfinity) return best;
        if (passed) return FinalScore(own, 2);
        return -LastTwo(opponent, own, -beta, -alpha, first, second, true);
    }

    // Three empty squares in the order given, without touching the list.
    int LastThree(uint64_t own, uint64_t opponent, int alpha, int beta, int a, int b, int c,
                  bool passed) {
        ++nodes_;
        int best = -kInfinity;
        const int squares[3][3] = {{a, b, c}, {b, a, c}, {c, a, b}};
        for (const auto& order : squares) {
            const int square = order[0];
            if ((kNeighbours.of[square] & opponent) == 0) continue;
            const uint64_t flips = Flips(own, opponent, square);
            if (flips == 0) continue;
            const int value = -LastTwo(opponent ^ flips, own | flips | uint64_t{1} << square, -beta,
                                       -std::max(alpha, best), order[1], order[2], false);
            if (value > best) {
                best = value;
                if (best >= beta) return best;
            }
        }
        if (best != -kInfinity) return best;
        if (passed) return FinalScore(own, 3);
        return -LastThree(opponent, own, -beta, -alpha, a, b, c, true);
    }

    // Three empty squares, the one alone in its quadrant first: with three empty squares at
    // most one quadrant holds two of them.
    int LastThreeByParity(uint64_t own, uint64_t opponent, int alpha, int beta, int a, int b, int c,
                          bool passed) {
        if (QuadrantBit(a) == QuadrantBit(b)) {
            std::swap(a, c);
        } else if (QuadrantBit(a) == QuadrantBit(c)) {
            std::swap(a, b);
        }
        return LastThree(own, opponent, alpha, beta, a, b, c, passed);
    }

    // The squares in the order given, those in a quadrant with an odd number of them first.
    template <int kCount>
    static void SortByParity(int (&squares)[kCount]) {
        uint32_t parity = 0;
        for (const int square : squares)
            parity ^= QuadrantBit(square);
        // By hand: std::stable_partition may ask for a buffer from the heap at every node.
        int sorted[kCount];
        int placed = 0;
        for (const int square : squares)
            if ((QuadrantBit(square) & parity) != 0) sorted[placed++] = square;
        for (const int square : squares)
            if ((QuadrantBit(square) & parity) == 0) sorted[placed++] = square;
        std::copy(sorted, sorted + kCount, squares);
    }

    // Four or five empty squares, in the order given (parity sorted), each move followed by
    // the rest in parity order.
    template <int kCount>
    int LastFew(uint64_t own, uint64_t opponent, int alpha, int beta, const int (&squares)[kCount],
                bool passed) {
        ++nodes_;
        int best = -kInfinity;
        for (int i = 0; i < kCount; ++i) {
            const int square = squares[i];
            if ((kNeighbours.of[square] & opponent) == 0) continue;
            const uint64_t flips = Flips(own, opponent, square);
            if (flips == 0) continue;
            int rest[kCount - 1];
            for (int j = 0, k = 0; j < kCount; ++j)
                if (j != i) rest[k++] = squares[j];
            const uint64_t nextOwn = opponent ^ flips;
            const uint64_t nextOpponent = own | flips | uint64_t{1} << square;
            const int low = std::max(alpha, best);
            int value;
            if constexpr (kCount == 4) {
                value = -LastThreeByParity(nextOwn, nextOpponent, -beta, -low, rest[0], rest[1],
                                           rest[2], false);
            } else {
                SortByParity(rest);
                value = -LastFew(nextOwn, nextOpponent, -beta, -low, rest, false);
            }
            if (value > best) {
                best = value;
                if (best >= beta) return best;
            }
        }
        if (best != -kInfinity) return best;
        if (passed) return FinalScore(own, kCount);
        return -LastFew(opponent, own, -beta, -alpha, squares, true);
    }

    // Two to kShallowMaxEmpties empty squares, in list order, those alone in their quadrant
    // first.
    int Shallow(uint64_t own, uint64_t opponent, int alpha, int beta, int empties) {
        const int a = next_[kHead];
        const int b = next_[a];
        if (empties == 2) return LastTwo(own, opponent, alpha, beta, a, b, false);
        const int c = next_[b];
        if (empties == 3) return LastThreeByParity(own, opponent, alpha, beta, a, b, c, false);
        const int d = next_[c];
        if (empties == 4) {
            int squares[4] = {a, b, c, d};
            SortByParity(squares);
            return LastFew(own, opponent, alpha, beta, squares, false);
        }
        int squares[5] = {a, b, c, d, next_[d]};
        SortByParity(squares);
        return LastFew(own, opponent, alpha, beta, squares, false);
    }

    // The ordering value of a move: the table's move first, then by the replies it leaves
    // the opponent (corners twice), fewest first, a corner taken counting for half a reply,
    // and then by the empty squares next to own discs, where the opponent may find moves
    // later.
    int MoveValue(uint64_t own, uint64_t opponent, int square, uint64_t flips, int hashMove) {
        if (square == hashMove) return 1 << 30;
        const uint64_t nextOwn = opponent ^ flips;
        const uint64_t nextOpponent = own | flips | uint64_t{1} << square;
        const uint64_t replies = LegalMoves(nextOwn, nextOpponent);
        const uint64_t empty = ~(nextOwn | nextOpponent);
        const int potential = std::popcount(board_bits::Dilate(nextOpponent) & empty);
        int value = -64 * (std::popcount(replies) + std::popcount(replies & kCornerSquares)) -
                    8 * potential;
        if ((kCornerSquares >> square & 1) != 0) value += kCornerMoveBonus;
        if ((QuadrantBit(square) & parity_) != 0) value += 2;
        return value;
    }

    int Deep(uint64_t own, uint64_t opponent, int alpha, int beta, int empties, bool passed) {
        if (++nodes_ >= nextStopTest_) {
            nextStopTest_ = nodes_ + kStopInterval;
            CheckStop();
        }
        if (stopped_) return 0;

        const uint64_t moves = LegalMoves(own, opponent);
        if (moves == 0) {
            if (passed) return FinalScore(own, empties);
            return -Deep(opponent, own, -beta, -alpha, empties, true);
        }

        // Own can end with no more than the squares the opponent's stable discs leave.
        if (alpha >= 64 - 2 * std::popcount(opponent)) {
            const int ceiling = 64 - 2 * std::popcount(StableDiscs(opponent, own | opponent));
            if (ceiling <= alpha) return ceiling;
        }

        HashBounds stored{-kInfinity, kInfinity, kNoHashMove};
        const bool hashed = empties >= kHashMinEmpties;
        const bool known = hashed && shared_.table->Probe(own, opponent, stored);
        if (known) {
            if (stored.lower >= beta) return stored.lower;
            if (stored.upper <= alpha) return stored.upper;
            if (stored.lower == stored.upper) return stored.lower;
        }
        const int windowLow = known ? std::max(alpha, stored.lower) : alpha;
        const int windowHigh = known ? std::min(beta, stored.upper) : beta;

        OrderedMove list[32];
        const int count = OrderedMoves(own, opponent, moves, stored.move, list);
        if (empties >= kSortMinEmpties)
            SortBySearch(own, opponent, empties, stored.move, list, count);
        // A child the table already proves good enough cuts this node before any search. The
        // children's buckets are asked for first, so their cache misses overlap.
        if (empties >= kEnhancedCutoffEmpties) {
            for (int i = 0; i < count; ++i) {
                shared_.table->Prefetch(opponent ^ list[i].flips,
                                        own | list[i].flips | uint64_t{1} << list[i].square);
            }
            for (int i = 0; i < count; ++i) {
                const int square = list[i].square;
                HashBounds child;
                if (shared_.table->Probe(opponent ^ list[i].flips,
                                         own | list[i].flips | uint64_t{1} << square, child) &&
                    -child.upper >= windowHigh) {
                    return -child.upper;
                }
            }
        }
        int best = -kInfinity;
        int bestMove = kNoHashMove;
        int low = windowLow;
        for (int i = 0; i < count; ++i) {
            const int square = list[i].square;
            const uint64_t flips = list[i].flips;
            int value;
            if (i == 0) {
                value = SolveAfter(own, opponent, square, flips, low, windowHigh, empties);
            } else {
                // Later moves only have to be shown no better; the rare one that is gets a
                // second, full search.
                value = SolveAfter(own, opponent, square, flips, low, low + 1, empties);
                if (!stopped_ && value > low && value < windowHigh) {
                    value = SolveAfter(own, opponent, square, flips, value, windowHigh, empties);
                }
            }
            if (stopped_) return 0;
            if (value > best) {
                best = value;
                bestMove = square;
                if (best >= windowHigh) break;
                if (best > low) low = best;
            }
        }

        HashBounds result = stored;
        if (best <= windowLow) {
            result.upper = std::min(result.upper, best);
        } else if (best >= windowHigh) {
            result.lower = std::max(result.lower, best);
        } else {
            result.lower = result.upper = best;
        }
        result.lower = std::max(result.lower, -64);
        result.upper = std::min(result.upper, 64);
        result.move = bestMove;
        if (hashed) shared_.table->Store(own, opponent, empties, result);
        return best;
    }

    SharedSearch& shared_;
    const std::function<bool()>* stop_;
    uint64_t nodes_ = 0;
    uint64_t nextStopTest_ = 0;
    bool stopped_ = false;
    int rootMove_ = 0;
    const std::atomic<int>* lastUseful_ = nullptr;
    uint8_t next_[65];
    uint8_t previous_[65];
    uint32_t parity_ = 0;
};

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
class RootSearch {
  public:
    enum class Question { kBestValue, kFirstWin };

    RootSearch(SharedSearch& shared, const std::function<bool()>* stop, const BitPosition& root,
               std::vector<OrderedMove> moves, Question question, int alpha, int beta)
        : shared_(shared),
          stop_(stop),
          root_(root),
          moves_(std::move(moves)),
          question_(question),
          alpha_(alpha),
          beta_(beta) {}

    struct Result {
        int complete;
        int value;  // best value (at most beta); kFirstWin: unused
        int index;  // -1: kFirstWin found no win
        uint64_t nodes;
    };

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
    Searcher orderer(shared, nullptr);
    orderer.Load(root.own, root.opponent);
    OrderedMove list[32];
    const int count = orderer.OrderedMoves(root.own, root.opponent,
                                           LegalMoves(root.own, root.opponent), kNoHashMove, list);
    if (root.empties >= kSortMinEmpties)
        orderer.SortBySearch(root.own, root.opponent, root.empties, kNoHashMove, list, count);
    RootSearch search(shared, stop, root, std::vector<OrderedMove>(list, list + count),
                      RootSearch::Question::kBestValue, wld ? -1 : -kInfinity, wld ? 1 : kInfinity);
    const RootSearch::Result result = search.Run(settings.threads);
    if (!result.complete) return {0, -1, 0, result.nodes};
    return {1, sign > 0 ? list[result.index].square : -1, reported(sign * result.value),
            result.nodes};
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
    RootSearch search(shared, stop, root, std::move(list), RootSearch::Question::kFirstWin, 0, 1);
    const RootSearch::Result result = search.Run(settings.threads);
    if (!result.complete) return {0, -1, result.nodes};
    return {1, result.index < 0 ? -1 : listed[static_cast<size_t>(result.index)], result.nodes};
}

size_t EndgameHashBytes() {
    const std::lock_guard<std::mutex> lock(gTableMutex);
    return gTable ? gTable->bytes() : 0;
}
