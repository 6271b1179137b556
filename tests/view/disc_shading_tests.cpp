// How the discs read on screen: the top of a black disc is dark and the top of a white one is
// white at every camera the arrow keys reach, in flat and Gouraud shading, and the specular
// highlight lights a small part of a black disc, never its whole top.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

#include "view/picking_camera.h"
#include "view_test_support.h"

namespace view_test {
namespace {

using namespace retained;

// The camera after LEFT presses of the left arrow (negative: right arrow) and UP presses of
// the up arrow (negative: down arrow), from the start-up camera.
struct Camera {
    int left;
    int up;
};

// The heights the arrow keys reach: 25 presses up and 22 down from the start.
constexpr int kLowestUp = -22;
constexpr int kHighestUp = 25;

double Luminance(uint32_t colour) {
    const double r = (colour >> 16) & 0xFF, g = (colour >> 8) & 0xFF, b = colour & 0xFF;
    return 0.2126 * r + 0.7152 * g + 0.0722 * b;
}

// What the pixels of one disc show.
struct DiscReading {
    double topMean = 0;  // mean luminance of the flat top
    double topBrightest = 0;
    double litShare = 0;        // share of the top's pixels brighter than half white
    double bevelBrightest = 0;  // brightest pixel of the bevel around the top
    int topPixels = 0;
};

class DiscShadingTest : public ViewTest {
  protected:
    // One black disc on c6 and one white disc on f3, far from each other and from every
    // marker, so no neighbour hides a top at any camera.
    void SetUp() override {
        ViewTest::SetUp();
        gMatch.board = Board{};
        gMatch.board[5 * 8 + 2] = kBlack;
        gMatch.board[2 * 8 + 5] = kWhite;
        StartView();
    }

    void Render(DWORD quality, Camera camera, int width = kSceneWidth, int height = kSceneHeight) {
        // Back to the start-up camera, then the presses.
        gScene.cameraPivot->AddRotation(D3DRMCOMBINE_REPLACE, 0, 0, 1, 0);
        gScene.cameraFrame->SetPosition(gScene.cameraPivot, 50, 0, -80);
        gScene.cameraFrame->LookAt(gScene.cameraPivot, gScene.sceneFrame, D3DRMCONSTRAIN_Y);
        for (int i = 0; i < std::abs(camera.left); ++i)
            OrbitCamera(camera.left > 0 ? -kOrbitStep : kOrbitStep);
        for (int i = 0; i < std::abs(camera.up); ++i)
            ShiftCameraHeight(camera.up > 0 ? kHeightStep : -kHeightStep);
        gRenderSettings.quality = quality;
        ASSERT_NE(RecreateDevice(window, width, height), 0);
        RenderScene();
        image = desktop::fake::LastPresented(window);
        ASSERT_EQ(image.width, width);
    }

    // The pixels a set of scene points land on, each once.
    std::set<std::pair<int, int>> PixelsOf(const std::vector<D3DVECTOR>& points) {
        std::set<std::pair<int, int>> pixels;
        for (const D3DVECTOR& world : points) {
            D3DVECTOR screen{};
            if (gScene.viewport->Transform(&screen, &world) < 0) continue;
            const int x = static_cast<int>(screen.x), y = static_cast<int>(screen.y);
            if (x >= 0 && y >= 0 && x < image.width && y < image.height) pixels.insert({x, y});
        }
        return pixels;
    }

    uint32_t At(std::pair<int, int> p) const {
        return image.pixels[static_cast<size_t>(p.second) * image.width + p.first] & 0xFFFFFF;
    }

    // The disc resting on the square centred at (cx, cy): its top is the flat face 0.4 above
    // the board (radius 0.88); the points stay a little inside its edge so no pixel is shared
    // with the bevel, which is sampled on its own just outside.
    DiscReading Read(float cx, float cy) {
        std::vector<D3DVECTOR> top, bevel;
        for (int ring = 0; ring <= 14; ++ring) {
            const float r = 0.05f * ring;
            for (int step = 0; step < 72; ++step) {
                const float a = step * 3.14159265f / 36;
                top.push_back({cx + r * std::cos(a), cy + r * std::sin(a), -0.4f});
            }
        }
        for (int step = 0; step < 144; ++step) {
            const float a = step * 3.14159265f / 72;
            const float c = std::cos(a), s = std::sin(a);
            bevel.push_back({cx + 0.895f * c, cy + 0.895f * s, -0.385f});
        }
        DiscReading reading;
        const auto topPixels = PixelsOf(top);
        for (const auto& p : topPixels) {
            const double y = Luminance(At(p));
            reading.topMean += y;
            reading.topBrightest = std::max(reading.topBrightest, y);
            reading.litShare += y > 127.5;
        }
        reading.topPixels = static_cast<int>(topPixels.size());
        if (reading.topPixels > 0) {
            reading.topMean /= reading.topPixels;
            reading.litShare /= reading.topPixels;
        }
        for (const auto& p : PixelsOf(bevel)) {
            if (topPixels.count(p)) continue;
            reading.bevelBrightest = std::max(reading.bevelBrightest, Luminance(At(p)));
        }
        return reading;
    }

    DiscReading Black() { return Read(-3, 3); }
    DiscReading White() { return Read(3, -3); }

    desktop::fake::PresentedImage image;
};

// Three cameras: the start-up one; five presses right and fifteen up, where the sun is
// mirrored in a flat top; and twenty-eight presses left, with the sun behind the camera,
// where the bevels turned toward it catch the light.
TEST_F(DiscShadingTest, BlackReadsDarkWhiteReadsWhiteAndTheHighlightIsASpot) {
    struct Case {
        Camera camera;
        DWORD quality;
        // The brightest pixel of the black disc's top and bevel must reach this: the
        // highlight shows here.
        double glintAtLeast;
    } const cases[] = {
        {{0, 0}, D3DRMRENDER_FLAT, 0},    {{0, 0}, D3DRMRENDER_GOURAUD, 64},
        {{-5, 15}, D3DRMRENDER_FLAT, 0},  {{-5, 15}, D3DRMRENDER_GOURAUD, 0},
        {{28, 0}, D3DRMRENDER_FLAT, 200}, {{28, 0}, D3DRMRENDER_GOURAUD, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "camera " << c.camera.left << "," << c.camera.up
                                          << " quality " << std::hex << c.quality);
        Render(c.quality, c.camera);
        const DiscReading black = Black(), white = White();
        ASSERT_GT(black.topPixels, 300);
        ASSERT_GT(white.topPixels, 300);
        EXPECT_GE(white.topMean, 230);
        EXPECT_LE(black.topMean, white.topMean / 4);
        // A highlight lights a spot, never the whole top.
        EXPECT_LE(black.litShare, 0.05);
        const double glint = std::max(black.topBrightest, black.bevelBrightest);
        EXPECT_GE(glint, c.glintAtLeast);
        if (c.glintAtLeast > 0) {
            EXPECT_GE(glint, 3 * black.topMean);
        }
    }
}

// Every camera the arrow keys reach, in both shadings, on a smaller picture: no position of
// the camera lets a black top read light or a white top read grey. From the lowest cameras
// the tops are seen nearly edge-on, a line that the small picture cannot tell from the
// bevel, so those are read again on a larger one.
TEST_F(DiscShadingTest, EveryReachableCameraKeepsBlackDarkAndWhiteWhite) {
    constexpr int kReadableTop = 125;  // pixels; a top seen from above shows 150 to 210
    for (DWORD quality : {D3DRMRENDER_FLAT, D3DRMRENDER_GOURAUD}) {
        for (int left = 0; left < 64; ++left) {  // 64 presses make a full circle
            for (int up = kLowestUp; up <= kHighestUp; ++up) {
                Render(quality, {left, up}, 320, 240);
                DiscReading black = Black(), white = White();
                if (white.topPixels < kReadableTop || black.topPixels < kReadableTop) {
                    Render(quality, {left, up}, 960, 720);
                    black = Black(), white = White();
                }
                if (black.topMean <= white.topMean / 4 && white.topMean >= 200) continue;
                ADD_FAILURE() << "camera " << left << "," << up << " quality " << std::hex
                              << quality << std::dec << ": black top " << black.topMean
                              << ", white top " << white.topMean;
                return;
            }
        }
    }
}

}  // namespace
}  // namespace view_test
