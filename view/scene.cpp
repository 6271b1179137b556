// The three shapes and the use of the frame pool. Square (x, y) is centred at
// (2x - 7, 2y - 7) in the board plane z = 0; the camera looks from the negative-z side.
#include "view/scene.h"

#include "game/match_flow.h"
#include "platform/desktop/window.h"
#include "view/renderer.h"

using namespace retained;

namespace {

constexpr int kGridVertices = 81;
constexpr int kGridFaces = 64;
constexpr float kRestingHeight = -0.2f;

IDirect3DRMFrame2* PoolEntry(int index) {
    if (index < 0 || index >= kFramePoolSize) return nullptr;
    return gScene.framePool[index];
}

float SquareCentre(int coordinate) {
    return static_cast<float>(2 * coordinate - 7);
}

// The grid: vertex 9r + c at (-8 + 2c, -8 + 2r, 0), face y * 8 + x over square (x, y),
// clockwise as the camera sees it, so the face index is the square index.
int AddBoardFaces() {
    D3DVECTOR vertices[kGridVertices];
    for (int r = 0; r <= 8; ++r) {
        for (int c = 0; c <= 8; ++c) {
            vertices[9 * r + c] = {static_cast<float>(-8 + 2 * c), static_cast<float>(-8 + 2 * r),
                                   0.0f};
        }
    }
    DWORD faceData[kGridFaces * 5 + 1];
    int n = 0;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            faceData[n++] = 4;
            faceData[n++] = 9 * y + x;
            faceData[n++] = 9 * (y + 1) + x;
            faceData[n++] = 9 * (y + 1) + x + 1;
            faceData[n++] = 9 * y + x + 1;
        }
    }
    faceData[n] = 0;
    return SUCCEEDED(
        gScene.boardMesh->AddFaces(kGridVertices, vertices, 0, nullptr, faceData, nullptr));
}

void BuildMarker() {
    IDirect3DRMFace* face = nullptr;
    if (FAILED(gScene.root->CreateFace(&face)) || !face) return;
    face->AddVertex(0.0f, -0.2f, 0.1f);
    face->AddVertex(-0.2f, 0.0f, 0.1f);
    face->AddVertex(0.0f, 0.2f, 0.1f);
    face->AddVertex(0.2f, 0.0f, 0.1f);
    gScene.markerMesh->AddFace(face);
    gScene.markerMesh->SetColorRGB(0.9f, 0.6f, 0.0f);
    face->Release();
}

}  // namespace

int BuildSceneMeshes() {
    if (!gScene.root || !gScene.discMesh || !gScene.markerMesh || !gScene.boardMesh) return 0;
    D3DRMLOADRESOURCE resource{desktop::GetModuleHandle(nullptr), "stone", "XFILE"};
    if (FAILED(
            gScene.discMesh->Load(&resource, nullptr, D3DRMLOAD_FROMRESOURCE, nullptr, nullptr))) {
        return 0;
    }
    if (!AddBoardFaces()) return 0;
    gScene.boardMesh->SetQuality(D3DRMRENDER_WIREFRAME);
    gScene.boardMesh->SetColorRGB(0.0f, 0.0f, 0.0f);
    BuildMarker();
    return 1;
}

void ClearFrameVisuals(int index) {
    IDirect3DRMFrame2* frame = PoolEntry(index);
    if (!frame) return;
    IDirect3DRMVisualArray* visuals = nullptr;
    if (FAILED(frame->GetVisuals(&visuals)) || !visuals) return;
    // The array is a snapshot, so deleting from the frame while walking it is safe.
    const DWORD size = visuals->GetSize();
    for (DWORD i = 0; i < size; ++i) {
        IDirect3DRMVisual* visual = nullptr;
        if (FAILED(visuals->GetElement(i, &visual)) || !visual) continue;
        frame->DeleteVisual(visual);
        visual->Release();
    }
    visuals->Release();
}

void ClearAllFrames() {
    for (int i = 0; i < kFramePoolSize; ++i)
        ClearFrameVisuals(i);
}

void RebuildDiscs() {
    ClearAllFrames();
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const uint8_t square = gMatch.board[SquareIndex(x, y)];
            if (square != kEmpty) AddDiscVisual(x, y, square);
        }
    }
    IDirect3DRMFrame2* board = PoolEntry(kBoardPoolEntry);
    if (!board || !gScene.boardMesh) return;
    board->AddVisual(gScene.boardMesh);
    board->SetAppData(kBoardPickTag);
}

void AddDiscVisual(int x, int y, Side side) {
    if (!OnBoard(x, y)) return;
    IDirect3DRMFrame2* frame = PoolEntry(SquareIndex(x, y));
    if (!frame || !gScene.discMesh) return;
    frame->AddVisual(gScene.discMesh);
    frame->SetPosition(gScene.sceneFrame, SquareCentre(x), SquareCentre(y), kRestingHeight);
    // The black half of the mesh lies at negative z: a black disc keeps its z axis pointing
    // away from the camera, a white one is turned over.
    const float direction = side == kBlack ? 1.0f : -1.0f;
    frame->SetOrientation(gScene.sceneFrame, 0.0f, 0.0f, direction, 0.0f, 1.0f, 0.0f);
    if (!gScene.root || !gScene.sunLight) return;
    IDirect3DRMVisual* shadow = nullptr;
    if (FAILED(gScene.root->CreateShadow(gScene.discMesh, gScene.sunLight, 0.0f, 0.0f, 0.0f, 0.0f,
                                         0.0f, 1.0f, &shadow)) ||
        !shadow) {
        return;  // the disc stays, without its shadow
    }
    frame->AddVisual(shadow);
    shadow->Release();
}

void AddMoveMarker(int x, int y) {
    if (!OnBoard(x, y)) return;
    IDirect3DRMFrame2* frame = PoolEntry(kMarkerPoolBase + SquareIndex(x, y));
    if (!frame || !gScene.markerMesh) return;
    frame->AddVisual(gScene.markerMesh);
    frame->SetPosition(gScene.sceneFrame, SquareCentre(x), SquareCentre(y), 0.0f);
}
