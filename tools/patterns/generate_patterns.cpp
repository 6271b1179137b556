// zantobel-patterns: authors the pattern statistics block (resources/patterns.bin) from a seeded
// self-play, so anyone can rerun it and get the committed file byte for byte.
//
//   zantobel-patterns OUTPUT         writes the block
//   zantobel-patterns --check FILE   regenerates it and compares with FILE (exit 1 on a change)
//
// The block is 116640 bytes: four arrays of 8-byte little-endian records (count, sum), record k
// describing the pattern whose base-3 index is k (first square the most significant digit;
// 0 empty, 1 black, 2 white):
//   block 0, 6561 records: the four edge lines, a1..h1, h1..h8, h8..a8, a8..a1;
//   block 1,  729 records: the 3x2 corner regions, read along the edge then one row inward,
//                          e.g. a1 b1 c1 a2 b2 c2 (and its images from h1, h8, a8);
//   block 2, 6561 records: the lines one square inside the edges, a2..h2, g1..g8, h7..a7,
//                          b8..b1;
//   block 3,  729 records: the diagonal runs from the corners, a1 b2 c3 d4 e5 f6 and images.
//
// Self-play: 40000 games from the start with SeedRandom(kSeed); both sides play the same fast
// chooser (every other move, by a draw, uniformly random; otherwise the best of a square-weight
// table plus a draw of noise), so the games spread over many shapes. After every move, every
// pattern of the position is observed once. When the game is over, each observation's value is
// the final disc difference d = black - white (-64..64), signed from black's point of view:
// d / 8 for the edge-like blocks 0..2 (-8..8) and d * 10 / 64 for the diagonal block 3
// (-10..10), both truncated toward zero. An average of such values stays within the same range.
//
// Facts the evaluation relies on are then made to hold, the pinned figures winning over the
// self-play:
//   1. Edge symmetry: each edge record and the record of its reversed pattern are merged (both
//      get the summed count and sum), so an edge line reads the same from either end.
//   2. The fourteen telling rows get their exact (count, sum); a pinned edge row's reversed
//      partner gets the same record, keeping the symmetry.
//   3. Diagonal 93 (corner empty, black on the 2nd, 4th and 5th squares) averages -10: its sum
//      becomes -10 * count (count 1 if it was never seen); diagonal 111 averages 0 (sum 0).
//   4. The centre pairs read from a corner, index 12 (black on the 4th and 5th squares) and 24
//      (white there), are merged with colours exchanged: 12 gets (c12 + c24, s12 - s24) and 24
//      the same count with the opposite sum, so the start position's diagonals cancel out.
//   5. Exactly 822 edge and 436 diagonal records have count 0: the self-play leaves more
//      patterns observed than that, and the rarest (lowest count, then lowest index) are
//      cleared, an edge pattern together with its reversal (a palindrome alone, which settles
//      the parity); pinned rows and their partners are never cleared. The run fails if the
//      self-play leaves too few observed patterns to do this.
// Finally every statement is checked again and the run fails if any does not hold.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

#include "game/board.h"
#include "game/random.h"

namespace {

constexpr uint32_t kSeed = 20261207;
constexpr int kGames = 40000;
constexpr int kEdgeRecords = 6561;
constexpr int kSmallRecords = 729;
constexpr int kBlockRecords[4] = {kEdgeRecords, kSmallRecords, kEdgeRecords, kSmallRecords};
constexpr size_t kBlockBytes = 116640;
constexpr int kEdgeZeroRecords = 822;
constexpr int kDiagonalZeroRecords = 436;

struct Record {
    int64_t count;
    int64_t sum;
};

struct Pattern {
    int length;
    SquarePos squares[8];
};

// clang-format off
const Pattern kPatterns[4][4] = {
    {   // block 0: edge lines
        {8, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}}},
        {8, {{7, 0}, {7, 1}, {7, 2}, {7, 3}, {7, 4}, {7, 5}, {7, 6}, {7, 7}}},
        {8, {{7, 7}, {6, 7}, {5, 7}, {4, 7}, {3, 7}, {2, 7}, {1, 7}, {0, 7}}},
        {8, {{0, 7}, {0, 6}, {0, 5}, {0, 4}, {0, 3}, {0, 2}, {0, 1}, {0, 0}}},
    },
    {   // block 1: corner regions
        {6, {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}}},
        {6, {{7, 0}, {6, 0}, {5, 0}, {7, 1}, {6, 1}, {5, 1}}},
        {6, {{7, 7}, {6, 7}, {5, 7}, {7, 6}, {6, 6}, {5, 6}}},
        {6, {{0, 7}, {1, 7}, {2, 7}, {0, 6}, {1, 6}, {2, 6}}},
    },
    {   // block 2: the lines inside the edges
        {8, {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}}},
        {8, {{6, 0}, {6, 1}, {6, 2}, {6, 3}, {6, 4}, {6, 5}, {6, 6}, {6, 7}}},
        {8, {{7, 6}, {6, 6}, {5, 6}, {4, 6}, {3, 6}, {2, 6}, {1, 6}, {0, 6}}},
        {8, {{1, 7}, {1, 6}, {1, 5}, {1, 4}, {1, 3}, {1, 2}, {1, 1}, {1, 0}}},
    },
    {   // block 3: diagonal runs
        {6, {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}}},
        {6, {{0, 7}, {1, 6}, {2, 5}, {3, 4}, {4, 3}, {5, 2}}},
        {6, {{7, 7}, {6, 6}, {5, 5}, {4, 4}, {3, 3}, {2, 2}}},
        {6, {{7, 0}, {6, 1}, {5, 2}, {4, 3}, {3, 4}, {2, 5}}},
    },
};

// The chooser's liking for a square: corners first, the squares next to them last.
const int kSquareWeights[64] = {
    100, -20, 10,  5,  5, 10, -20, 100,
    -20, -50, -2, -2, -2, -2, -50, -20,
     10,  -2,  1,  1,  1,  1,  -2,  10,
      5,  -2,  1,  0,  0,  1,  -2,   5,
      5,  -2,  1,  0,  0,  1,  -2,   5,
     10,  -2,  1,  1,  1,  1,  -2,  10,
    -20, -50, -2, -2, -2, -2, -50, -20,
    100, -20, 10,  5,  5, 10, -20, 100,
};
// clang-format on

struct PinnedRow {
    int block;
    int index;
    int32_t count;
    int32_t sum;
};

const PinnedRow kPinnedRows[] = {
    {0, 0, 0, 0},
    {0, 3280, 41426, 331408},
    {0, 6560, 38732, -309856},
    {0, 2187, 3057, 13830},
    {0, 1, 3057, 13830},
    {0, 4374, 2289, -9802},
    {0, 729, 761, -2222},
    {0, 1458, 831, 2906},
    {3, 0, 0, 0},
    {3, 364, 18962, 189620},
    {3, 728, 16375, -163750},
    {3, 243, 0, 0},
    {3, 121, 13566, -49360},
    {3, 485, 4835, 48350},
};

int PatternIndex(const Board& board, const Pattern& pattern) {
    int index = 0;
    for (int i = 0; i < pattern.length; ++i) {
        index = index * 3 + board[SquareIndex(pattern.squares[i].x, pattern.squares[i].y)];
    }
    return index;
}

int ReverseEdgeIndex(int index) {
    int reversed = 0;
    for (int i = 0; i < 8; ++i) {
        reversed = reversed * 3 + index % 3;
        index /= 3;
    }
    return reversed;
}

SquarePos ChooseSelfPlayMove(const Board& board, Side side) {
    SquarePos moves[64];
    const int count = ListLegalMoves(board, moves, side);
    if (DrawRandom() % 2 == 0) return moves[DrawRandom() % count];
    int best = 0;
    int bestValue = -1000;
    for (int i = 0; i < count; ++i) {
        const int value = kSquareWeights[SquareIndex(moves[i].x, moves[i].y)] + DrawRandom() % 40;
        if (value > bestValue) {
            bestValue = value;
            best = i;
        }
    }
    return moves[best];
}

using Statistics = std::vector<Record>[4];

void PlaySelfPlay(Statistics& stats) {
    SeedRandom(kSeed);
    std::vector<int> seen[4];  // per block, the indices observed during the running game
    for (int game = 0; game < kGames; ++game) {
        for (auto& list : seen)
            list.clear();
        Board board = InitialBoard();
        Side side = kBlack;
        for (;;) {
            if (LegalMoveMask(board, side) == 0) {
                side = Opponent(side);
                if (LegalMoveMask(board, side) == 0) break;
            }
            const SquarePos move = ChooseSelfPlayMove(board, side);
            ApplyMove(board, move.x, move.y, side);
            side = Opponent(side);
            for (int block = 0; block < 4; ++block) {
                for (const Pattern& pattern : kPatterns[block]) {
                    seen[block].push_back(PatternIndex(board, pattern));
                }
            }
        }
        const DiscCounts discs = CountDiscs(board);
        const int difference = discs.black - discs.white;
        for (int block = 0; block < 4; ++block) {
            const int value = block == 3 ? difference * 10 / 64 : difference / 8;
            for (const int index : seen[block]) {
                stats[block][index].count += 1;
                stats[block][index].sum += value;
            }
        }
    }
}

bool IsPinned(int block, int index) {
    for (const PinnedRow& row : kPinnedRows) {
        if (row.block != block) continue;
        if (row.index == index) return true;
        if (block == 0 && ReverseEdgeIndex(row.index) == index) return true;
    }
    return block == 3 && (index == 93 || index == 111 || index == 12 || index == 24);
}

int CountZeroRecords(const std::vector<Record>& records) {
    return static_cast<int>(std::count_if(records.begin(), records.end(),
                                          [](const Record& r) { return r.count == 0; }));
}

// Clears the rarest unpinned records until exactly target records have count 0.
bool ClearRarest(Statistics& stats, int block, int target) {
    std::vector<Record>& records = stats[block];
    std::vector<int> candidates;
    for (int i = 0; i < static_cast<int>(records.size()); ++i) {
        if (records[i].count == 0 || IsPinned(block, i)) continue;
        if (block == 0 && ReverseEdgeIndex(i) < i) continue;  // one entry per pair
        candidates.push_back(i);
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&](int a, int b) { return records[a].count < records[b].count; });
    int zeros = CountZeroRecords(records);
    // An edge pair clears two records, a palindrome one; a pair that would overshoot is
    // passed over, so a later palindrome settles the parity.
    for (const int i : candidates) {
        if (zeros == target) break;
        const int partner = block == 0 ? ReverseEdgeIndex(i) : i;
        const int cleared = partner == i ? 1 : 2;
        if (zeros + cleared > target) continue;
        records[i] = {0, 0};
        records[partner] = {0, 0};
        zeros += cleared;
    }
    return zeros == target;
}

void EnforceFacts(Statistics& stats) {
    std::vector<Record>& edge = stats[0];
    for (int i = 0; i < kEdgeRecords; ++i) {
        const int r = ReverseEdgeIndex(i);
        if (r <= i) continue;
        const Record merged = {edge[i].count + edge[r].count, edge[i].sum + edge[r].sum};
        edge[i] = merged;
        edge[r] = merged;
    }
    for (const PinnedRow& row : kPinnedRows) {
        stats[row.block][row.index] = {row.count, row.sum};
        if (row.block == 0) edge[ReverseEdgeIndex(row.index)] = {row.count, row.sum};
    }
    std::vector<Record>& diagonal = stats[3];
    if (diagonal[93].count == 0) diagonal[93].count = 1;
    diagonal[93].sum = -10 * diagonal[93].count;
    diagonal[111].sum = 0;
    const Record pair = {diagonal[12].count + diagonal[24].count,
                         diagonal[12].sum - diagonal[24].sum};
    diagonal[12] = pair;
    diagonal[24] = {pair.count, -pair.sum};
}

int32_t Entry(const Record& r) {
    return r.count == 0 ? 0 : static_cast<int32_t>(r.sum / r.count);
}

// Every statement about the finished block; prints the first that fails.
bool CheckFacts(const Statistics& stats) {
    const auto fail = [](const char* what) {
        std::fprintf(stderr, "zantobel-patterns: %s\n", what);
        return false;
    };
    for (int block = 0; block < 4; ++block) {
        for (const Record& r : stats[block]) {
            if (r.count < 0 || r.count > INT32_MAX || r.sum < INT32_MIN || r.sum > INT32_MAX) {
                return fail("a record does not fit in 32 bits");
            }
        }
    }
    for (const PinnedRow& row : kPinnedRows) {
        const Record& r = stats[row.block][row.index];
        if (r.count != row.count || r.sum != row.sum) return fail("a telling row differs");
    }
    for (int i = 0; i < kEdgeRecords; ++i) {
        const int32_t entry = Entry(stats[0][i]);
        if (entry < -8 || entry > 8) return fail("an edge entry lies outside -8..8");
        if (entry != Entry(stats[0][ReverseEdgeIndex(i)])) {
            return fail("an edge entry differs from its reversed pattern's");
        }
    }
    for (int i = 0; i < kSmallRecords; ++i) {
        const int32_t entry = Entry(stats[3][i]);
        if (entry < -10 || entry > 10) return fail("a diagonal entry lies outside -10..10");
    }
    if (Entry(stats[3][93]) != -10 || Entry(stats[3][111]) != 0) {
        return fail("diagonal 93 or 111 has the wrong entry");
    }
    if (Entry(stats[3][12]) + Entry(stats[3][24]) != 0) {
        return fail("the centre pairs do not cancel out");
    }
    if (CountZeroRecords(stats[0]) != kEdgeZeroRecords) return fail("edge zero records != 822");
    if (CountZeroRecords(stats[3]) != kDiagonalZeroRecords) {
        return fail("diagonal zero records != 436");
    }
    return true;
}

std::vector<uint8_t> Serialise(const Statistics& stats) {
    std::vector<uint8_t> bytes;
    bytes.reserve(kBlockBytes);
    const auto put = [&bytes](int64_t value) {
        const uint32_t word = static_cast<uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back((word >> shift) & 0xFF);
    };
    for (int block = 0; block < 4; ++block) {
        for (const Record& r : stats[block]) {
            put(r.count);
            put(r.sum);
        }
    }
    return bytes;
}

bool GenerateBlock(std::vector<uint8_t>& bytes) {
    Statistics stats;
    for (int block = 0; block < 4; ++block)
        stats[block].assign(kBlockRecords[block], {0, 0});
    PlaySelfPlay(stats);
    EnforceFacts(stats);
    if (!ClearRarest(stats, 0, kEdgeZeroRecords) || !ClearRarest(stats, 3, kDiagonalZeroRecords)) {
        std::fprintf(stderr,
                     "zantobel-patterns: the self-play left too few patterns observed "
                     "(edge %d, diagonal %d records with count 0)\n",
                     CountZeroRecords(stats[0]), CountZeroRecords(stats[3]));
        return false;
    }
    if (!CheckFacts(stats)) return false;
    bytes = Serialise(stats);
    return bytes.size() == kBlockBytes;
}

}  // namespace

int main(int argc, char** argv) {
    const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    if (!(argc == 2 && argv[1][0] != '-') && !check) {
        std::fprintf(stderr, "usage: zantobel-patterns OUTPUT | --check FILE\n");
        return 2;
    }
    std::vector<uint8_t> bytes;
    if (!GenerateBlock(bytes)) return 1;
    const char* path = argv[argc - 1];
    if (check) {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "zantobel-patterns: cannot read %s\n", path);
            return 2;
        }
        const std::vector<uint8_t> committed((std::istreambuf_iterator<char>(in)),
                                             std::istreambuf_iterator<char>());
        if (committed != bytes) {
            std::fprintf(stderr, "zantobel-patterns: %s differs from the regenerated block\n",
                         path);
            return 1;
        }
        std::printf("%s matches the regenerated block\n", path);
        return 0;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "zantobel-patterns: cannot write %s\n", path);
        return 2;
    }
    std::printf("wrote %zu bytes to %s\n", bytes.size(), path);
    return 0;
}
