// Commands over the rules: perft and legal.
#include <chrono>
#include <cstdio>
#include <iostream>

#include "tools/cli/cli.h"
#include "tools/cli/interrupt.h"
#include "tools/cli/perft.h"

namespace cli {

int RunPerft(Arguments& arguments) {
    const bool timed = arguments.TakeFlag("--time");
    std::optional<std::string> depthText = arguments.TakePositional();
    if (!depthText) {
        arguments.Fail("missing DEPTH");
        return kExitBadInput;
    }
    std::optional<int64_t> depth = ParseInteger(arguments, "DEPTH", *depthText, 1, 20);
    if (!depth) return kExitBadInput;
    std::optional<notation::Position> position = notation::Position{InitialBoard(), kBlack};
    if (std::optional<std::string> text = arguments.TakePositional()) {
        position = ParsePositionArgument(arguments, *text);
        if (!position) return kExitBadInput;
    }
    if (!arguments.CheckNothingLeft()) return kExitBadInput;

    const auto start = std::chrono::steady_clock::now();
    uint64_t leaves = 0;
    {
        const InterruptWatch watch;
        leaves = Perft(position->board, position->sideToMove, static_cast<int>(*depth),
                       InterruptWatch::Flag());
        if (InterruptWatch::Requested()) return ReportInterrupted(arguments, start);
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::cout << leaves << "\n";
    if (timed) {
        std::printf("time %.3f s, %.1f million leaves per second\n", elapsed.count(),
                    elapsed.count() > 0 ? leaves / elapsed.count() / 1e6 : 0.0);
    }
    return kExitOk;
}

int RunLegal(Arguments& arguments) {
    std::optional<notation::Position> position = TakePositionArgument(arguments);
    if (!position || !arguments.CheckNothingLeft()) return kExitBadInput;

    SquarePos moves[64];
    const int count = ListLegalMoves(position->board, moves, position->sideToMove);
    if (count == 0) {
        SquarePos replies[64];
        const bool over =
            ListLegalMoves(position->board, replies, Opponent(position->sideToMove)) == 0;
        std::cout << (over ? "end" : "pass") << "\n";
        return kExitOk;
    }
    for (int i = 0; i < count; ++i) {
        std::cout << (i ? " " : "") << notation::SquareName(moves[i]);
    }
    std::cout << "\n";
    return kExitOk;
}

}  // namespace cli
