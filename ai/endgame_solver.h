// The fast end-game solver: the exact outcome of a position under perfect play by both sides,
// as the disc difference (empty squares counted for the winner) or as win/draw/loss, and the
// question MASTER asks: which is the first of a list of moves after which the side wins.
// Bit-set boards, a transposition table of bounded size, stability cut-offs, fastest-first
// and parity ordering; optionally more than one thread, with the same answers as one.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "game/board.h"

constexpr int kEndgameDefaultHashMegabytes = 32;
// The table is filled with zeros at once, so all of it is resident: a bound a user can ask for
// without risking the machine.
constexpr int kEndgameMaxHashMegabytes = 1024;
constexpr int kEndgameMaxThreads = 16;

// Which code the search runs: the fastest this processor has (turned discs and legal moves
// with BMI2 and AVX2 where the processor has them), or the code every processor runs. Both give
// the same answers with the same node counts.
enum class EndgameProcessor { kFastest, kPortable };

struct EndgameSettings {
    int threads = 1;
    int hashMegabytes = kEndgameDefaultHashMegabytes;
    // Asked on the calling thread every few thousand nodes; true abandons the search.
    std::function<bool()> stop;
    EndgameProcessor processor = EndgameProcessor::kFastest;
};

enum class EndgameMode {
    kExact,        // the disc difference
    kWinDrawLoss,  // +1, 0 or -1
};

struct EndgameAnswer {
    int complete;  // 0: abandoned by the stop test, nothing else is meaningful
    int move;      // a square 0..63 that reaches the score; -1 when side must pass or the
                   // game is over
    int score;     // for side, under perfect play
    uint64_t nodes;
};

EndgameAnswer SolveEndgame(const Board& board, Side side, EndgameMode mode,
                           const EndgameSettings& settings);

struct FirstWinAnswer {
    int complete;  // 0: abandoned by the stop test
    int index;     // the first entry of moves after which side forces a win, or -1
    uint64_t nodes;
};

// Which of the moves (legal moves of side, in the order given) is the first that wins by
// force: the disc difference is above 0 under perfect play, so a draw is not a win.
FirstWinAnswer FindFirstWinningMove(const Board& board, Side side, std::span<const SquarePos> moves,
                                    const EndgameSettings& settings);

// The bytes the transposition table of the last search held.
size_t EndgameHashBytes();
