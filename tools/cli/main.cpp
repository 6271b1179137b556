// zantobel-cli: the game's engine without a window, for analysis, testing and timing.
#include <iostream>

#include "tools/cli/cli.h"

namespace {

void PrintOverview(std::ostream& out) {
    out << "usage: zantobel-cli COMMAND [ARGUMENTS]\n\ncommands:\n";
    for (const cli::Command& command : cli::Commands()) {
        out << "  " << command.usage << "\n      " << command.summary << "\n";
    }
    out << "\nA POSITION is 64 characters for a1, b1, ..., h1, a2, ..., h8 (X black, O white,\n"
           "- empty), whitespace, then X or O for the side to move, as one argument (quote it\n"
           "in the shell); the word 'start' is the initial position.\n"
           "`zantobel-cli COMMAND --help` describes one command; `zantobel-cli --version`\n"
           "prints the version.\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintOverview(std::cerr);
        return cli::kExitBadInput;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "help" || name == "-h") {
        PrintOverview(std::cout);
        return cli::kExitOk;
    }
    if (name == "--version") {
        std::cout << "zantobel-cli " << ZANTOBEL_VERSION << "\n";
        return cli::kExitOk;
    }
    for (const cli::Command& command : cli::Commands()) {
        if (name != command.name) continue;
        std::vector<std::string> words(argv + 2, argv + argc);
        cli::Arguments arguments(command, std::move(words));
        if (arguments.TakeFlag("--help") || arguments.TakeFlag("-h")) {
            std::cout << "usage: zantobel-cli " << command.usage << "\n\n" << command.help;
            return cli::kExitOk;
        }
        return command.run(arguments);
    }
    std::cerr << "zantobel-cli: unknown command '" << name << "' (try zantobel-cli --help)\n";
    return cli::kExitBadInput;
}
