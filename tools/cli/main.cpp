// zantobel-cli: the game's engine without a window, for analysis, testing and timing. The
// answer is only as good as its delivery: output that cannot be written fails the run.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "tools/cli/cli.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

void PrintOverview(std::ostream& out) {
    out << "usage: zantobel-cli COMMAND [ARGUMENTS]\n\ncommands:\n";
    for (const cli::Command& command : cli::Commands()) {
        out << "  " << command.usage << "\n      " << command.summary << "\n";
    }
    out << "\nA POSITION is 64 characters for a1, b1, ..., h1, a2, ..., h8 (X black, O white,\n"
           "- empty), whitespace, then X or O for the side to move, as one argument (quote it\n"
           "in the shell); the word 'start' is the initial position.\n"
           "Exit codes: 0 done; 2 bad input, or output that could not be written; 130 stopped\n"
           "by Ctrl+C (perft and solve).\n"
           "`zantobel-cli COMMAND --help` describes one command; `zantobel-cli --version`\n"
           "prints the version.\n";
}

// The output is the same bytes on every system: no CR is added before each LF on Windows.
void UseBinaryOutput() {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
}

const cli::Command* FindCommand(const std::string& name) {
    for (const cli::Command& command : cli::Commands()) {
        if (name == command.name) return &command;
    }
    return nullptr;
}

int Run(int argc, char** argv) {
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
    const cli::Command* command = FindCommand(name);
    if (!command) {
        std::cerr << "zantobel-cli: unknown command '" << cli::Printable(name)
                  << "' (try zantobel-cli --help)\n";
        return cli::kExitBadInput;
    }
    std::vector<std::string> words(argv + 2, argv + argc);
    cli::Arguments arguments(*command, std::move(words));
    if (arguments.TakeFlag("--help") || arguments.TakeFlag("-h")) {
        std::cout << "usage: zantobel-cli " << command->usage << "\n\n" << command->help;
        return cli::kExitOk;
    }
    return command->run(arguments);
}

// Standard output is buffered, so a full disk or a closed file shows only when it is
// flushed: flush here, while the exit code can still say so.
int FinishOutput(const char* commandName, int code) {
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    const int error = errno;
    if (flushed && !std::ferror(stdout) && !std::cout.fail()) return code;
    std::cerr << "zantobel-cli" << (commandName ? std::string(" ") + commandName : "")
              << ": cannot write the output"
              << (error ? std::string(": ") + std::strerror(error) : std::string()) << "\n";
    return code == cli::kExitOk ? cli::kExitBadInput : code;
}

}  // namespace

int main(int argc, char** argv) {
    UseBinaryOutput();
    const int code = Run(argc, argv);
    const char* known = argc >= 2 && FindCommand(argv[1]) ? argv[1] : nullptr;
    return FinishOutput(known, code);
}
