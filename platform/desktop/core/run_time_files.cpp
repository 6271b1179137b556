// Finding the program's run-time files relative to its own folder. The two relative paths come
// from the build (the installed layout and the build tree's copy); neither names the build
// machine.
#include "platform/desktop/core/run_time_files.h"

#include <fstream>
#include <system_error>

#if !defined(ZANTOBEL_DATA_FROM_PROGRAMS) || !defined(ZANTOBEL_BUILD_DATA_FROM_PROGRAMS)
#error "the build names the run-time folders relative to the programs (cmake/InstallLayout.cmake)"
#endif

namespace desktop::core {

namespace fs = std::filesystem;

fs::path ProgramFolder() {
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : program.parent_path();
}

std::vector<fs::path> RunTimeFolders(const fs::path& programFolder) {
    if (programFolder.empty()) return {};
    return {(programFolder / ZANTOBEL_DATA_FROM_PROGRAMS).lexically_normal(),
            (programFolder / ZANTOBEL_BUILD_DATA_FROM_PROGRAMS).lexically_normal()};
}

namespace {

// Why the file at `path` cannot be used, or empty when it can: it must be a regular file
// that opens and yields its first byte (an empty file is accepted as read).
std::string Unusable(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) return "not found";
    if (!fs::is_regular_file(status)) return "not a regular file";
    std::ifstream in(path, std::ios::binary);
    if (!in) return "cannot be opened";
    in.peek();
    if (in.bad()) return "cannot be read";
    return {};
}

}  // namespace

bool FindRunTimeFile(const fs::path& programFolder, std::string_view name, fs::path& found,
                     std::string& problem) {
    const std::vector<fs::path> folders = RunTimeFolders(programFolder);
    if (folders.empty()) {
        problem = "the program's own folder is unknown (/proc/self/exe cannot be read)";
        return false;
    }
    std::string tried;
    for (const fs::path& folder : folders) {
        const fs::path path = folder / name;
        const std::string why = Unusable(path);
        if (why.empty()) {
            found = path;
            return true;
        }
        if (!tried.empty()) tried += "; ";
        tried += path.string();
        tried += ": ";
        tried += why;
    }
    problem = std::string(name) + " is not usable (" + tried + ")";
    return false;
}

}  // namespace desktop::core
