// Argument reading and error reporting for the command-line tool.
#include <charconv>
#include <iostream>

#include "tools/cli/cli.h"

namespace cli {

Arguments::Arguments(const Command& command, std::vector<std::string> words)
    : command_(command), words_(std::move(words)) {}

bool Arguments::TakeFlag(std::string_view name) {
    for (auto it = words_.begin(); it != words_.end(); ++it) {
        if (*it == name) {
            words_.erase(it);
            return true;
        }
    }
    return false;
}

std::optional<std::string> Arguments::TakeOption(std::string_view name) {
    for (auto it = words_.begin(); it != words_.end(); ++it) {
        if (*it != name) continue;
        if (it + 1 == words_.end()) {
            Fail("option " + std::string(name) + " needs a value");
            words_.erase(it);
            return std::nullopt;
        }
        std::string value = *(it + 1);
        words_.erase(it, it + 2);
        return value;
    }
    return std::nullopt;
}

std::optional<int64_t> Arguments::TakeIntegerOption(std::string_view name, int64_t low,
                                                    int64_t high, int64_t fallback) {
    std::optional<std::string> text = TakeOption(name);
    if (!text) return failed_ ? std::nullopt : std::optional<int64_t>(fallback);
    return ParseInteger(*this, name, *text, low, high);
}

std::optional<std::string> Arguments::TakePositional() {
    for (auto it = words_.begin(); it != words_.end(); ++it) {
        if (notation::LooksLikeOption(*it)) continue;
        std::string value = *it;
        words_.erase(it);
        return value;
    }
    return std::nullopt;
}

bool Arguments::CheckNothingLeft() {
    if (failed_) return false;
    if (words_.empty()) return true;
    const std::string& word = words_.front();
    if (notation::LooksLikeOption(word)) {
        Fail("unknown option '" + word + "'");
    } else {
        Fail("unexpected extra argument '" + word + "'");
    }
    return false;
}

void Arguments::Fail(const std::string& message) {
    if (failed_) return;
    failed_ = true;
    // The message quotes arguments as they were typed; escaping it whole keeps it one line
    // that cannot steer the terminal, whatever an argument held.
    std::cerr << "zantobel-cli " << command_.name << ": " << Printable(message) << "\n";
}

std::optional<notation::Position> ParsePositionArgument(Arguments& arguments,
                                                        const std::string& text) {
    notation::Position position;
    notation::TextError error;
    if (!notation::ParsePosition(text, position, error)) {
        arguments.Fail("position: " + error.message + " at character " +
                       std::to_string(error.offset));
        return std::nullopt;
    }
    return position;
}

std::optional<notation::Position> TakePositionArgument(Arguments& arguments) {
    const std::optional<std::string> text = arguments.TakePositional();
    if (!text) {
        arguments.Fail("missing POSITION");
        return std::nullopt;
    }
    return ParsePositionArgument(arguments, *text);
}

std::optional<int64_t> ParseInteger(Arguments& arguments, std::string_view what,
                                    const std::string& text, int64_t low, int64_t high) {
    int64_t value = 0;
    const char* end = text.data() + text.size();
    auto [rest, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || rest != end) {
        arguments.Fail(std::string(what) + ": '" + text + "' is not a whole number");
        return std::nullopt;
    }
    if (value < low || value > high) {
        arguments.Fail(std::string(what) + ": " + text + " is out of range " + std::to_string(low) +
                       ".." + std::to_string(high));
        return std::nullopt;
    }
    return value;
}

}  // namespace cli
