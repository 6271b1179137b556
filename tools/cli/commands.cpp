// The table of commands.
#include "tools/cli/cli.h"

namespace cli {

int RunPerft(Arguments& arguments);
int RunLegal(Arguments& arguments);
int RunPlay(Arguments& arguments);
int RunMove(Arguments& arguments);
int RunSolve(Arguments& arguments);
int RunBook(Arguments& arguments);
int RunBench(Arguments& arguments);
int RunEndgame(Arguments& arguments);
int RunRender(Arguments& arguments);
int RunSquares(Arguments& arguments);

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"perft", "perft DEPTH [POSITION] [--time]",
         "count the move sequences of DEPTH plies (1..20) with the game's rules",
         "Counts the move sequences of DEPTH plies from POSITION (default: the start).\n"
         "A pass is a ply of its own; a game that ends early counts as one leaf.\n"
         "--time  also print the time taken and the leaves per second\n"
         "The count and the time grow about nine-fold with each further ply: from the start,\n"
         "on a busy 2-core machine, depth 11 (212 million leaves) took 8 s and depth 12\n"
         "(1.9 billion) 81 s, so depth 14 takes hours, 16 days, 18 a year or more and 20 a\n"
         "century.\n"
         "Ctrl+C stops the count: one line on stderr, nothing on stdout, exit code 130.\n",
         RunPerft},
        {"legal", "legal POSITION", "list the legal moves of the side to move",
         "Prints the legal moves of the side to move in row-major order (d3 c4 f5 e6),\n"
         "or 'pass' when that side has none but the other has, or 'end' when neither has.\n",
         RunLegal},
        {"play",
         "play [--black LEVEL] [--white LEVEL] [--seed N] [--games K] [--clock real|counted]",
         "play whole headless games between two skill levels through the match flow",
         "Plays K whole games through the match flow, driven by timer ticks, the first level\n"
         "with black and the second with white; with K > 1 the colours alternate. Prints each\n"
         "game's move record (passes omitted) and the result line 'black B white W'; with any\n"
         "option but --seed, each game is headed 'game I black LEVEL white LEVEL' and a line\n"
         "'LEVEL wins W losses L draws D' per level follows the games.\n"
         "LEVEL is fool, poor, normal, expert or master (default fool for both).\n"
         "--seed N   seed of the random generator, once before the first game (default 1)\n"
         "--games K  number of games, 1..100000 (default 1)\n"
         "--clock    real: MASTER's 3000 ms budget is wall-clock time (default);\n"
         "           counted: the clock advances 1 ms per reading, so a run depends on the\n"
         "           seed alone\n",
         RunPlay},
        {"move", "move --level LEVEL [--seed N] [--history MOVES] [--clock real|counted] POSITION",
         "the move a skill level chooses in a position",
         "Prints the move the level chooses for the side to move, or 'pass' when that side has\n"
         "no move but the other has, or 'end' when neither has.\n"
         "LEVEL is fool, poor, normal, expert or master.\n"
         "--seed N         the generator is seeded with N right before the choice (default 1)\n"
         "--history MOVES  the moves played so far, for the opening book: concatenated\n"
         "                 squares (f5d6c3), at most 60; - for none\n"
         "--clock          as for play\n",
         RunMove},
        {"solve", "solve POSITION", "solve a position exactly: the winning move, if any",
         "Searches to the end of the game in exact mode (a win is 9999, a loss or a draw\n"
         "-9999) and prints 'move SQUARE value VALUE steps STEPS', STEPS being the number of\n"
         "search steps; or 'pass' / 'end' when the side to move has no move.\n"
         "The time grows three- to seven-fold with each further empty square, depending on\n"
         "the position: on a busy 2-core machine 14 empty squares took 0.4 s, 16 took 2 s,\n"
         "18 a minute and a half, 20 more than five minutes; the start (60) would take\n"
         "longer than anyone can wait.\n"
         "Ctrl+C stops the search: one line on stderr, nothing on stdout, exit code 130.\n",
         RunSolve},
        {"endgame", "endgame [--wld] [--threads N] [--hash MB] POSITION",
         "solve an end game with the fast solver: the score under perfect play and a move",
         "Prints 'move SQUARE score SCORE nodes NODES time MS': SCORE is the disc difference\n"
         "for the side to move under perfect play by both sides, the empty squares counted\n"
         "for the winner, and SQUARE a move that reaches it ('pass' when the side must pass,\n"
         "'end' when the game is over).\n"
         "--wld        the score is only win (1), draw (0) or loss (-1)\n"
         "--threads N  search threads, 1..16 (default 1); the answer does not depend on it\n"
         "--hash MB    size of the transposition table, 1..1024 (default 32)\n",
         RunEndgame},
        {"book", "book [--seed N] HISTORY", "the opening book's answer after a history",
         "Seeds the generator with N (default 1), asks the opening book for a continuation of\n"
         "HISTORY (concatenated squares, at most 60 moves; - for none) and prints it, or\n"
         "'none'.\n",
         RunBook},
        {"bench", "bench [--horizon [--stepwise]] [--endgame [--suite FILE]]",
         "search a fixed set of positions; print the signature",
         "Searches four middle-game positions at depth 8 and solves ten end-game positions\n"
         "with 14 empty squares; prints the steps and steps per second of each part and\n"
         "'signature N', the total number of search steps, which changes only when the\n"
         "search order changes.\n"
         "--horizon  instead, for 14, 15, ... empty squares, solves ten positions of FOOL's\n"
         "           self-play and prints how many finish within 3000 ms; the horizon is the\n"
         "           largest count at which at least 9 of 10 do, with MASTER's exact\n"
         "           search (--stepwise: with the stepwise search instead)\n"
         "--endgame  instead, solves twenty seeded positions with 20 empty squares with the\n"
         "           fast solver, for win/draw/loss and exactly, and prints nodes and times;\n"
         "           --suite FILE solves the problems of FILE and checks their scores and\n"
         "           best moves (--threads N and --hash MB as for endgame)\n",
         RunBench},
        {"render",
         "render --out FILE.png [--width W] [--height H] [--quality flat|gouraud|wireframe] "
         "[--camera LEFT,UP] [POSITION]",
         "draw the game's 3D board for a position into a PNG file",
         "Builds the game's scene for POSITION (default: the start): the discs with their\n"
         "shadows and the markers on the legal squares of the side to move, renders one frame\n"
         "as the game's window shows it and writes it to FILE.png.\n"
         "The picture goes to a temporary file beside FILE.png that replaces it only once it\n"
         "is complete: a failed write (a full disk) leaves FILE.png as it was. A FILE that\n"
         "is a device or a pipe (/dev/stdout) is written in place and never removed.\n"
         "--width W, --height H  size of the picture: each 1..16384 and at most 40000000\n"
         "                       pixels in all, the 3D device's bounds (default 640 x 480)\n"
         "--quality              shading of the device (default flat)\n"
         "--camera LEFT,UP       presses of the left and up arrow keys before the frame;\n"
         "                       negative counts press right and down instead\n",
         RunRender},
        {"squares", "squares [--width W] [--height H] [--camera LEFT,UP]",
         "print where each square's centre lands on the screen",
         "Builds the scene as the game does for a scene area of W x H pixels (default\n"
         "640 x 480; bounds as for render), applies LEFT left-arrow and UP up-arrow camera steps "
         "(negative for right\n"
         "and down), and prints one line per square: its name and the pixel (x, y) of its\n"
         "centre, measured from the scene area's top-left corner.\n",
         RunSquares},
    };
    return commands;
}

}  // namespace cli
