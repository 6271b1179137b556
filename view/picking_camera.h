// Picking and the camera keys: the cursor's board square through a viewport pick, the orbit
// of the camera about the board's centre (left and right arrows) and its height within fixed
// bounds (up and down arrows).
#pragma once

#include <cstdint>

#include "game/board.h"
#include "platform/desktop/win_types.h"

// pi / 32 (single precision 0x3DC90FDB): one press of the left (negated) or right arrow.
constexpr float kOrbitStep = 0.09817477f;
// 3.1 (single precision 0x40466666): one press of the up arrow (or, negated, the down arrow).
constexpr float kHeightStep = 3.1f;

// The board square under cursor (client coordinates of the last mouse move): nonzero when the
// nearest thing under it is a face of the board grid, else 0 and square untouched.
int PickSquare(desktop::POINT cursor, SquarePos* square);

// The square of a face of the board grid: faces 0..63 are the squares y * 8 + x; any other
// index (one that reads as negative included) is no square and gives 0.
int SquareOfFaceIndex(uint32_t face, SquarePos* square);

void OrbitCamera(float angle);
void ShiftCameraHeight(float step);
