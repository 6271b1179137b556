// The scene's shapes and the frame pool: the disc mesh from its resource, the board grid and
// the legal-move marker built here, and the pool entries that show every disc (with its
// shadow), every marker and the grid. Nothing here draws; callers ask for a repaint.
#pragma once

#include <cstdint>

#include "game/board.h"

// Pool entries: discs at y * 8 + x, markers at 64 + y * 8 + x, the board grid at 128;
// entries 129..199 are never given a visual.
constexpr int kMarkerPoolBase = 64;
constexpr int kBoardPoolEntry = 128;

// Application data of the board frame, by which picking recognises the board.
constexpr uint32_t kBoardPickTag = 10;

int BuildSceneMeshes();
void ClearFrameVisuals(int index);
void ClearAllFrames();
void RebuildDiscs();
void AddDiscVisual(int x, int y, Side side);
void AddMoveMarker(int x, int y);
