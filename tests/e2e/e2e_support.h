// Driving the real program on a virtual display as a person would: start it, find its
// windows by title, click and type with xdotool, and read screenshots pixel by pixel.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool Empty() const { return pixels.empty(); }
};

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

struct Point {
    int x;
    int y;
};

// The scene's background colour, by which the tests find the scene area in a screenshot.
constexpr uint32_t kBackground = 0x663F00;

// Runs a shell command; returns its exit code and what it printed on stdout.
int Run(const std::string& command, std::string* out = nullptr);

// The X window id of the first window whose title matches the pattern, or nullopt.
std::optional<std::string> FindWindowByTitle(const std::string& pattern);
bool WaitForWindow(const std::string& pattern, double seconds, std::string* id = nullptr);
bool WaitForNoWindow(const std::string& pattern, double seconds);

Image Screenshot(const std::string& windowId);
bool SavePng(const Image& image, const std::string& path);
bool LoadPng(const std::string& path, Image& image);

// Moves the pointer to (x, y) of the window and clicks the left button once.
void ClickAt(const std::string& windowId, int x, int y);
void Keys(const std::string& windowId, const std::string& keys);
// Opens the window's menu bar with F10 and, once the drop-down is up, types the keys.
void MenuKeys(const std::string& windowId, const std::string& keys);

// The bounding box of the pixels of exactly this colour.
std::optional<Rect> BoundsOfColour(const Image& image, uint32_t colour);

int Red(uint32_t c);
int Green(uint32_t c);
int Blue(uint32_t c);
int Luminance(uint32_t c);
bool Near(uint32_t a, uint32_t b, int tolerance);

// A started program with its output captured in files.
struct Process {
    pid_t pid = -1;
    std::string outPath;
    std::string errPath;
};
Process Start(const std::string& program, const std::vector<std::string>& args = {});
// Waits for the process to end; its exit code, or nullopt on time-out.
std::optional<int> WaitForExit(Process& process, double seconds);
std::string ReadFile(const std::string& path);

void SleepSeconds(double seconds);

// The program under test: ZANTOBEL_E2E_PROGRAM when set (the Windows build runs the same cases
// on zantobel.exe under Wine that way), else the one the tests were built for.
std::string ProgramUnderTest(const std::string& builtFor);
// Where a picture of the run goes: into ZANTOBEL_E2E_OUT_DIR when set, else into folder.
std::string OutputPath(const std::string& folder, const std::string& name);

}  // namespace e2e
