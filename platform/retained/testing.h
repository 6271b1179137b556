// Failure injection for tests: makes a chosen call of this layer fail so every failure path
// of the code above it can be driven. Calls are counted per kind from the moment a failure
// is armed; ResetFailures disarms everything.
#pragma once

#include "platform/retained/d3drm_types.h"

namespace retained::testing {

enum class CallId {
    Direct3DRMCreate,
    QueryInterfaceDirect3DRM2,
    DirectDrawCreateClipper,
    SetHWnd,
    DirectDrawCreate,
    QueryInterfaceDirect3D,
    FindDevice,
    CreateDeviceFromClipper,
    CreateViewport,
    CreateFrame,
    CreateLightRGB,
    CreateMeshBuilder,
    CreateFace,
    CreateShadow,
    Load,
    AddFaces,
    AddFace,
    AddVisual,
    AddLight,
    GetVisuals,
    GetElement,  // of every array kind
    Pick,
    GetPick,
    SetPosition,
    GetPosition,
    SetOrientation,
    AddRotation,
    LookAt,
    QueryInterfaceWinDevice,
    Render,
    Clear,
    Update,
    Count
};

// The onNthCall-th call of that kind from now on returns result instead of doing its work
// (out pointers are set to null). Several failures may be armed for one kind.
// result may also be positive, for calls whose callers demand exactly 0.
void FailCall(CallId call, int onNthCall = 1, HRESULT result = E_FAIL);

// Every call of that kind fails with result until ResetFailures.
void FailEveryCall(CallId call, HRESULT result = E_FAIL);

void ResetFailures();

// How many calls of that kind were made since the last ResetFailures.
int CallCount(CallId call);

}  // namespace retained::testing
