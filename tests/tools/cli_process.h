// Runs zantobel-cli as a separate process and captures what it prints, as a user sees it.
#pragma once

#include <string>
#include <vector>

struct CliRun {
    int exitCode;     // the process's exit code, or 128 + the signal that killed it
    bool signalled;   // killed by a signal rather than ending by itself
    std::string out;  // empty when standard output went to outPath
    std::string err;
};

struct CliSetting {
    std::string outPath;                 // standard output goes to this file (/dev/full...)
    long fileSizeLimit = -1;             // bytes any file may grow to, as on a full disk
    bool interruptOnceWatching = false;  // Ctrl+C as soon as the tool is ready to take it
};

// Arguments are passed as they are, without a shell in between.
CliRun RunCli(const std::vector<std::string>& arguments);
CliRun RunCli(const CliSetting& setting, const std::vector<std::string>& arguments);
