// Child processes for the monkey run: the game, a second copy of it, and the X tools.
#include "tests/monkey/game_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace monkey {
namespace {

const auto kStart = std::chrono::steady_clock::now();

std::vector<char*> ArgvOf(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return argv;
}

}  // namespace

GameProcess StartProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& dir, const std::string& name) {
    GameProcess process;
    process.outPath = dir + "/" + name + ".out";
    process.errPath = dir + "/" + name + ".err";
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv = ArgvOf(all);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, process.outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, 2, process.errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &files, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&files);
    process.pid = pid;
    return process;
}

std::optional<int> WaitForExit(GameProcess& process, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (process.pid > 0) {
        int status = 0;
        const pid_t done = waitpid(process.pid, &status, WNOHANG);
        if (done == process.pid) {
            process.pid = -1;
            return status;
        }
        if (done < 0 || std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        Sleep(0.02);
    }
    return std::nullopt;
}

std::string DescribeStatus(int status) {
    if (WIFEXITED(status)) return "exit " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) {
        const int sig = WTERMSIG(status);
        return "signal " + std::to_string(sig) + " (" + strsignal(sig) + ")";
    }
    return "status " + std::to_string(status);
}

double ProcessorSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(in, text)) return -1;
    // The command name may hold blanks and parentheses; the fields start after the last ')'.
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long user = 0, system = 0;
    // Fields 3..13 come before utime (14) and stime (15).
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) user = std::stoull(field);
        if (i == 15) system = std::stoull(field);
    }
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long ResidentKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

int RunTool(const std::vector<std::string>& args, double seconds, std::string* out) {
    int pipeFds[2] = {-1, -1};
    if (out && pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
    std::vector<char*> argv = ArgvOf(args);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    if (out)
        posix_spawn_file_actions_adddup2(&files, pipeFds[1], 1);
    else
        posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int failed = posix_spawnp(&pid, args[0].c_str(), &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (out) close(pipeFds[1]);
    if (failed) {
        if (out) close(pipeFds[0]);
        return -1;
    }
    if (out) {
        out->clear();
        fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);
    }
    GameProcess tool{pid, "", ""};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::optional<int> status;
    while (!status) {
        if (out) {
            char buffer[4096];
            ssize_t n;
            while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
                out->append(buffer, static_cast<size_t>(n));
        }
        status = WaitForExit(tool, 0);
        if (status) break;
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            WaitForExit(tool, 5);
            if (out) close(pipeFds[0]);
            return -1;
        }
        Sleep(0.005);
    }
    if (out) {
        char buffer[4096];
        ssize_t n;
        while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
            out->append(buffer, static_cast<size_t>(n));
        close(pipeFds[0]);
    }
    return WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

double SecondsSinceStart() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - kStart).count();
}

void Sleep(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

}  // namespace monkey
