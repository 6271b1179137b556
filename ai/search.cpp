// The search engine: SearchStep and the operations it is made of.
#include "ai/search.h"

#include <bit>
#include <cstring>

#include "ai/board_bits.h"
#include "ai/evaluation.h"

SearchContext gSearch;
SearchFrame gSearchFrames[kMaxFrames];

// clang-format off
const uint8_t kEmptyNeighbourWeights[64] = {
    3, 2, 2, 2, 2, 2, 2, 3,
    2, 1, 2, 2, 2, 2, 1, 2,
    2, 2, 2, 2, 2, 2, 2, 2,
    2, 2, 2, 2, 2, 2, 2, 2,
    2, 2, 2, 2, 2, 2, 2, 2,
    2, 2, 2, 2, 2, 2, 2, 2,
    2, 1, 2, 2, 2, 2, 1, 2,
    3, 2, 2, 2, 2, 2, 2, 3,
};
// clang-format on

namespace {

uint64_t gSearchSteps = 0;
MoveTester gMoveTester = nullptr;

// The squares met walking from each square in each direction of kDirections, to the edge,
// and each square's neighbours on the board.
struct LineTables {
    uint64_t rayMasks[64][8];
    uint64_t neighbours[64];
};

constexpr LineTables MakeLineTables() {
    LineTables tables{};
    for (int square = 0; square < 64; ++square) {
        for (int d = 0; d < 8; ++d) {
            int x = square % 8 + kDirections[d].dx;
            int y = square / 8 + kDirections[d].dy;
            for (; OnBoard(x, y); x += kDirections[d].dx, y += kDirections[d].dy) {
                tables.rayMasks[square][d] |= uint64_t{1} << SquareIndex(x, y);
            }
        }
        tables.neighbours[square] = board_bits::Neighbours(square);
    }
    return tables;
}
constexpr LineTables kLines = MakeLineTables();

// The 3x3 block around a square, packed as NW N NE W E SW S SE (bits 0..7), to the directions
// of kDirections (bit d for direction d).
struct BlockDirections {
    uint8_t directions[256];
};
constexpr BlockDirections MakeBlockDirections() {
    constexpr int kDirectionOfBit[8] = {7, 0, 1, 6, 2, 5, 4, 3};
    BlockDirections table{};
    for (int block = 0; block < 256; ++block) {
        for (int bit = 0; bit < 8; ++bit) {
            if (block & (1 << bit)) table.directions[block] |= 1 << kDirectionOfBit[bit];
        }
    }
    return table;
}
constexpr BlockDirections kBlockDirections = MakeBlockDirections();

// The directions in which the square's neighbour is one of bits.
inline uint32_t NeighbourDirections(int square, uint64_t bits) {
    const uint64_t near = bits & kLines.neighbours[square];
    // Put the square at bit 9, so its block spans bits 0..2, 8..10 and 16..18.
    const uint64_t block = square >= 9 ? near >> (square - 9) : near << (9 - square);
    const uint32_t packed = static_cast<uint32_t>((block & 7) | ((block >> 5) & 8) |
                                                  ((block >> 6) & 16) | ((block >> 11) & 0xE0));
    return kBlockDirections.directions[packed];
}

// Adds a turned disc to the entry with the weighted empty squares around it (corners weigh
// 3 = 2 + 1, the squares inside them 1 = 2 - 1, the rest 2).
inline void AddTurned(MoveEntry& entry, int32_t& turned, int32_t& openness, int square,
                      uint64_t empty) {
    entry.flips[turned++] = {square % 8, square / 8};
    const uint64_t open = kLines.neighbours[square] & empty;
    openness += 2 * std::popcount(open) + std::popcount(open & board_bits::kCorners) -
                std::popcount(open & board_bits::kInsideCorners);
}

// One direction of TestMove on bit sets. Along the ray the first square that is not the
// opponent's decides: own closes the run, empty spoils it. E, SE, S and SW walk towards
// higher square numbers, the others towards lower ones; each run is listed farthest first.
template <int kDirection>
[[gnu::always_inline]] inline void TurnInDirection(MoveEntry& entry, int32_t& turned,
                                                   int32_t& openness, int square, uint64_t own,
                                                   uint64_t opponent, uint64_t empty) {
    const uint64_t ray = kLines.rayMasks[square][kDirection];
    const uint64_t stops = ray & ~opponent;
    if (stops == 0) return;
    if constexpr (kDirection >= 2 && kDirection <= 5) {
        const uint64_t first = stops & (~stops + 1);
        if ((first & own) == 0) return;
        for (uint64_t run = ray & (first - 1); run != 0;) {
            const int farthest = 63 - std::countl_zero(run);
            run ^= uint64_t{1} << farthest;
            AddTurned(entry, turned, openness, farthest, empty);
        }
    } else {
        const uint64_t first = uint64_t{1} << (63 - std::countl_zero(stops));
        if ((first & own) == 0) return;
        for (uint64_t run = ray & ~((first << 1) - 1); run != 0; run &= run - 1) {
            AddTurned(entry, turned, openness, std::countr_zero(run), empty);
        }
    }
}

// TestMove on bit sets for an empty square: the same discs in the same order (directions in
// table order) and the same score; fills the entry and returns the discs turned.
int32_t FillEntry(int square, uint64_t own, uint64_t opponent, MoveEntry& entry) {
    const uint64_t empty = ~(own | opponent);
    int32_t turned = 0;
    int32_t openness = 0;
    // Only a direction whose first square holds an opponent's disc can turn anything; the
    // others are skipped, and the rest are taken in table order.
    for (uint32_t directions = NeighbourDirections(square, opponent); directions != 0;
         directions &= directions - 1) {
        switch (std::countr_zero(directions)) {
            case 0:
                TurnInDirection<0>(entry, turned, openness, square, own, opponent, empty);
                break;
            case 1:
                TurnInDirection<1>(entry, turned, openness, square, own, opponent, empty);
                break;
            case 2:
                TurnInDirection<2>(entry, turned, openness, square, own, opponent, empty);
                break;
            case 3:
                TurnInDirection<3>(entry, turned, openness, square, own, opponent, empty);
                break;
            case 4:
                TurnInDirection<4>(entry, turned, openness, square, own, opponent, empty);
                break;
            case 5:
                TurnInDirection<5>(entry, turned, openness, square, own, opponent, empty);
                break;
            case 6:
                TurnInDirection<6>(entry, turned, openness, square, own, opponent, empty);
                break;
            default:
                TurnInDirection<7>(entry, turned, openness, square, own, opponent, empty);
                break;
        }
    }
    entry.score = kDiscValue - openness;
    entry.flipCount = turned;
    return turned;
}

// Generation through the given tester over every square, as the tests' seam needs.
int32_t GenerateWithTester(SearchFrame& frame) {
    int32_t found = 0;
    for (int y = 0; y < 8 && found < kMaxMoves; ++y) {
        for (int x = 0; x < 8 && found < kMaxMoves; ++x) {
            if (gMoveTester(gSearch.board, x, y, found) > 0) {
                frame.moves[found].x = x;
                frame.moves[found].y = y;
                ++found;
            }
        }
    }
    return found;
}

// The moves in generation order while the frame's list is put in sorted order.
MoveEntry gGenerated[kMaxMoves];

// Copies the fields of an entry that hold data: the turned squares up to its count.
inline void CopyEntry(MoveEntry& to, const MoveEntry& from) {
    to.x = from.x;
    to.y = from.y;
    to.score = from.score;
    to.flipCount = from.flipCount;
    for (int f = 0; f < from.flipCount; ++f)
        to.flips[f] = from.flips[f];
}

// The opening weight of one turned disc: its empty neighbours, each by its weight.
int32_t OpennessAround(const Board& board, int x, int y) {
    int32_t openness = 0;
    for (const Direction& d : kDirections) {
        const int nx = x + d.dx;
        const int ny = y + d.dy;
        if (OnBoard(nx, ny) && board[SquareIndex(nx, ny)] == kEmpty) {
            openness += kEmptyNeighbourWeights[SquareIndex(nx, ny)];
        }
    }
    return openness;
}

}  // namespace

void GenerateMoves() {
    SearchFrame& frame = gSearchFrames[gSearch.ply];
    int32_t found = 0;
    if (gMoveTester) {
        found = GenerateWithTester(frame);
    } else {
        // Only an empty square next to an opponent's disc can turn anything, so the other
        // squares are not tested at all; the tests still run in row-major order. The frame
        // holds kMaxMoves entries and a test fills its slot before it knows whether the move
        // is legal, so generation stops once the list is full: further moves are ignored.
        const board_bits::Discs discs = board_bits::FromBoard(gSearch.board);
        // A side other than 1 or 2 has no disc and so no move, as in TestMove.
        const bool black = frame.side == kBlack;
        const uint64_t own = black ? discs.black : frame.side == kWhite ? discs.white : 0;
        const uint64_t opponent = black ? discs.white : discs.black;
        uint64_t candidates = board_bits::Dilate(opponent) & ~(own | opponent);
        for (; candidates != 0 && found < kMaxMoves; candidates &= candidates - 1) {
            const int square = std::countr_zero(candidates);
            MoveEntry& entry = frame.moves[found];
            if (FillEntry(square, own, opponent, entry) > 0) {
                entry.x = square % 8;
                entry.y = square / 8;
                ++found;
            }
        }
    }
    frame.moveCount = found;
    frame.moveIndex = 0;
    frame.best = frame.side == gSearch.rootSide ? -kWinValue : kWinValue;

    // Plain exchange sort, highest score first. It is not stable, and the order it leaves
    // among equal scores decides both pruning and ties between root moves. The exchanges
    // are made on a list of indices, which ends exactly as the entries would; the entries
    // are then moved once, and only when the order changed.
    int8_t order[kMaxMoves];
    int32_t scores[kMaxMoves];
    for (int i = 0; i < found; ++i) {
        order[i] = static_cast<int8_t>(i);
        scores[i] = frame.moves[i].score;
    }
    bool moved = false;
    for (int p = 0; p + 1 < found; ++p) {
        for (int j = p + 1; j < found; ++j) {
            if (scores[order[p]] < scores[order[j]]) {
                const int8_t swap = order[p];
                order[p] = order[j];
                order[j] = swap;
                moved = true;
            }
        }
    }
    if (!moved) return;
    for (int i = 0; i < found; ++i)
        CopyEntry(gGenerated[i], frame.moves[i]);
    for (int i = 0; i < found; ++i)
        CopyEntry(frame.moves[i], gGenerated[order[i]]);
}

void ScoreTerminal() {
    SearchFrame& frame = gSearchFrames[gSearch.ply];
    // Own discs are those equal to the root side; every other disc counts for the opponent.
    const board_bits::Discs discs = board_bits::FromBoard(gSearch.board);
    const uint64_t ownBits = gSearch.rootSide == kBlack   ? discs.black
                             : gSearch.rootSide == kWhite ? discs.white
                                                          : 0;
    const int32_t own = std::popcount(ownBits);
    const int32_t opp = std::popcount(discs.occupied) - own;
    if (gSearch.exact) {
        // A draw counts as a loss.
        frame.best = own > opp ? kWinValue : -kWinValue;
        return;
    }
    int32_t value = kDiscValue * (own - opp);
    if (own > opp) value += kWinBonus;
    if (own < opp) value -= kWinBonus;
    frame.best = value;
}

void ScoreLeaf() {
    SearchFrame& frame = gSearchFrames[gSearch.ply];
    frame.best = gSearch.exact ? -kWinValue : EvaluateLeaf(gSearch);
}

void Backtrack() {
    const int32_t value = gSearchFrames[gSearch.ply].best;
    // The root keeps its list for PickRootMove.
    if (gSearch.ply > 0) gSearchFrames[gSearch.ply].moveCount = 0;
    --gSearch.ply;
    if (gSearch.ply < 0) return;

    SearchFrame& parent = gSearchFrames[gSearch.ply];
    const MoveEntry& move = parent.moves[parent.moveIndex];
    gSearch.board[SquareIndex(move.x, move.y)] = kEmpty;
    for (int i = 0; i < parent.undoCount; ++i) {
        uint8_t& square = gSearch.board[SquareIndex(parent.undo[i].x, parent.undo[i].y)];
        square = square == kBlack ? kWhite : kBlack;
    }
    const bool maximising = parent.side == gSearch.rootSide;
    gSearch.pathScore += maximising ? -move.score : move.score;

    if (maximising ? value > parent.best : value < parent.best) parent.best = value;
    if (gSearch.ply == 0) gSearch.rootValues[parent.moveIndex] = value;

    if (gSearch.exact && parent.best == (maximising ? kWinValue : -kWinValue)) {
        parent.moveIndex = parent.moveCount;
        return;
    }
    if (gSearch.ply >= 1) {
        const SearchFrame& grand = gSearchFrames[gSearch.ply - 1];
        const bool grandMaximising = grand.side == gSearch.rootSide;
        // Only a node of the other kind than its grandparent is cut; after a pass both can
        // be of one kind, and then no bound applies.
        if ((grandMaximising && !maximising && parent.best <= grand.best) ||
            (!grandMaximising && maximising && parent.best >= grand.best)) {
            parent.moveIndex = parent.moveCount;
            return;
        }
    }
    ++parent.moveIndex;
}

int32_t TestMove(const Board& board, int x, int y, int slot) {
    if (board[SquareIndex(x, y)] != kEmpty) return 0;
    const Side side = gSearchFrames[gSearch.ply].side;
    const Side opponent = Opponent(side);
    MoveEntry& entry = gSearchFrames[gSearch.ply].moves[slot];
    int32_t turned = 0;
    int32_t openness = 0;
    for (const Direction& d : kDirections) {
        int cx = x + d.dx;
        int cy = y + d.dy;
        if (!OnBoard(cx, cy) || board[SquareIndex(cx, cy)] != opponent) continue;
        do {
            cx += d.dx;
            cy += d.dy;
        } while (OnBoard(cx, cy) && board[SquareIndex(cx, cy)] == opponent);
        if (!OnBoard(cx, cy) || board[SquareIndex(cx, cy)] != side) continue;
        // Farthest turned disc first; the walk ends at (x, y), which is empty.
        for (cx -= d.dx, cy -= d.dy; board[SquareIndex(cx, cy)] == opponent;
             cx -= d.dx, cy -= d.dy) {
            entry.flips[turned] = {cx, cy};
            ++turned;
            openness += OpennessAround(board, cx, cy);
        }
    }
    entry.score = kDiscValue - openness;
    entry.flipCount = turned;
    return turned;
}

void BeginSearch(const Board& board, int32_t depthLimit, Side rootSide, int32_t exact) {
    std::memset(&gSearch, 0, sizeof gSearch);
    gSearch.board = board;
    gSearch.depthLimit = depthLimit;
    gSearch.rootSide = rootSide;
    gSearch.exact = exact;
    for (const uint8_t square : board) {
        if (square != kEmpty) ++gSearch.rootDiscs;
    }
    std::memset(gSearchFrames, 0, sizeof gSearchFrames);
    gSearchFrames[0].side = rootSide;
}

void SearchStep() {
    ++gSearchSteps;
    SearchFrame& frame = gSearchFrames[gSearch.ply];
    if (gSearch.ply + gSearch.rootDiscs >= 64) {
        ScoreTerminal();
        Backtrack();
        return;
    }
    if (gSearch.ply >= gSearch.depthLimit) {
        ScoreLeaf();
        Backtrack();
        return;
    }
    if (frame.moveCount == 0) {
        GenerateMoves();
        if (frame.moveCount == 0) {
            // A pass consumes no ply: the opponent moves from this same frame.
            frame.side = Opponent(frame.side);
            GenerateMoves();
            if (frame.moveCount == 0) {
                ScoreTerminal();
                Backtrack();
                return;
            }
        }
    }
    if (frame.moveIndex >= frame.moveCount) {
        Backtrack();
        return;
    }

    const MoveEntry& move = frame.moves[frame.moveIndex];
    gSearch.board[SquareIndex(move.x, move.y)] = static_cast<uint8_t>(frame.side);
    for (int i = 0; i < move.flipCount; ++i) {
        gSearch.board[SquareIndex(move.flips[i].x, move.flips[i].y)] =
            static_cast<uint8_t>(frame.side);
        frame.undo[i] = move.flips[i];
    }
    frame.undoCount = move.flipCount;
    gSearch.pathScore += frame.side == gSearch.rootSide ? move.score : -move.score;

    ++gSearch.ply;
    SearchFrame& child = gSearchFrames[gSearch.ply];
    child.side = Opponent(frame.side);
    child.moveCount = 0;
    child.moveIndex = 0;
}

void RunSearch(const Board& board, int32_t depthLimit, Side rootSide, int32_t exact) {
    BeginSearch(board, depthLimit, rootSide, exact);
    while (gSearch.ply >= 0)
        SearchStep();
}

int32_t PickRootMove(SquarePos* out) {
    int32_t best = kRootFloor;
    int index = 0;
    for (int i = 0; i < gSearchFrames[0].moveCount; ++i) {
        if (gSearch.rootValues[i] > best) {
            best = gSearch.rootValues[i];
            index = i;
        }
    }
    *out = {gSearchFrames[0].moves[index].x, gSearchFrames[0].moves[index].y};
    return best;
}

uint64_t SearchStepCount() {
    return gSearchSteps;
}

void SetMoveTesterForTesting(MoveTester tester) {
    gMoveTester = tester;
}
