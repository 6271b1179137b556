// The command-line tool's shared pieces: the command table entry, argument reading with
// clear errors, and the one way a command reports bad input (one line on stderr, exit 2).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/notation/notation.h"

namespace cli {

constexpr int kExitOk = 0;
// Bad input, and output that could not be written (a full disk, a closed terminal).
constexpr int kExitBadInput = 2;
// A long count or search stopped by Ctrl+C: the shell's own code for a death by SIGINT, so a
// script sees the same whether the tool stopped by itself or was killed.
constexpr int kExitInterrupted = 130;

class Arguments;

struct Command {
    const char* name;
    const char* usage;    // one line: "perft DEPTH [POSITION]"
    const char* summary;  // one line for the command list
    const char* help;     // the text of `COMMAND --help`, after the usage line
    int (*run)(Arguments& arguments);
};

// The arguments after the command name. Options are taken by name wherever they stand;
// what remains are the positional arguments, in order.
class Arguments {
  public:
    Arguments(const Command& command, std::vector<std::string> words);

    const Command& command() const { return command_; }

    // "--name" present (and removed).
    bool TakeFlag(std::string_view name);
    // "--name VALUE": the value, or nullopt when absent; reports a missing value.
    std::optional<std::string> TakeOption(std::string_view name);
    // An integer option within [low, high]; fallback when absent.
    std::optional<int64_t> TakeIntegerOption(std::string_view name, int64_t low, int64_t high,
                                             int64_t fallback);

    // The next positional argument, if any.
    std::optional<std::string> TakePositional();
    // After all options were taken: an unknown option or a leftover argument is an error.
    bool CheckNothingLeft();

    // Reports a problem with the input once; later reports are dropped so the first one
    // stands alone on stderr.
    void Fail(const std::string& message);
    bool failed() const { return failed_; }

  private:
    const Command& command_;
    std::vector<std::string> words_;
    bool failed_ = false;
};

// Parses a position argument, reporting "position: <problem> at character N".
std::optional<notation::Position> ParsePositionArgument(Arguments& arguments,
                                                        const std::string& text);
// Takes the next positional argument as a position: "missing POSITION" when there is none.
std::optional<notation::Position> TakePositionArgument(Arguments& arguments);
// Parses an integer argument; reports what it was meant to be.
std::optional<int64_t> ParseInteger(Arguments& arguments, std::string_view what,
                                    const std::string& text, int64_t low, int64_t high);

// The text with every byte that could steer a terminal shown as an escape (\n, \t, \r,
// \xHH): control characters, DEL, C1 controls, text-direction overrides and bytes that are
// not UTF-8. Other text, Japanese included, passes unchanged; the result is one line.
std::string Printable(std::string_view text);

// Every command of the tool.
const std::vector<Command>& Commands();

}  // namespace cli
