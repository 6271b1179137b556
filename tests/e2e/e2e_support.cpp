// Process, window and screenshot helpers for the end-to-end tests.
#include "tests/e2e/e2e_support.h"

#include <fcntl.h>
#include <png.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace e2e {

int Run(const std::string& command, std::string* out) {
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) return -1;
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        text.append(buffer, n);
    const int status = pclose(pipe);
    if (out) *out = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::optional<std::string> FindWindowByTitle(const std::string& pattern) {
    std::string out;
    if (Run("xdotool search --onlyvisible --name '" + pattern + "'", &out) != 0)
        return std::nullopt;
    std::istringstream lines(out);
    std::string id;
    if (std::getline(lines, id) && !id.empty()) return id;
    return std::nullopt;
}

bool WaitForWindow(const std::string& pattern, double seconds, std::string* id) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (auto found = FindWindowByTitle(pattern)) {
            if (id) *id = *found;
            return true;
        }
        SleepSeconds(0.1);
    }
    return false;
}

bool WaitForNoWindow(const std::string& pattern, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (!FindWindowByTitle(pattern)) return true;
        SleepSeconds(0.1);
    }
    return false;
}

bool LoadPng(const std::string& path, Image& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
    png.format = PNG_FORMAT_BGRA;
    std::vector<uint32_t> pixels(static_cast<size_t>(png.width) * png.height);
    if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) return false;
    for (uint32_t& p : pixels)
        p &= 0x00FFFFFF;
    image = {static_cast<int>(png.width), static_cast<int>(png.height), std::move(pixels)};
    return true;
}

bool SavePng(const Image& image, const std::string& path) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = image.width;
    png.height = image.height;
    png.format = PNG_FORMAT_BGRA;
    std::vector<uint32_t> opaque = image.pixels;
    for (uint32_t& p : opaque)
        p |= 0xFF000000u;
    return png_image_write_to_file(&png, path.c_str(), 0, opaque.data(), 0, nullptr) != 0;
}

Image Screenshot(const std::string& windowId) {
    char path[] = "/tmp/zantobel-shot-XXXXXX.png";
    const int fd = mkstemps(path, 4);
    if (fd >= 0) close(fd);
    Image image;
    if (Run("import -window " + windowId + " png:" + path) == 0) LoadPng(path, image);
    unlink(path);
    return image;
}

void ClickAt(const std::string& windowId, int x, int y) {
    Run("xdotool mousemove --sync --window " + windowId + " " + std::to_string(x) + " " +
        std::to_string(y) + " click 1");
}

void Keys(const std::string& windowId, const std::string& keys) {
    Run("xdotool windowfocus --sync " + windowId + " key --delay 60 " + keys);
}

void MenuKeys(const std::string& windowId, const std::string& keys) {
    Keys(windowId, "F10");
    // Keys typed before the drop-down is mapped are lost on a busy machine.
    SleepSeconds(0.8);
    Run("xdotool key --delay 120 " + keys);
}

std::optional<Rect> BoundsOfColour(const Image& image, uint32_t colour) {
    int left = image.width, top = image.height, right = -1, bottom = -1;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (image.At(x, y) != colour) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0) return std::nullopt;
    return Rect{left, top, right - left + 1, bottom - top + 1};
}

int Red(uint32_t c) {
    return (c >> 16) & 0xFF;
}
int Green(uint32_t c) {
    return (c >> 8) & 0xFF;
}
int Blue(uint32_t c) {
    return c & 0xFF;
}
int Luminance(uint32_t c) {
    return (299 * Red(c) + 587 * Green(c) + 114 * Blue(c)) / 1000;
}
bool Near(uint32_t a, uint32_t b, int tolerance) {
    return std::abs(Red(a) - Red(b)) <= tolerance && std::abs(Green(a) - Green(b)) <= tolerance &&
           std::abs(Blue(a) - Blue(b)) <= tolerance;
}

Process Start(const std::string& program, const std::vector<std::string>& args) {
    Process process;
    char outPath[] = "/tmp/zantobel-out-XXXXXX";
    char errPath[] = "/tmp/zantobel-err-XXXXXX";
    const int outFd = mkstemp(outPath);
    const int errFd = mkstemp(errPath);
    process.outPath = outPath;
    process.errPath = errPath;
    process.pid = fork();
    if (process.pid == 0) {
        dup2(outFd, 1);
        dup2(errFd, 2);
        const int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(outFd);
    close(errFd);
    return process;
}

std::optional<int> WaitForExit(Process& process, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (process.pid > 0) {
        int status = 0;
        const pid_t done = waitpid(process.pid, &status, WNOHANG);
        if (done == process.pid) {
            process.pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        SleepSeconds(0.05);
    }
    return std::nullopt;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void SleepSeconds(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

std::string ProgramUnderTest(const std::string& builtFor) {
    const char* program = std::getenv("ZANTOBEL_E2E_PROGRAM");
    return program && *program ? program : builtFor;
}

std::string OutputPath(const std::string& folder, const std::string& name) {
    const char* chosen = std::getenv("ZANTOBEL_E2E_OUT_DIR");
    return (chosen && *chosen ? std::string(chosen) : folder) + "/" + name;
}

}  // namespace e2e
