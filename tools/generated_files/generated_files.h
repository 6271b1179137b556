// The front end that every asset generator shares: write the generated files into a folder,
// or check that the committed files in a folder are exactly what a fresh run generates.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace generated_files {

struct File {
    std::string name;  // relative to the folder; may name subfolders
    std::vector<uint8_t> bytes;
};

// Handles `PROGRAM OUTDIR` (write, making subfolders as needed) and `PROGRAM --check DIR`
// (compare); returns the exit code: 0 done or identical, 1 a file differs or cannot be
// written, 2 bad arguments.
int WriteOrCheck(int argc, char** argv, const std::string& program, const std::vector<File>& files);

}  // namespace generated_files
