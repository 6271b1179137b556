// The flip animation: every disc a move turns rises toward the camera, turns half a
// revolution and lands again, rippling outward from the placed disc one tick apart, with the
// "put" sound as each lands. Driven by the timer through the TickHandler slot.
#pragma once

#include <cstdint>

#include "game/board.h"

struct FlipEntry {
    int32_t active;   // 1 when the move being animated turns this square's disc
    int32_t counter;  // < 0: ticks still to wait; 0..7: pose steps; 8: landed
};

// Indexed by square y * 8 + x; zeroed at the start of every move.
extern FlipEntry gFlipSchedule[64];

// Frame heights per pose step; the disc frame's z is value / 3 - 0.2.
extern const double kFlipHeights[8];

// Half a turn in eight steps about the diagonal (1, 1, 0) of the disc's own plane.
constexpr float kFlipStepAngle = 0.39269909f;  // pi / 8

// Flags of the "put" sound: SND_RESOURCE | SND_ASYNC | SND_NODEFAULT.
constexpr uint32_t kPutSoundFlags = 0x40007;

void ScheduleFlipAnimation(const Board& board, int x, int y, Side side);
void StepFlipAnimation();
void ApplyFlipPose(int x, int y);
