// The table of commands.
#include "tools/cli/cli.h"

namespace cli {

int RunPerft(Arguments& arguments);
int RunLegal(Arguments& arguments);
int RunPlay(Arguments& arguments);

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"perft", "perft DEPTH [POSITION] [--time]",
         "count the move sequences of DEPTH plies (1..20) with the game's rules",
         "Counts the move sequences of DEPTH plies from POSITION (default: the start).\n"
         "A pass is a ply of its own; a game that ends early counts as one leaf.\n"
         "--time  also print the time taken and the leaves per second\n",
         RunPerft},
        {"legal", "legal POSITION", "list the legal moves of the side to move",
         "Prints the legal moves of the side to move in row-major order (d3 c4 f5 e6),\n"
         "or 'pass' when that side has none but the other has, or 'end' when neither has.\n",
         RunLegal},
        {"play", "play [--seed N]", "play one headless game through the match flow",
         "Plays one whole game through the match flow, driven by timer ticks, with a\n"
         "seeded random chooser for both sides. Prints the move record (passes omitted)\n"
         "and the result line 'black B white W'.\n"
         "--seed N  seed of the random generator (0..4294967295, default 1)\n",
         RunPlay},
    };
    return commands;
}

}  // namespace cli
