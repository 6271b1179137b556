// The search engine: SearchStep and the operations it is made of.
#include "ai/search.h"

#include <bit>
#include <cstring>
#include <utility>

#include "ai/evaluation.h"
#include "game/board_bits.h"

SearchContext gSearch;
SearchFrame gSearchFrames[kMaxFrames];

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

// The directions in which a square's neighbour is one of a set, found by one multiplication:
// with the square moved to bit 9, its neighbours lie at bits 9 + 8 * dy + dx (0..2, 8, 10,
// 16..18), and the multiplier gathers those eight bits into the top byte without any two
// subsets colliding; a table turns that byte into the directions of kDirections (bit d for
// direction d).
constexpr uint64_t kGatherNeighbours = 0x0402600000000000ull;

constexpr int GatheredByte(uint64_t block) {
    return static_cast<int>((block * kGatherNeighbours) >> 56);
}

struct BlockDirections {
    uint8_t directions[256];
    bool collides;  // two subsets gathered into one byte
};
constexpr BlockDirections MakeBlockDirections() {
    BlockDirections table{};
    bool used[256] = {};
    for (int subset = 0; subset < 256; ++subset) {
        uint64_t block = 0;
        for (int d = 0; d < 8; ++d) {
            if (subset & (1 << d))
                block |= uint64_t{1} << (9 + 8 * kDirections[d].dy + kDirections[d].dx);
        }
        const int gathered = GatheredByte(block);
        table.collides = table.collides || used[gathered];
        used[gathered] = true;
        table.directions[gathered] = static_cast<uint8_t>(subset);
    }
    return table;
}
constexpr BlockDirections kBlockDirections = MakeBlockDirections();
static_assert(!kBlockDirections.collides);

// The directions in which the square's neighbour is one of bits.
inline uint32_t NeighbourDirections(int square, uint64_t bits) {
    const uint64_t near = bits & kLines.neighbours[square];
    // Put the square at bit 9 (a rotation: no neighbour lies outside the board, so nothing
    // wraps round).
    return kBlockDirections.directions[GatheredByte(std::rotr(near, square - 9))];
}

// The generation works on a mirror of the search board kept up to date as moves are made and
// unmade: the discs of each colour as bit sets, and for every square the weighted count of
// the empty squares around it, which is what one turned disc adds to the openness.
struct BoardMirror {
    uint64_t black;
    uint64_t white;
    // Rows -1..8, eight bytes each: with a row of zeros above and below the board, an update
    // can always touch three whole rows; nothing is ever added to those two.
    alignas(8) uint8_t emptyAround[80];
};
BoardMirror gMirror;

constexpr int kMirrorRowOffset = 8;

// The byte of an eight-square row word that holds column x.
constexpr int ColumnShift(int x) {
    return std::endian::native == std::endian::little ? 8 * x : 8 * (7 - x);
}

// For each square, the rows above, at and below it as words holding the square's weight at
// each of its neighbours on the board: what filling the square takes from the counts of the
// squares around (nothing in a row off the board).
struct FillDeltas {
    uint64_t rows[64][3];
};
constexpr FillDeltas MakeFillDeltas() {
    FillDeltas deltas{};
    for (int square = 0; square < 64; ++square) {
        const uint64_t weight = kEmptyNeighbourWeights[square];
        const int x = square % 8;
        for (int row = 0; row < 3; ++row) {
            const int ny = square / 8 - 1 + row;
            if (ny < 0 || ny > 7) continue;
            for (int nx = x - 1; nx <= x + 1; ++nx) {
                if (nx < 0 || nx > 7 || (row == 1 && nx == x)) continue;
                deltas.rows[square][row] |= weight << ColumnShift(nx);
            }
        }
    }
    return deltas;
}
constexpr FillDeltas kFillDeltas = MakeFillDeltas();

// Adds (Sign = 1) or takes (Sign = -1) the square's weight to or from the count of each of
// its neighbours. No count ever goes below 0 or above 17, so whole-word arithmetic never
// carries from one square into the next.
template <int Sign>
[[gnu::always_inline]] inline void ChangeEmptyAround(int square) {
    uint8_t* rows = gMirror.emptyAround + kMirrorRowOffset + (square / 8 - 1) * 8;
    const uint64_t* deltas = kFillDeltas.rows[square];
    uint64_t above;
    uint64_t level;
    uint64_t below;
    std::memcpy(&above, rows, 8);
    std::memcpy(&level, rows + 8, 8);
    std::memcpy(&below, rows + 16, 8);
    above += Sign * deltas[0];
    level += Sign * deltas[1];
    below += Sign * deltas[2];
    std::memcpy(rows, &above, 8);
    std::memcpy(rows + 8, &level, 8);
    std::memcpy(rows + 16, &below, 8);
}

void LoadMirror(const Board& board) {
    const board_bits::Discs discs = board_bits::FromBoard(board);
    gMirror.black = discs.black;
    gMirror.white = discs.white;
    std::memset(gMirror.emptyAround, 0, sizeof gMirror.emptyAround);
    for (int square = 0; square < 64; ++square) {
        int32_t openness = 0;
        for (uint64_t open = kLines.neighbours[square] & ~discs.occupied; open != 0;
             open &= open - 1) {
            openness += kEmptyNeighbourWeights[std::countr_zero(open)];
        }
        gMirror.emptyAround[kMirrorRowOffset + square] = static_cast<uint8_t>(openness);
    }
}

// The move's square and the turned squares now hold side, as the board bytes do once the
// move is made (a side other than black writes white's bits; only the two sides move).
inline void MirrorMove(int square, uint64_t turned, Side side) {
    const uint64_t changed = turned | uint64_t{1} << square;
    if (side == kBlack) {
        gMirror.black |= changed;
        gMirror.white &= ~changed;
    } else {
        gMirror.white |= changed;
        gMirror.black &= ~changed;
    }
    ChangeEmptyAround<-1>(square);
}

// The move's square is empty again and each turned square changed back (black becomes
// white, anything else black), as the board bytes do when a move is undone.
inline void MirrorUndo(int square, uint64_t turned) {
    const uint64_t bit = uint64_t{1} << square;
    const uint64_t wasBlack = gMirror.black & turned;
    gMirror.black = (gMirror.black ^ turned) & ~bit;
    gMirror.white = ((gMirror.white & ~turned) | wasBlack) & ~bit;
    ChangeEmptyAround<1>(square);
}

struct SquarePositions {
    SquarePos of[64];
};
constexpr SquarePositions MakeSquarePositions() {
    SquarePositions table{};
    for (int square = 0; square < 64; ++square)
        table.of[square] = {square % 8, square / 8};
    return table;
}
constexpr SquarePositions kSquarePositions = MakeSquarePositions();

// Per direction of kDirections: the step between squares, and whether it leads to higher
// square numbers (E, SE, S, SW).
struct DirectionSteps {
    int step[8];
    bool towardsHigher[8];
};
constexpr DirectionSteps MakeDirectionSteps() {
    DirectionSteps steps{};
    for (int d = 0; d < 8; ++d) {
        steps.step[d] = 8 * kDirections[d].dy + kDirections[d].dx;
        steps.towardsHigher[d] = steps.step[d] > 0;
    }
    return steps;
}
constexpr DirectionSteps kDirectionSteps = MakeDirectionSteps();

// TestMove on the mirror for an empty square: the same discs in the same order (directions in
// table order, each run farthest first) and the same score; fills the entry and returns the
// discs turned. Along a ray the first square that is not the opponent's decides: own closes
// the run, empty or the edge spoils it.
// Kept out of line: inlined, its locals crowd the candidate loop's registers, and the
// search measured slower.
[[gnu::noinline]] int32_t FillEntry(int square, uint64_t own, uint64_t opponent, MoveEntry& entry) {
    const uint8_t* emptyAround = gMirror.emptyAround + kMirrorRowOffset;
    int32_t turned = 0;
    int32_t openness = 0;
    // Only a direction whose first square holds an opponent's disc can turn anything.
    for (uint32_t directions = NeighbourDirections(square, opponent); directions != 0;
         directions &= directions - 1) {
        const int d = std::countr_zero(directions);
        const uint64_t ray = kLines.rayMasks[square][d];
        const uint64_t stops = ray & ~opponent;
        const uint64_t first =
            kDirectionSteps.towardsHigher[d] ? stops & (0 - stops) : std::bit_floor(stops);
        if ((first & own) == 0) continue;
        const uint64_t between =
            ray & (kDirectionSteps.towardsHigher[d] ? first - 1 : ~(first + first - 1));
        const int step = kDirectionSteps.step[d];
        for (int at = square + std::popcount(between) * step; at != square; at -= step) {
            entry.flips[turned++] = kSquarePositions.of[at];
            openness += emptyAround[at];
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

// Copies the part of an entry that holds data: the fields and the turned squares up to its
// count, in 16-byte pieces (the count rounded up to a pair stays inside the list).
inline void CopyEntry(MoveEntry& to, const MoveEntry& from) {
    static_assert(sizeof(MoveEntry) == 16 + kMaxTurned * sizeof(SquarePos) && kMaxTurned % 2 == 0);
    auto* target = reinterpret_cast<unsigned char*>(&to);
    const auto* source = reinterpret_cast<const unsigned char*>(&from);
    const int pieces = 1 + (from.flipCount + 1) / 2;
    for (int piece = 0; piece < pieces; ++piece)
        std::memcpy(target + 16 * piece, source + 16 * piece, 16);
}

// Puts the entries in the order the sort left on their indices: entry order[i] goes to
// position i. Each cycle of the permutation is rotated through one spare entry.
void PermuteEntries(MoveEntry* moves, int8_t* order, int count) {
    MoveEntry spare;
    for (int start = 0; start < count; ++start) {
        if (order[start] == start) continue;
        spare = moves[start];
        int at = start;
        while (order[at] != start) {
            const int from = order[at];
            CopyEntry(moves[at], moves[from]);
            order[at] = static_cast<int8_t>(at);
            at = from;
        }
        moves[at] = spare;
        order[at] = static_cast<int8_t>(at);
    }
}

// Plain exchange sort, highest score first. It is not stable, and the order it leaves among
// equal scores decides both pruning and ties between root moves. The exchanges are made on a
// list of indices, which ends exactly as the entries would; the entries are then moved into
// place, and only when the order changed. Most lists near the end of a game hold one or two
// moves, and for two the sort is a single exchange.
void SortByScore(MoveEntry* moves, int count) {
    if (count < 2) return;
    if (count == 2) {
        if (moves[0].score < moves[1].score) std::swap(moves[0], moves[1]);
        return;
    }
    int8_t order[kMaxMoves];
    int32_t scores[kMaxMoves];
    for (int i = 0; i < count; ++i) {
        order[i] = static_cast<int8_t>(i);
        scores[i] = moves[i].score;
    }
    // The entry at p is held in registers while it meets each later one, and the scores
    // move with their indices.
    bool moved = false;
    for (int p = 0; p + 1 < count; ++p) {
        int8_t held = order[p];
        int32_t heldScore = scores[p];
        for (int j = p + 1; j < count; ++j) {
            const int8_t other = order[j];
            const int32_t otherScore = scores[j];
            const bool exchange = heldScore < otherScore;
            order[j] = exchange ? held : other;
            scores[j] = exchange ? heldScore : otherScore;
            held = exchange ? other : held;
            heldScore = exchange ? otherScore : heldScore;
            moved |= exchange;
        }
        order[p] = held;
        scores[p] = heldScore;
    }
    if (moved) PermuteEntries(moves, order, count);
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
        // A side other than 1 or 2 has no disc and so no move, as in TestMove.
        const bool black = frame.side == kBlack;
        const uint64_t own = black ? gMirror.black : frame.side == kWhite ? gMirror.white : 0;
        const uint64_t opponent = black ? gMirror.white : gMirror.black;
        uint64_t candidates = board_bits::Dilate(opponent) & ~(own | opponent);
        MoveEntry* entry = frame.moves;
        for (; candidates != 0 && entry != frame.moves + kMaxMoves; candidates &= candidates - 1) {
            const int square = std::countr_zero(candidates);
            if (FillEntry(square, own, opponent, *entry) > 0) {
                entry->x = square % 8;
                entry->y = square / 8;
                ++entry;
            }
        }
        found = static_cast<int32_t>(entry - frame.moves);
    }
    frame.moveCount = found;
    frame.moveIndex = 0;
    frame.best = frame.side == gSearch.rootSide ? -kWinValue : kWinValue;

    SortByScore(frame.moves, found);
}

namespace {

// The value of a finished game from the root side's view.
[[gnu::always_inline]] inline void ValueFinishedGame(SearchFrame& frame) {
    // Own discs are those equal to the root side; every other disc counts for the opponent.
    const uint64_t ownBits = gSearch.rootSide == kBlack   ? gMirror.black
                             : gSearch.rootSide == kWhite ? gMirror.white
                                                          : 0;
    const int32_t own = std::popcount(ownBits);
    const int32_t opp = std::popcount(gMirror.black | gMirror.white) - own;
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

// Leaves the current frame: undoes the move that led to it and backs its value up into the
// parent, which then moves on to its next move or is cut. The fields are read into locals
// first because every store to the board bytes may alias them.
[[gnu::always_inline]] inline void LeaveFrame() {
    const int32_t childPly = gSearch.ply;
    const int32_t value = gSearchFrames[childPly].best;
    // The root keeps its list for PickRootMove.
    if (childPly > 0) gSearchFrames[childPly].moveCount = 0;
    const int32_t ply = childPly - 1;
    gSearch.ply = ply;
    if (ply < 0) return;

    SearchFrame& parent = gSearchFrames[ply];
    const int32_t moveIndex = parent.moveIndex;
    const MoveEntry& move = parent.moves[moveIndex];
    const bool maximising = parent.side == gSearch.rootSide;
    gSearch.pathScore += maximising ? -move.score : move.score;

    int32_t best = parent.best;
    if (maximising ? value > best : value < best) best = value;
    parent.best = best;
    if (ply == 0) gSearch.rootValues[moveIndex] = value;

    int32_t next = moveIndex + 1;
    if (gSearch.exact && best == (maximising ? kWinValue : -kWinValue)) {
        next = parent.moveCount;
    } else if (ply >= 1) {
        const SearchFrame& grand = gSearchFrames[ply - 1];
        const bool grandMaximising = grand.side == gSearch.rootSide;
        // Only a node of the other kind than its grandparent is cut; after a pass both can
        // be of one kind, and then no bound applies.
        if ((grandMaximising && !maximising && best <= grand.best) ||
            (!grandMaximising && maximising && best >= grand.best)) {
            next = parent.moveCount;
        }
    }

    const int moveSquare = SquareIndex(move.x, move.y);
    const int32_t undoCount = parent.undoCount;
    parent.moveIndex = next;
    uint8_t* board = gSearch.board.data();
    board[moveSquare] = kEmpty;
    uint64_t turned = 0;
    for (int i = 0; i < undoCount; ++i) {
        const int at = SquareIndex(parent.undo[i].x, parent.undo[i].y);
        board[at] = board[at] == kBlack ? kWhite : kBlack;
        turned |= uint64_t{1} << at;
    }
    MirrorUndo(moveSquare, turned);
}

// Makes the frame's current move and enters the child frame.
[[gnu::always_inline]] inline void MakeMove(SearchFrame& frame, int32_t ply) {
    const MoveEntry& move = frame.moves[frame.moveIndex];
    const Side side = frame.side;
    const int32_t flipCount = move.flipCount;
    const int moveSquare = SquareIndex(move.x, move.y);
    gSearch.pathScore += side == gSearch.rootSide ? move.score : -move.score;
    gSearch.ply = ply + 1;
    SearchFrame& child = gSearchFrames[ply + 1];
    child.side = Opponent(side);
    child.moveCount = 0;
    child.moveIndex = 0;
    frame.undoCount = flipCount;

    uint8_t* board = gSearch.board.data();
    board[moveSquare] = static_cast<uint8_t>(side);
    uint64_t turned = 0;
    for (int i = 0; i < flipCount; ++i) {
        const int index = SquareIndex(move.flips[i].x, move.flips[i].y);
        board[index] = static_cast<uint8_t>(side);
        frame.undo[i] = move.flips[i];
        turned |= uint64_t{1} << index;
    }
    MirrorMove(moveSquare, turned, side);
}

}  // namespace

void ScoreTerminal() {
    ValueFinishedGame(gSearchFrames[gSearch.ply]);
}

void ScoreLeaf() {
    SearchFrame& frame = gSearchFrames[gSearch.ply];
    frame.best = gSearch.exact ? -kWinValue : EvaluateLeaf(gSearch);
}

void Backtrack() {
    LeaveFrame();
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
    LoadMirror(board);
}

void SearchStep() {
    ++gSearchSteps;
    const int32_t ply = gSearch.ply;
    SearchFrame& frame = gSearchFrames[ply];
    if (ply + gSearch.rootDiscs >= 64) {
        ValueFinishedGame(frame);
    } else if (ply >= gSearch.depthLimit) {
        ScoreLeaf();
    } else {
        if (frame.moveCount == 0) {
            GenerateMoves();
            if (frame.moveCount == 0) {
                // A pass consumes no ply: the opponent moves from this same frame.
                frame.side = Opponent(frame.side);
                GenerateMoves();
            }
        }
        if (frame.moveCount == 0) {
            ValueFinishedGame(frame);  // neither side can move
        } else if (frame.moveIndex < frame.moveCount) {
            MakeMove(frame, ply);
            return;
        }
    }
    LeaveFrame();
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
