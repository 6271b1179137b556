// PickSquare, OrbitCamera and ShiftCameraHeight.
#include "view/picking_camera.h"

#include <bit>

#include "view/renderer.h"
#include "view/scene.h"
#include "view/scene_area.h"

using namespace retained;

namespace {

constexpr float kLowestCamera = -150.0f;

static_assert(std::bit_cast<uint32_t>(kOrbitStep) == 0x3DC90FDBu);
static_assert(std::bit_cast<uint32_t>(kHeightStep) == 0x40466666u);

// Looks through the frames of the nearest pick for the board frame; the face index is then
// the square index y * 8 + x.
int FindBoardSquare(IDirect3DRMFrameArray* frames, const D3DRMPICKDESC& description,
                    SquarePos* square) {
    int found = 0;
    const DWORD size = frames->GetSize();
    for (DWORD i = 0; i < size; ++i) {
        IDirect3DRMFrame* frame = nullptr;
        if (FAILED(frames->GetElement(i, &frame)) || !frame) continue;
        const DWORD tag = frame->GetAppData();
        frame->Release();
        if (tag != kBoardPickTag) continue;
        if (SquareOfFaceIndex(description.ulFaceIdx, square)) found = 1;
    }
    return found;
}

}  // namespace

int SquareOfFaceIndex(uint32_t face, SquarePos* square) {
    // Only the grid's 64 faces are squares: an index that reads as negative would otherwise
    // give a square left of or below the board, and the flow would index outside it.
    if (face >= 64) return 0;
    const int32_t index = static_cast<int32_t>(face);
    if (square) *square = SquarePos{index % 8, index / 8};
    return 1;
}

int PickSquare(desktop::POINT cursor, SquarePos* square) {
    // After a failed device re-creation there is no viewport to pick through.
    if (!gScene.viewport) return 0;
    IDirect3DRMPickedArray* picked = nullptr;
    if (FAILED(gScene.viewport->Pick(cursor.x, cursor.y, &picked)) || !picked) return 0;

    int found = 0;
    if (static_cast<LONG>(picked->GetSize()) > 0) {
        IDirect3DRMVisual* visual = nullptr;
        IDirect3DRMFrameArray* frames = nullptr;
        D3DRMPICKDESC description{};
        // Only the nearest pick counts: a disc or a marker in front of the grid hides it.
        if (SUCCEEDED(picked->GetPick(0, &visual, &frames, &description)) && frames &&
            static_cast<LONG>(frames->GetSize()) > 0) {
            found = FindBoardSquare(frames, description, square);
        }
        if (frames) frames->Release();
        if (visual) visual->Release();
    }
    picked->Release();
    return found;
}

void OrbitCamera(float angle) {
    // The camera frames outlive a failed device re-creation, so a turn made meanwhile is
    // kept for the next device.
    if (!gScene.cameraPivot || !gScene.cameraFrame) return;
    gScene.cameraPivot->AddRotation(D3DRMCOMBINE_BEFORE, 0.0f, 0.0f, 1.0f, angle);
    gScene.cameraFrame->LookAt(gScene.cameraPivot, gScene.sceneFrame, D3DRMCONSTRAIN_Y);
    InvalidateSceneArea();
}

void ShiftCameraHeight(float step) {
    if (!gScene.cameraPivot || !gScene.cameraFrame) return;
    D3DVECTOR p{};
    if (FAILED(gScene.cameraFrame->GetPosition(gScene.cameraPivot, &p))) return;
    const float z = p.z + step;
    if (!(z < 0.0f && z >= kLowestCamera)) return;
    gScene.cameraFrame->SetPosition(gScene.cameraPivot, p.x, p.y, z);
    gScene.cameraFrame->LookAt(gScene.cameraPivot, gScene.sceneFrame, D3DRMCONSTRAIN_Y);
    InvalidateSceneArea();
}
