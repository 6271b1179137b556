// Writing or checking generated files.
#include "tools/generated_files/generated_files.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace generated_files {

int WriteOrCheck(int argc, char** argv, const std::string& program,
                 const std::vector<File>& files) {
    const bool check = argc == 3 && std::string(argv[1]) == "--check";
    if (!(argc == 2 || check)) {
        std::cerr << "usage: " << program << " OUTDIR | --check DIR\n";
        return 2;
    }
    const std::string dir = argv[argc - 1];
    int failures = 0;
    for (const File& file : files) {
        const std::string path = dir + "/" + file.name;
        if (check) {
            std::ifstream in(path, std::ios::binary);
            const std::vector<uint8_t> committed((std::istreambuf_iterator<char>(in)),
                                                 std::istreambuf_iterator<char>());
            if (committed != file.bytes) {
                std::cerr << path << " differs from a fresh run of " << program << " ("
                          << committed.size() << " bytes, expected " << file.bytes.size() << ")\n";
                ++failures;
            }
            continue;
        }
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.bytes.data()),
                  static_cast<std::streamsize>(file.bytes.size()));
        if (!out) {
            std::cerr << program << ": cannot write " << path << "\n";
            return 1;
        }
    }
    return failures ? 1 : 0;
}

}  // namespace generated_files
