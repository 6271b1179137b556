// The render command: builds the game's own 3D scene for a position (discs, shadows and the
// legal-move markers of the side to move) through the view on the fake desktop, renders one
// frame and writes it as a PNG file.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "game/match_flow.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/fake/fake_desktop.h"
#include "platform/retained/device.h"
#include "tools/cli/cli.h"
#include "tools/cli/output_file.h"
#include "tools/cli/png_file.h"
#include "view/picking_camera.h"
#include "view/renderer.h"
#include "view/scene.h"

namespace cli {
namespace {

// The picture is drawn by the game's own 3D device, so its size has the device's bounds; the
// help texts state the same numbers.
constexpr int kMaxSide = retained::detail::kMaxDeviceSide;
constexpr int64_t kMaxPixels = retained::detail::kMaxDevicePixels;
static_assert(kMaxSide == 16384 && kMaxPixels == 40000000,
              "the render and squares help texts state these bounds");
constexpr int kMaxCameraSteps = 10000;

// Both sides within bounds (checked on reading) and the whole within the device's pixels.
bool CheckPictureSize(Arguments& arguments, int64_t width, int64_t height) {
    if (width * height <= kMaxPixels) return true;
    arguments.Fail("--width and --height: " + std::to_string(width) + " x " +
                   std::to_string(height) + " is " + std::to_string(width * height) +
                   " pixels, more than the " + std::to_string(kMaxPixels) +
                   " the 3D device can draw");
    return false;
}

desktop::LRESULT RenderWindowProc(desktop::HWND hwnd, desktop::UINT message, desktop::WPARAM wParam,
                                  desktop::LPARAM lParam) {
    return desktop::DefWindowProc(hwnd, message, wParam, lParam);
}

std::optional<retained::D3DRMRENDERQUALITY> ParseQuality(Arguments& arguments,
                                                         const std::string& text) {
    if (text == "flat") return retained::D3DRMRENDER_FLAT;
    if (text == "gouraud") return retained::D3DRMRENDER_GOURAUD;
    if (text == "wireframe") return retained::D3DRMRENDER_WIREFRAME;
    arguments.Fail("--quality must be flat, gouraud or wireframe, not '" + text + "'");
    return std::nullopt;
}

struct CameraSteps {
    int left;
    int up;
};

std::optional<CameraSteps> ParseCamera(Arguments& arguments, const std::string& text) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos) {
        arguments.Fail("--camera must be LEFT,UP (two integers), not '" + text + "'");
        return std::nullopt;
    }
    const std::optional<int64_t> left = ParseInteger(
        arguments, "--camera LEFT", text.substr(0, comma), -kMaxCameraSteps, kMaxCameraSteps);
    if (!left) return std::nullopt;
    const std::optional<int64_t> up = ParseInteger(arguments, "--camera UP", text.substr(comma + 1),
                                                   -kMaxCameraSteps, kMaxCameraSteps);
    if (!up) return std::nullopt;
    return CameraSteps{static_cast<int>(*left), static_cast<int>(*up)};
}

// The view's start-up on a window whose scene area is width x height, then the position
// and the camera steps; use(window) runs on the finished scene. Returns an empty string, or
// what failed.
template <typename Use>
std::string WithScene(const notation::Position& position, int width, int height,
                      retained::D3DRMRENDERQUALITY quality, CameraSteps camera, Use use) {
    desktop::fake::Reset();
    desktop::WNDCLASS windowClass{};
    windowClass.lpfnWndProc = RenderWindowProc;
    windowClass.lpszClassName = "ZantobelRender";
    if (!desktop::RegisterClass(&windowClass)) return "cannot register the window class";
    desktop::HWND window =
        desktop::CreateWindowEx(0, "ZantobelRender", "render", desktop::WS_OVERLAPPEDWINDOW, 0, 0,
                                width, height, nullptr, nullptr, nullptr, nullptr);
    if (!window) return "cannot create the window";
    // The window's client area holds the scene and, below it, the status bar's strip.
    const int strip = desktop::GetSystemMetrics(desktop::SM_CYEDGE) + 20;
    desktop::fake::SetClientSize(window, width, height + strip);

    std::string problem;
    if (!InitRenderer(window)) {
        problem = "cannot create the 3D root";
    } else {
        gRenderSettings.quality = quality;
        if (!CreateDevice(window)) {
            problem = "cannot create the 3D device";
        } else if (!BuildSceneMeshes()) {
            problem = "cannot load the disc mesh";
        }
    }
    if (problem.empty()) {
        gMatch.board = position.board;
        gMatch.sideToMove = position.sideToMove;
        RebuildDiscs();
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                if (IsLegalMove(position.board, x, y, position.sideToMove)) AddMoveMarker(x, y);
            }
        }
        for (int i = 0; i < (camera.left < 0 ? -camera.left : camera.left); ++i) {
            OrbitCamera(camera.left > 0 ? -kOrbitStep : kOrbitStep);
        }
        for (int i = 0; i < (camera.up < 0 ? -camera.up : camera.up); ++i) {
            ShiftCameraHeight(camera.up > 0 ? kHeightStep : -kHeightStep);
        }
        problem = use(window);
    }
    ReleaseRenderer();
    desktop::DestroyWindow(window);
    desktop::fake::Reset();
    return problem;
}

}  // namespace

int RunRender(Arguments& arguments) {
    const std::optional<std::string> out = arguments.TakeOption("--out");
    const std::optional<int64_t> width = arguments.TakeIntegerOption("--width", 1, kMaxSide, 640);
    const std::optional<int64_t> height = arguments.TakeIntegerOption("--height", 1, kMaxSide, 480);
    const std::optional<std::string> qualityText = arguments.TakeOption("--quality");
    const std::optional<std::string> cameraText = arguments.TakeOption("--camera");
    if (arguments.failed() || !width || !height) return kExitBadInput;
    if (!CheckPictureSize(arguments, *width, *height)) return kExitBadInput;
    if (!out || out->empty()) {
        arguments.Fail("missing --out FILE.png");
        return kExitBadInput;
    }
    std::optional<retained::D3DRMRENDERQUALITY> quality = retained::D3DRMRENDER_FLAT;
    if (qualityText) quality = ParseQuality(arguments, *qualityText);
    if (!quality) return kExitBadInput;
    std::optional<CameraSteps> camera = CameraSteps{0, 0};
    if (cameraText) camera = ParseCamera(arguments, *cameraText);
    if (!camera) return kExitBadInput;
    std::optional<notation::Position> position = notation::Position{InitialBoard(), kBlack};
    if (std::optional<std::string> text = arguments.TakePositional()) {
        position = ParsePositionArgument(arguments, *text);
        if (!position) return kExitBadInput;
    }
    if (!arguments.CheckNothingLeft()) return kExitBadInput;

    desktop::fake::PresentedImage image;
    const std::string problem =
        WithScene(*position, static_cast<int>(*width), static_cast<int>(*height), *quality, *camera,
                  [&](desktop::HWND window) -> std::string {
                      ::RenderScene();
                      image = desktop::fake::LastPresented(window);
                      if (image.width != *width || image.height != *height) {
                          return "no image was presented";
                      }
                      return "";
                  });
    if (!problem.empty()) {
        arguments.Fail(problem);
        return kExitBadInput;
    }
    std::string problemWriting;
    const auto writePng = [&image](FILE* file, std::string* why) {
        return WritePng(file, image.pixels.data(), image.width, image.height, why);
    };
    if (!WriteOutputFile(*out, writePng, &problemWriting)) {
        arguments.Fail(problemWriting);
        return kExitBadInput;
    }
    return kExitOk;
}

}  // namespace cli

namespace cli {

// Where each square's centre lands on the screen for a scene area of that size and camera:
// the end-to-end tests click there and read the pixels there.
int RunSquares(Arguments& arguments) {
    const std::optional<int64_t> width = arguments.TakeIntegerOption("--width", 1, kMaxSide, 640);
    const std::optional<int64_t> height = arguments.TakeIntegerOption("--height", 1, kMaxSide, 480);
    const std::optional<std::string> cameraText = arguments.TakeOption("--camera");
    if (arguments.failed() || !width || !height) return kExitBadInput;
    if (!CheckPictureSize(arguments, *width, *height)) return kExitBadInput;
    std::optional<CameraSteps> camera = CameraSteps{0, 0};
    if (cameraText) camera = ParseCamera(arguments, *cameraText);
    if (!camera || !arguments.CheckNothingLeft()) return kExitBadInput;

    std::string lines;
    const std::string problem = WithScene(
        notation::Position{InitialBoard(), kBlack}, static_cast<int>(*width),
        static_cast<int>(*height), retained::D3DRMRENDER_FLAT, *camera,
        [&](desktop::HWND) -> std::string {
            for (int y = 0; y < 8; ++y) {
                for (int x = 0; x < 8; ++x) {
                    const retained::D3DVECTOR centre{2.0f * x - 7, 2.0f * y - 7, 0};
                    retained::D3DVECTOR screen{};
                    if (gScene.viewport->Transform(&screen, &centre) < 0) {
                        return "cannot project the square " + notation::SquareName({x, y});
                    }
                    char line[64];
                    std::snprintf(line, sizeof line, "%s %.2f %.2f\n",
                                  notation::SquareName({x, y}).c_str(), screen.x, screen.y);
                    lines += line;
                }
            }
            return "";
        });
    if (!problem.empty()) {
        arguments.Fail(problem);
        return kExitBadInput;
    }
    std::cout << lines;
    return kExitOk;
}

}  // namespace cli
