// Runs zantobel-cli as a separate process and captures what it prints, as a user sees it.
#pragma once

#include <string>
#include <vector>

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

// Arguments are passed as they are, without a shell in between.
CliRun RunCli(const std::vector<std::string>& arguments);
