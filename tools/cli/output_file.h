// Writing an output file so that a failure never costs what was there: PATH ends up holding
// either its old content or the whole new file, never a part and never nothing.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace cli {

// Writes through write(file), which returns false (with *problem) when it fails. A regular
// file (or a new one) is written to a temporary file beside it that is renamed over it only
// once complete; the temporary file is removed on failure. A symbolic link stays a link and its
// target is replaced. Anything else (a device such as /dev/stdout, a pipe) is written in place
// and never removed. Returns false with a one-line *problem on any failure.
bool WriteOutputFile(const std::string& path, const std::function<bool(FILE*, std::string*)>& write,
                     std::string* problem);

}  // namespace cli
