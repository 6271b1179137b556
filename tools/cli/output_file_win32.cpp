// WriteOutputFile on Windows: the new file is written beside the old one, flushed to disk
// and moved over it in one step, so PATH holds either its old content or the whole new file.
// A device (CON, NUL) is written in place. Failures of the C library and of the system are
// both reported, so a full disk or a failed close is an error, never a short file.
#include "tools/cli/output_file.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>

#include <windows.h>

namespace cli {
namespace {

std::string ErrorText() {
    return std::strerror(errno);
}

std::string SystemErrorText(DWORD code) {
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == '.' || message.back() == ' '))
        message.pop_back();
    return message.empty() ? "system error " + std::to_string(code) : message;
}

bool WriteAndClose(FILE* file, bool sync, const std::function<bool(FILE*, std::string*)>& write,
                   std::string* problem) {
    bool ok = write(file, problem);
    if (ok && (std::fflush(file) != 0 || std::ferror(file))) {
        *problem = ErrorText();
        ok = false;
    }
    // The move must not overtake the data, or a crash could leave an empty file.
    if (ok && sync && _commit(_fileno(file)) != 0) {
        *problem = ErrorText();
        ok = false;
    }
    if (std::fclose(file) != 0 && ok) {
        *problem = ErrorText();
        ok = false;
    }
    return ok;
}

// True when the path names something other than a file on a disk (a console, NUL, a pipe).
bool IsDevice(const std::string& path) {
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const bool device = GetFileType(handle) != FILE_TYPE_DISK;
    CloseHandle(handle);
    return device;
}

bool WriteInPlace(const std::string& path, const std::function<bool(FILE*, std::string*)>& write,
                  std::string* problem) {
    FILE* file = std::fopen(path.c_str(), "r+b");
    if (!file) file = std::fopen(path.c_str(), "wb");
    if (!file) {
        *problem = ErrorText();
        return false;
    }
    return WriteAndClose(file, false, write, problem);
}

}  // namespace

bool WriteOutputFile(const std::string& path, const std::function<bool(FILE*, std::string*)>& write,
                     std::string* problem) {
    std::string detail;
    const auto fail = [&](const std::string& what) {
        *problem = "cannot write " + path + ": " + what;
        return false;
    };
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return fail("it is a directory");
    }
    if (IsDevice(path)) return WriteInPlace(path, write, &detail) || fail(detail);

    const size_t separator = path.find_last_of("/\\");
    const std::string directory =
        separator == std::string::npos ? "." : path.substr(0, separator + 1);
    char temporary[MAX_PATH + 1] = {};
    if (GetTempFileNameA(directory.c_str(), "zt", 0, temporary) == 0) {
        return fail("cannot create a temporary file beside it: " + SystemErrorText(GetLastError()));
    }
    FILE* file = std::fopen(temporary, "wb");
    if (!file) {
        detail = ErrorText();
        DeleteFileA(temporary);
        return fail(detail);
    }
    if (!WriteAndClose(file, true, write, &detail)) {
        DeleteFileA(temporary);
        return fail(detail);
    }
    if (!MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        detail = SystemErrorText(GetLastError());
        DeleteFileA(temporary);
        return fail(detail);
    }
    return true;
}

}  // namespace cli
