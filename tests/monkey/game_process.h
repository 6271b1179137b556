// The program under test as a child process: started with its output in files, watched for
// processor time and resident memory through /proc, and waited for with a time-out. Also the
// short-lived helper tools (xdotool, wmctrl), which never get to block the run.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace monkey {

struct GameProcess {
    pid_t pid = -1;
    std::string outPath;
    std::string errPath;
};

// Starts program with args; its stdin is /dev/null, stdout and stderr go to files under dir.
// Returns a process with pid -1 when it could not be started.
GameProcess StartProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& dir, const std::string& name);

// The raw wait status once the process has ended, or nullopt if it still runs after seconds.
std::optional<int> WaitForExit(GameProcess& process, double seconds);

// "exit 0", "exit 3", "signal 11 (Segmentation fault)".
std::string DescribeStatus(int status);

// Processor time (user + system) the process has used, in seconds; -1 when it is gone.
double ProcessorSeconds(pid_t pid);
// Resident memory in kB (VmRSS); -1 when it is gone.
long ResidentKb(pid_t pid);

// Runs a helper tool by argument vector (no shell) and waits at most seconds for it; a tool
// that overstays is killed. Returns its exit code, or -1 when it failed or was killed.
int RunTool(const std::vector<std::string>& argv, double seconds = 5.0, std::string* out = nullptr);

std::string ReadWholeFile(const std::string& path);
double SecondsSinceStart();
void Sleep(double seconds);

}  // namespace monkey
