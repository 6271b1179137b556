// The flip schedule and its tick handler.
#include "view/flip_animation.h"

#include <bit>
#include <cstring>

#include "game/match_flow.h"
#include "platform/desktop/sound.h"
#include "view/renderer.h"
#include "view/scene_area.h"

using namespace retained;

FlipEntry gFlipSchedule[64];

const double kFlipHeights[8] = {-2.5, -3.5, -3.9, -4.1, -3.9, -3.5, -2.5, 0.0};

namespace {

constexpr int32_t kLanded = 8;

static_assert(std::bit_cast<uint32_t>(kFlipStepAngle) == 0x3EC90FDBu);

// Marks the discs of one flanked line from (x, y) in direction (dx, dy): the disc next to the
// placed one starts at once, each farther one a tick later.
void ScheduleLine(const Board& board, int x, int y, int dx, int dy, Side side) {
    const Side opponent = side == kBlack ? kWhite : kBlack;
    int cx = x + dx;
    int cy = y + dy;
    if (!OnBoard(cx, cy) || board[SquareIndex(cx, cy)] != opponent) return;
    int length = 0;
    while (OnBoard(cx, cy) && board[SquareIndex(cx, cy)] == opponent) {
        ++length;
        cx += dx;
        cy += dy;
    }
    if (!OnBoard(cx, cy) || board[SquareIndex(cx, cy)] != side) return;  // not flanked
    // Walk back from the flanking disc; the walk covers exactly the opponent's run, so it
    // never reaches the placed square whatever that square holds. The farthest disc waits
    // length - 1 ticks.
    int32_t counter = 1 - length;
    for (int i = 0; i < length; ++i) {
        cx -= dx;
        cy -= dy;
        FlipEntry& entry = gFlipSchedule[SquareIndex(cx, cy)];
        entry.active = 1;
        entry.counter = counter;
        ++counter;
    }
}

}  // namespace

void ScheduleFlipAnimation(const Board& board, int x, int y, Side side) {
    std::memset(gFlipSchedule, 0, sizeof gFlipSchedule);
    if (OnBoard(x, y)) {
        for (const Direction& d : kDirections)
            ScheduleLine(board, x, y, d.dx, d.dy, side);
    }
    ClearHandlers();
    gMatch.tickHandler = StepFlipAnimation;
}

void StepFlipAnimation() {
    bool stepped = false;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            FlipEntry& entry = gFlipSchedule[SquareIndex(x, y)];
            if (entry.active != 1 || entry.counter >= kLanded) continue;
            ApplyFlipPose(x, y);
            ++entry.counter;
            stepped = true;
            if (entry.counter == kLanded) desktop::PlaySound("put", nullptr, kPutSoundFlags);
        }
    }
    if (!stepped) {
        ClearHandlers();
        gMatch.tickHandler = AdvanceTurn;
    }
    RequestRepaint();
}

void ApplyFlipPose(int x, int y) {
    if (!OnBoard(x, y)) return;
    const int32_t c = gFlipSchedule[SquareIndex(x, y)].counter;
    if (c < 0 || c > 7) return;
    IDirect3DRMFrame2* frame = gScene.framePool[SquareIndex(x, y)];
    if (!frame) return;
    const float z = static_cast<float>(kFlipHeights[c] / 3.0 - 0.2);
    frame->SetPosition(gScene.sceneFrame, static_cast<float>(2 * x - 7),
                       static_cast<float>(2 * y - 7), z);
    frame->AddRotation(D3DRMCOMBINE_BEFORE, 1.0f, 1.0f, 0.0f, kFlipStepAngle);
}
