// The files the program reads at run time (the fontconfig rules) travel with it: they are found
// relative to the program's own folder, in the installed layout (../share/zantobel from bin or
// games) or in the build tree's copy, never at a path of the machine that built it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace desktop::core {

// The folder of the running program (from /proc/self/exe); empty when that cannot be read.
std::filesystem::path ProgramFolder();

// The folders searched, in order, for the run-time files of a program in `programFolder`.
std::vector<std::filesystem::path> RunTimeFolders(const std::filesystem::path& programFolder);

// Looks for `name` in those folders. True with `found` set when a readable regular file is
// there; otherwise false, and `problem` says in one line what was looked at and what was wrong.
bool FindRunTimeFile(const std::filesystem::path& programFolder, std::string_view name,
                     std::filesystem::path& found, std::string& problem);

}  // namespace desktop::core
