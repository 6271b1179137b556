// The temporary-file-and-rename write behind WriteOutputFile, with the checks that make a
// full disk or a failed close an error rather than a silently short file.
#include "tools/cli/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace cli {
namespace {

std::string ErrorText() {
    return std::strerror(errno);
}

// Runs the writer on an open stream and closes it; any error on the way fails it.
bool WriteAndClose(FILE* file, bool sync, const std::function<bool(FILE*, std::string*)>& write,
                   std::string* problem) {
    bool ok = write(file, problem);
    if (ok && (std::fflush(file) != 0 || std::ferror(file))) {
        *problem = ErrorText();
        ok = false;
    }
    // On disk the rename must not overtake the data, or a crash could leave an empty file.
    if (ok && sync && fsync(fileno(file)) != 0) {
        *problem = ErrorText();
        ok = false;
    }
    if (std::fclose(file) != 0 && ok) {
        *problem = ErrorText();
        ok = false;
    }
    return ok;
}

// A device, a pipe or a socket: written like a shell redirection, without truncating.
bool WriteInPlace(const std::string& path, const std::function<bool(FILE*, std::string*)>& write,
                  std::string* problem) {
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    FILE* file = fd >= 0 ? fdopen(fd, "wb") : nullptr;
    if (!file) {
        *problem = ErrorText();
        if (fd >= 0) close(fd);
        return false;
    }
    return WriteAndClose(file, false, write, problem);
}

mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

bool WriteOutputFile(const std::string& path, const std::function<bool(FILE*, std::string*)>& write,
                     std::string* problem) {
    std::string detail;
    const auto fail = [&](const std::string& what) {
        *problem = "cannot write " + path + ": " + what;
        return false;
    };
    struct stat existing {};
    const bool exists = stat(path.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT) return fail(ErrorText());
    if (exists && S_ISDIR(existing.st_mode)) return fail("it is a directory");
    if (exists && !S_ISREG(existing.st_mode)) {
        return WriteInPlace(path, write, &detail) || fail(detail);
    }

    // Replace what a link points to, not the link.
    std::string target = path;
    struct stat link {};
    if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (!exists) return fail("it is a link to nothing");
        char resolved[PATH_MAX];
        if (!realpath(path.c_str(), resolved)) return fail(ErrorText());
        target = resolved;
    }
    const size_t slash = target.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temporary =
        directory + (slash == std::string::npos ? "/" : "") + "." + name + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return fail("cannot create a temporary file beside it: " + ErrorText());
    // A replaced file keeps its permissions; a new one gets the usual ones.
    fchmod(fd, exists ? existing.st_mode & 07777 : NewFileMode());
    FILE* file = fdopen(fd, "wb");
    if (!file) {
        detail = ErrorText();
        close(fd);
        unlink(temporary.c_str());
        return fail(detail);
    }
    if (!WriteAndClose(file, true, write, &detail)) {
        unlink(temporary.c_str());
        return fail(detail);
    }
    if (rename(temporary.c_str(), target.c_str()) != 0) {
        detail = ErrorText();
        unlink(temporary.c_str());
        return fail(detail);
    }
    return true;
}

}  // namespace cli
