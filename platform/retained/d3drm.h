// The retained-mode interfaces: root, frames, mesh builders, faces, lights, shadows, the
// software device and the viewport, with the platform's method names, arguments and results.
// Every object is reference-counted: it lives while someone holds it, and each holder calls
// Release once. A frame keeps its children, visuals and lights alive; a viewport its device
// and camera; nothing holds its holder, so no cycle keeps anything alive.
#pragma once

#include "platform/retained/d3drm_types.h"

namespace retained {

class IDirect3DRMFrame;
class IDirect3DRMFrame2;
class IDirect3DRMVisual;
class IDirect3DRMMeshBuilder2;
class IDirect3DRMFace;
class IDirect3DRMLight;
class IDirect3DRMDevice2;
class IDirect3DRMViewport;
class IDirect3DRMVisualArray;
class IDirect3DRMFrameArray;
class IDirect3DRMPickedArray;
class IDirect3DRMFaceArray;
class IDirectDrawClipper;

class IUnknown {
  public:
    virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

  protected:
    virtual ~IUnknown() = default;
};

// Every retained-mode object carries one 32-bit application value (default 0) and a name.
class IDirect3DRMObject : public IUnknown {
  public:
    virtual HRESULT SetAppData(DWORD data) = 0;
    virtual DWORD GetAppData() = 0;
    virtual HRESULT SetName(const char* name) = 0;
    // Copies the name with its terminator into name (of *size bytes); with name null,
    // only reports the size needed.
    virtual HRESULT GetName(DWORD* size, char* name) = 0;
};

// Anything a frame can show: mesh builders and shadows.
class IDirect3DRMVisual : public IDirect3DRMObject {};

class IDirect3DRMLight : public IDirect3DRMObject {
  public:
    virtual HRESULT SetType(D3DRMLIGHTTYPE type) = 0;
    virtual D3DRMLIGHTTYPE GetType() = 0;
    virtual HRESULT SetColorRGB(D3DVALUE red, D3DVALUE green, D3DVALUE blue) = 0;
    virtual HRESULT SetColor(D3DCOLOR color) = 0;
    virtual D3DCOLOR GetColor() = 0;
};

class IDirect3DRMFrame : public IDirect3DRMVisual {
  public:
    // Tree. AddChild re-parents the child and keeps its local transform.
    virtual HRESULT AddChild(IDirect3DRMFrame* child) = 0;
    virtual HRESULT DeleteChild(IDirect3DRMFrame* child) = 0;
    virtual HRESULT GetParent(IDirect3DRMFrame** parent) = 0;  // null when the frame is a root
    virtual HRESULT GetScene(IDirect3DRMFrame** scene) = 0;
    virtual HRESULT GetChildren(IDirect3DRMFrameArray** children) = 0;

    // Visuals and lights.
    virtual HRESULT AddVisual(IDirect3DRMVisual* visual) = 0;
    virtual HRESULT DeleteVisual(IDirect3DRMVisual* visual) = 0;
    virtual HRESULT GetVisuals(IDirect3DRMVisualArray** visuals) = 0;  // a snapshot
    virtual HRESULT AddLight(IDirect3DRMLight* light) = 0;
    virtual HRESULT DeleteLight(IDirect3DRMLight* light) = 0;

    // Placement; a null reference frame means the scene.
    virtual HRESULT SetPosition(IDirect3DRMFrame* reference, D3DVALUE x, D3DVALUE y,
                                D3DVALUE z) = 0;
    virtual HRESULT GetPosition(IDirect3DRMFrame* reference, D3DVECTOR* position) = 0;
    virtual HRESULT SetOrientation(IDirect3DRMFrame* reference, D3DVALUE dx, D3DVALUE dy,
                                   D3DVALUE dz, D3DVALUE ux, D3DVALUE uy, D3DVALUE uz) = 0;
    virtual HRESULT GetOrientation(IDirect3DRMFrame* reference, D3DVECTOR* direction,
                                   D3DVECTOR* up) = 0;
    virtual HRESULT AddRotation(D3DRMCOMBINETYPE combine, D3DVALUE x, D3DVALUE y, D3DVALUE z,
                                D3DVALUE theta) = 0;
    virtual HRESULT AddTranslation(D3DRMCOMBINETYPE combine, D3DVALUE x, D3DVALUE y,
                                   D3DVALUE z) = 0;
    virtual HRESULT AddScale(D3DRMCOMBINETYPE combine, D3DVALUE sx, D3DVALUE sy, D3DVALUE sz) = 0;
    virtual HRESULT AddTransform(D3DRMCOMBINETYPE combine, const D3DRMMATRIX4D matrix) = 0;
    // The local transform: frame coordinates to parent coordinates.
    virtual HRESULT GetTransform(D3DRMMATRIX4D matrix) = 0;
    virtual HRESULT LookAt(IDirect3DRMFrame* target, IDirect3DRMFrame* reference,
                           D3DRMFRAMECONSTRAINT constraint) = 0;
    // Maps a point given in this frame's coordinates to scene coordinates, and back.
    virtual HRESULT Transform(D3DVECTOR* destination, const D3DVECTOR* source) = 0;
    virtual HRESULT InverseTransform(D3DVECTOR* destination, const D3DVECTOR* source) = 0;

    // Only the root frame's value is used, as the background of its scene.
    virtual HRESULT SetSceneBackground(D3DCOLOR color) = 0;
    virtual HRESULT SetSceneBackgroundRGB(D3DVALUE red, D3DVALUE green, D3DVALUE blue) = 0;
    virtual D3DCOLOR GetSceneBackground() = 0;
};

class IDirect3DRMFrame2 : public IDirect3DRMFrame {};

class IDirect3DRMFace : public IDirect3DRMObject {
  public:
    // Only before the face is added to a builder.
    virtual HRESULT AddVertex(D3DVALUE x, D3DVALUE y, D3DVALUE z) = 0;
    virtual int GetVertexCount() = 0;
    virtual HRESULT GetVertex(DWORD index, D3DVECTOR* vertex, D3DVECTOR* normal) = 0;
    virtual HRESULT SetColorRGB(D3DVALUE red, D3DVALUE green, D3DVALUE blue) = 0;
    virtual HRESULT SetColor(D3DCOLOR color) = 0;
    virtual D3DCOLOR GetColor() = 0;
};

class IDirect3DRMMeshBuilder : public IDirect3DRMVisual {
  public:
    // Replaces the builder's contents with the first mesh of a text .x file.
    virtual HRESULT Load(void* source, void* objectId, D3DRMLOADOPTIONS options,
                         D3DRMLOADTEXTURECALLBACK callback, void* callbackArgument) = 0;
    // faceData: per face a vertex count and its vertex indices (or, when normalCount > 0,
    // vertex and normal index pairs), ended by 0; indices refer to the arrays of this call.
    virtual HRESULT AddFaces(DWORD vertexCount, const D3DVECTOR* vertices, DWORD normalCount,
                             const D3DVECTOR* normals, const DWORD* faceData,
                             IDirect3DRMFaceArray** faces) = 0;
    virtual HRESULT AddFace(IDirect3DRMFace* face) = 0;
    virtual HRESULT SetColorRGB(D3DVALUE red, D3DVALUE green, D3DVALUE blue) = 0;
    virtual HRESULT SetColor(D3DCOLOR color) = 0;
    virtual HRESULT SetQuality(D3DRMRENDERQUALITY quality) = 0;
    virtual D3DRMRENDERQUALITY GetQuality() = 0;
    virtual int GetFaceCount() = 0;
    virtual int GetVertexCount() = 0;
    virtual HRESULT GetFaces(IDirect3DRMFaceArray** faces) = 0;
    virtual HRESULT GenerateNormals() = 0;
    virtual HRESULT Empty() = 0;
};

class IDirect3DRMMeshBuilder2 : public IDirect3DRMMeshBuilder {
  public:
    virtual HRESULT GetFace(DWORD index, IDirect3DRMFace** face) = 0;
};

class IDirect3DRMDevice : public IDirect3DRMObject {
  public:
    virtual HRESULT SetQuality(D3DRMRENDERQUALITY quality) = 0;
    virtual D3DRMRENDERQUALITY GetQuality() = 0;
    virtual HRESULT SetDither(BOOL dither) = 0;
    virtual BOOL GetDither() = 0;
    virtual HRESULT SetShades(DWORD shades) = 0;
    virtual DWORD GetShades() = 0;
    virtual DWORD GetWidth() = 0;
    virtual DWORD GetHeight() = 0;
    virtual D3DCOLORMODEL GetColorModel() = 0;
    // Shows the rendered image through the clipper's present target.
    virtual HRESULT Update() = 0;
};

class IDirect3DRMDevice2 : public IDirect3DRMDevice {};

class IDirect3DRMWinDevice : public IDirect3DRMObject {
  public:
    virtual HRESULT HandlePaint(void* hdc) = 0;  // shows the last presented image again
    virtual HRESULT HandleActivate(WORD wparam) = 0;
};

class IDirect3DRMViewport : public IDirect3DRMObject {
  public:
    virtual HRESULT SetFront(D3DVALUE front) = 0;
    virtual HRESULT SetBack(D3DVALUE back) = 0;
    virtual HRESULT SetField(D3DVALUE field) = 0;
    virtual D3DVALUE GetFront() = 0;
    virtual D3DVALUE GetBack() = 0;
    virtual D3DVALUE GetField() = 0;
    virtual HRESULT SetUniformScaling(BOOL uniform) = 0;
    virtual BOOL GetUniformScaling() = 0;
    virtual LONG GetX() = 0;
    virtual LONG GetY() = 0;
    virtual DWORD GetWidth() = 0;
    virtual DWORD GetHeight() = 0;
    virtual HRESULT GetCamera(IDirect3DRMFrame** camera) = 0;
    virtual HRESULT GetDevice(IDirect3DRMDevice** device) = 0;
    // Fills the viewport with the background of the camera's scene and clears the depth.
    virtual HRESULT Clear() = 0;
    // Draws the hierarchy under frame as the camera sees it; neither clears nor presents.
    virtual HRESULT Render(IDirect3DRMFrame* frame) = 0;
    // Every visual under the pixel, nearest first; empty outside the viewport.
    virtual HRESULT Pick(LONG x, LONG y, IDirect3DRMPickedArray** picked) = 0;
    // Scene coordinates to (screen x, screen y, depth) and back.
    virtual HRESULT Transform(D3DVECTOR* screen, const D3DVECTOR* world) = 0;
};

class IDirect3DRMVisualArray : public IUnknown {
  public:
    virtual DWORD GetSize() = 0;
    virtual HRESULT GetElement(DWORD index, IDirect3DRMVisual** visual) = 0;
};

class IDirect3DRMFrameArray : public IUnknown {
  public:
    virtual DWORD GetSize() = 0;
    virtual HRESULT GetElement(DWORD index, IDirect3DRMFrame** frame) = 0;
};

class IDirect3DRMFaceArray : public IUnknown {
  public:
    virtual DWORD GetSize() = 0;
    virtual HRESULT GetElement(DWORD index, IDirect3DRMFace** face) = 0;
};

class IDirect3DRMPickedArray : public IUnknown {
  public:
    virtual DWORD GetSize() = 0;
    // The frames run from the scene root down to the frame holding the visual.
    virtual HRESULT GetPick(DWORD index, IDirect3DRMVisual** visual, IDirect3DRMFrameArray** frames,
                            D3DRMPICKDESC* description) = 0;
};

class IDirect3DRM : public IUnknown {};

class IDirect3DRM2 : public IUnknown {
  public:
    virtual HRESULT CreateFrame(IDirect3DRMFrame* parent, IDirect3DRMFrame2** frame) = 0;
    virtual HRESULT CreateMeshBuilder(IDirect3DRMMeshBuilder2** builder) = 0;
    virtual HRESULT CreateFace(IDirect3DRMFace** face) = 0;
    virtual HRESULT CreateLightRGB(D3DRMLIGHTTYPE type, D3DVALUE red, D3DVALUE green, D3DVALUE blue,
                                   IDirect3DRMLight** light) = 0;
    virtual HRESULT CreateLight(D3DRMLIGHTTYPE type, D3DCOLOR color, IDirect3DRMLight** light) = 0;
    // A visual drawing visual's shadow cast by light onto the plane through (px, py, pz)
    // with normal (nx, ny, nz), both in scene coordinates. Add it to the caster's frame.
    virtual HRESULT CreateShadow(IDirect3DRMVisual* visual, IDirect3DRMLight* light, D3DVALUE px,
                                 D3DVALUE py, D3DVALUE pz, D3DVALUE nx, D3DVALUE ny, D3DVALUE nz,
                                 IDirect3DRMVisual** shadow) = 0;
    // guid null: the default device (the colour-ramp one).
    virtual HRESULT CreateDeviceFromClipper(IDirectDrawClipper* clipper, const GUID* guid,
                                            int width, int height, IDirect3DRMDevice2** device) = 0;
    virtual HRESULT CreateViewport(IDirect3DRMDevice* device, IDirect3DRMFrame* camera, DWORD x,
                                   DWORD y, DWORD width, DWORD height,
                                   IDirect3DRMViewport** viewport) = 0;
    // Textures are not drawn: the values are kept and otherwise unused.
    virtual HRESULT SetDefaultTextureShades(DWORD shades) = 0;
    virtual HRESULT SetDefaultTextureColors(DWORD colors) = 0;
};

HRESULT Direct3DRMCreate(IDirect3DRM** root);

// Number of objects of this layer alive right now; tests prove that nothing leaks with it.
long LiveObjectCount();

}  // namespace retained
