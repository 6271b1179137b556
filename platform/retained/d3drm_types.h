// The plain types, constants, result codes and interface ids of our retained-mode 3D layer,
// spelled as the platform spells them so the view reads like the calls it makes.
// Results are 32-bit: negative means failure, D3DRM_OK (0) success.
#pragma once

#include <cstdint>

namespace retained {

using HRESULT = int32_t;
using ULONG = uint32_t;
using LONG = int32_t;
using DWORD = uint32_t;
using WORD = uint16_t;
using BOOL = int32_t;
using D3DVALUE = float;
using D3DCOLOR = uint32_t;  // 0xAARRGGBB
using D3DCOLORMODEL = DWORD;
using D3DRMRENDERQUALITY = DWORD;
using D3DRMLIGHTTYPE = DWORD;
using D3DRMCOMBINETYPE = DWORD;
using D3DRMFRAMECONSTRAINT = DWORD;
using D3DRMLOADOPTIONS = DWORD;
using D3DRMMATRIX4D = D3DVALUE[4][4];  // m[row][col]; row vectors, translation in row 3

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
using IID = GUID;
using REFIID = const IID&;

inline bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i) {
        if (a.Data4[i] != b.Data4[i]) return false;
    }
    return true;
}

struct D3DVECTOR {
    D3DVALUE x;
    D3DVALUE y;
    D3DVALUE z;
};

// ---- Result codes ----------------------------------------------------------------------
constexpr HRESULT MakeDdHresult(uint32_t code) {
    return static_cast<HRESULT>(0x88760000u + code);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT D3DRM_OK = 0;
constexpr HRESULT DD_OK = 0;
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);

constexpr HRESULT D3DRMERR_BADOBJECT = MakeDdHresult(781);
constexpr HRESULT D3DRMERR_BADTYPE = MakeDdHresult(782);
constexpr HRESULT D3DRMERR_BADALLOC = MakeDdHresult(783);
constexpr HRESULT D3DRMERR_FACEUSED = MakeDdHresult(784);
constexpr HRESULT D3DRMERR_NOTFOUND = MakeDdHresult(785);
constexpr HRESULT D3DRMERR_NOTDONEYET = MakeDdHresult(786);
constexpr HRESULT D3DRMERR_FILENOTFOUND = MakeDdHresult(787);
constexpr HRESULT D3DRMERR_BADFILE = MakeDdHresult(788);
constexpr HRESULT D3DRMERR_BADDEVICE = MakeDdHresult(789);
constexpr HRESULT D3DRMERR_BADVALUE = MakeDdHresult(790);

constexpr HRESULT DDERR_GENERIC = E_FAIL;
constexpr HRESULT DDERR_INVALIDPARAMS = E_INVALIDARG;
constexpr HRESULT DDERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DDERR_NOTFOUND = MakeDdHresult(255);

constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}
constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}

// ---- Colours -----------------------------------------------------------------------------
constexpr D3DCOLORMODEL D3DCOLOR_MONO = 1;  // ramp: lights act as grey intensities
constexpr D3DCOLORMODEL D3DCOLOR_RGB = 2;

// Channels in [0, 1], clamped; alpha 1.
D3DCOLOR D3DRMCreateColorRGB(D3DVALUE red, D3DVALUE green, D3DVALUE blue);
D3DCOLOR D3DRMCreateColorRGBA(D3DVALUE red, D3DVALUE green, D3DVALUE blue, D3DVALUE alpha);

// ---- Render quality: shade mode bits 0-2, light mode bits 3-5, fill mode bits 6-8 --------
constexpr DWORD D3DRMSHADE_FLAT = 0;
constexpr DWORD D3DRMSHADE_GOURAUD = 1;
constexpr DWORD D3DRMSHADE_PHONG = 2;
constexpr DWORD D3DRMSHADE_MASK = 7;
constexpr DWORD D3DRMLIGHT_OFF = 0 << 3;
constexpr DWORD D3DRMLIGHT_ON = 1 << 3;
constexpr DWORD D3DRMLIGHT_MASK = 7 << 3;
constexpr DWORD D3DRMFILL_POINTS = 0 << 6;
constexpr DWORD D3DRMFILL_WIREFRAME = 1 << 6;
constexpr DWORD D3DRMFILL_SOLID = 2 << 6;
constexpr DWORD D3DRMFILL_MASK = 7 << 6;

constexpr D3DRMRENDERQUALITY D3DRMRENDER_WIREFRAME =
    D3DRMSHADE_FLAT | D3DRMLIGHT_OFF | D3DRMFILL_WIREFRAME;  // 0x40
constexpr D3DRMRENDERQUALITY D3DRMRENDER_UNLITFLAT =
    D3DRMSHADE_FLAT | D3DRMLIGHT_OFF | D3DRMFILL_SOLID;  // 0x80
constexpr D3DRMRENDERQUALITY D3DRMRENDER_FLAT =
    D3DRMSHADE_FLAT | D3DRMLIGHT_ON | D3DRMFILL_SOLID;  // 0x88
constexpr D3DRMRENDERQUALITY D3DRMRENDER_GOURAUD =
    D3DRMSHADE_GOURAUD | D3DRMLIGHT_ON | D3DRMFILL_SOLID;  // 0x89
constexpr D3DRMRENDERQUALITY D3DRMRENDER_PHONG = D3DRMSHADE_PHONG | D3DRMLIGHT_ON | D3DRMFILL_SOLID;

// The quality a face is drawn with: the smaller of the two qualities in each field.
constexpr D3DRMRENDERQUALITY EffectiveQuality(D3DRMRENDERQUALITY device, D3DRMRENDERQUALITY mesh) {
    auto field = [](DWORD a, DWORD b, DWORD mask) {
        return (a & mask) < (b & mask) ? a & mask : b & mask;
    };
    return field(device, mesh, D3DRMSHADE_MASK) | field(device, mesh, D3DRMLIGHT_MASK) |
           field(device, mesh, D3DRMFILL_MASK);
}

// ---- Lights, combine types, constraints ------------------------------------------------------
constexpr D3DRMLIGHTTYPE D3DRMLIGHT_AMBIENT = 0;
constexpr D3DRMLIGHTTYPE D3DRMLIGHT_POINT = 1;
constexpr D3DRMLIGHTTYPE D3DRMLIGHT_SPOT = 2;
constexpr D3DRMLIGHTTYPE D3DRMLIGHT_DIRECTIONAL = 3;
constexpr D3DRMLIGHTTYPE D3DRMLIGHT_PARALLELPOINT = 4;

constexpr D3DRMCOMBINETYPE D3DRMCOMBINE_REPLACE = 0;
constexpr D3DRMCOMBINETYPE D3DRMCOMBINE_BEFORE = 1;
constexpr D3DRMCOMBINETYPE D3DRMCOMBINE_AFTER = 2;

constexpr D3DRMFRAMECONSTRAINT D3DRMCONSTRAIN_Z = 0;  // rotate only about x and y
constexpr D3DRMFRAMECONSTRAINT D3DRMCONSTRAIN_Y = 1;  // rotate only about x and z
constexpr D3DRMFRAMECONSTRAINT D3DRMCONSTRAIN_X = 2;  // rotate only about y and z

// ---- Loading -------------------------------------------------------------------------------
constexpr D3DRMLOADOPTIONS D3DRMLOAD_FROMFILE = 0x00;
constexpr D3DRMLOADOPTIONS D3DRMLOAD_FROMRESOURCE = 0x01;
constexpr D3DRMLOADOPTIONS D3DRMLOAD_FROMMEMORY = 0x02;
constexpr D3DRMLOADOPTIONS D3DRMLOAD_FROMSTREAM = 0x04;
constexpr D3DRMLOADOPTIONS D3DRMLOAD_FROMURL = 0x08;
constexpr D3DRMLOADOPTIONS D3DRMLOAD_BYNAME = 0x10;
constexpr D3DRMLOADOPTIONS D3DRMLOAD_BYPOSITION = 0x20;
constexpr D3DRMLOADOPTIONS D3DRMLOAD_BYGUID = 0x40;
constexpr D3DRMLOADOPTIONS D3DRMLOAD_FIRST = 0x80;

// A resource of the program: name and type are strings or small integer ids
// (a pointer value below 0x10000, the platform's MAKEINTRESOURCE).
struct D3DRMLOADRESOURCE {
    void* hModule;
    const char* lpName;
    const char* lpType;
};

struct D3DRMLOADMEMORY {
    const void* lpMemory;
    DWORD dSize;
};

class IDirect3DRMTexture;  // textures are not drawn; the load callback is never called
using D3DRMLOADTEXTURECALLBACK = HRESULT (*)(char* name, void* arg, IDirect3DRMTexture** texture);

// ---- Pick ------------------------------------------------------------------------------------
struct D3DRMPICKDESC {
    ULONG ulFaceIdx;      // index of the face hit, in the builder's face order
    LONG lGroupIdx;       // always 0 for a mesh builder
    D3DVECTOR vPosition;  // the hit point in scene coordinates
};

// ---- Device search (the byte layouts of the platform) --------------------------------------
constexpr DWORD D3DFDS_COLORMODEL = 0x1;
constexpr DWORD D3DFDS_GUID = 0x2;
constexpr DWORD D3DFDS_HARDWARE = 0x4;

constexpr DWORD D3DDD_COLORMODEL = 0x1;
constexpr DWORD D3DDD_DEVCAPS = 0x2;
constexpr DWORD D3DDD_DEVICERENDERBITDEPTH = 0x80;
constexpr DWORD D3DDD_DEVICEZBUFFERBITDEPTH = 0x100;

constexpr DWORD DDBD_1 = 0x4000;
constexpr DWORD DDBD_2 = 0x2000;
constexpr DWORD DDBD_4 = 0x1000;
constexpr DWORD DDBD_8 = 0x0800;
constexpr DWORD DDBD_16 = 0x0400;
constexpr DWORD DDBD_24 = 0x0200;
constexpr DWORD DDBD_32 = 0x0100;

struct D3DTRANSFORMCAPS {
    DWORD dwSize;
    DWORD dwCaps;
};

struct D3DLIGHTINGCAPS {
    DWORD dwSize;
    DWORD dwCaps;
    DWORD dwLightingModel;
    DWORD dwNumLights;
};

struct D3DPRIMCAPS {
    DWORD dwSize;
    DWORD dwMiscCaps;
    DWORD dwRasterCaps;
    DWORD dwZCmpCaps;
    DWORD dwSrcBlendCaps;
    DWORD dwDestBlendCaps;
    DWORD dwAlphaCmpCaps;
    DWORD dwShadeCaps;
    DWORD dwTextureCaps;
    DWORD dwTextureFilterCaps;
    DWORD dwTextureBlendCaps;
    DWORD dwTextureAddressCaps;
    DWORD dwStippleWidth;
    DWORD dwStippleHeight;
};

struct D3DDEVICEDESC {
    DWORD dwSize;
    DWORD dwFlags;
    D3DCOLORMODEL dcmColorModel;
    DWORD dwDevCaps;
    D3DTRANSFORMCAPS dtcTransformCaps;
    BOOL bClipping;
    D3DLIGHTINGCAPS dlcLightingCaps;
    D3DPRIMCAPS dpcLineCaps;
    D3DPRIMCAPS dpcTriCaps;
    DWORD dwDeviceRenderBitDepth;
    DWORD dwDeviceZBufferBitDepth;
    DWORD dwMaxBufferSize;
    DWORD dwMaxVertexCount;
    DWORD dwMinTextureWidth;
    DWORD dwMinTextureHeight;
    DWORD dwMaxTextureWidth;
    DWORD dwMaxTextureHeight;
    DWORD dwMinStippleWidth;
    DWORD dwMaxStippleWidth;
    DWORD dwMinStippleHeight;
    DWORD dwMaxStippleHeight;
};

struct D3DFINDDEVICESEARCH {
    DWORD dwSize;
    DWORD dwFlags;
    BOOL bHardware;
    D3DCOLORMODEL dcmColorModel;
    GUID guid;
    DWORD dwCaps;
    D3DPRIMCAPS dpcPrimCaps;
};

struct D3DFINDDEVICERESULT {
    DWORD dwSize;
    GUID guid;
    D3DDEVICEDESC ddHwDesc;
    D3DDEVICEDESC ddSwDesc;
};

static_assert(sizeof(D3DDEVICEDESC) == 204);
static_assert(sizeof(D3DFINDDEVICESEARCH) == 92);
static_assert(sizeof(D3DFINDDEVICERESULT) == 428);

// ---- Interface and device ids ---------------------------------------------------------------
// Our own values: nothing outside this layer compares them with anything but these constants.
inline constexpr IID IID_IUnknown = {0x5a4e0000, 0x7254, 0x4d00, {0x80, 0, 0, 0, 0, 0, 0, 0x00}};
inline constexpr IID IID_IDirect3DRM = {0x5a4e0001, 0x7254, 0x4d00, {0x80, 0, 0, 0, 0, 0, 0, 0x01}};
inline constexpr IID IID_IDirect3DRM2 = {
    0x5a4e0002, 0x7254, 0x4d00, {0x80, 0, 0, 0, 0, 0, 0, 0x02}};
inline constexpr IID IID_IDirect3DRMDevice = {
    0x5a4e0003, 0x7254, 0x4d00, {0x80, 0, 0, 0, 0, 0, 0, 0x03}};
inline constexpr IID IID_IDirect3DRMDevice2 = {
    0x5a4e0004, 0x7254, 0x4d00, {0x80, 0, 0, 0, 0, 0, 0, 0x04}};
inline constexpr IID IID_IDirect3DRMWinDevice = {
    0x5a4e0005, 0x7254, 0x4d00, {0x80, 0, 0, 0, 0, 0, 0, 0x05}};
inline constexpr IID IID_IDirect3DRMFrame = {
    0x5a4e0006, 0x7254, 0x4d00, {0x80, 0, 0, 0, 0, 0, 0, 0x06}};
inline constexpr IID IID_IDirect3DRMFrame2 = {
    0x5a4e0007, 0x7254, 0x4d00, {0x80, 0, 0, 0, 0, 0, 0, 0x07}};
inline constexpr IID IID_IDirect3DRMMeshBuilder = {
    0x5a4e0008, 0x7254, 0x4d00, {0x80, 0, 0, 0, 0, 0, 0, 0x08}};
inline constexpr IID IID_IDirect3DRMMeshBuilder2 = {
    0x5a4e0009, 0x7254, 0x4d00, {0x80, 0, 0, 0, 0, 0, 0, 0x09}};
inline constexpr IID IID_IDirect3DRMVisual = {
    0x5a4e000a, 0x7254, 0x4d00, {0x80, 0, 0, 0, 0, 0, 0, 0x0a}};
inline constexpr IID IID_IDirect3DRMObject = {
    0x5a4e000b, 0x7254, 0x4d00, {0x80, 0, 0, 0, 0, 0, 0, 0x0b}};
inline constexpr IID IID_IDirect3DRMViewport = {
    0x5a4e000c, 0x7254, 0x4d00, {0x80, 0, 0, 0, 0, 0, 0, 0x0c}};
inline constexpr IID IID_IDirect3DRMLight = {
    0x5a4e000d, 0x7254, 0x4d00, {0x80, 0, 0, 0, 0, 0, 0, 0x0d}};
inline constexpr IID IID_IDirect3DRMFace = {
    0x5a4e000e, 0x7254, 0x4d00, {0x80, 0, 0, 0, 0, 0, 0, 0x0e}};
inline constexpr IID IID_IDirectDraw = {0x5a4e0010, 0x7254, 0x4d00, {0x80, 0, 0, 0, 0, 0, 0, 0x10}};
inline constexpr IID IID_IDirectDrawClipper = {
    0x5a4e0011, 0x7254, 0x4d00, {0x80, 0, 0, 0, 0, 0, 0, 0x11}};
inline constexpr IID IID_IDirect3D = {0x5a4e0012, 0x7254, 0x4d00, {0x80, 0, 0, 0, 0, 0, 0, 0x12}};

// The one software device, offered in the two colour models.
inline constexpr GUID IID_IDirect3DRampDevice = {
    0x5a4e0020, 0x7254, 0x4d00, {0x80, 0, 0, 0, 0, 0, 0, 0x20}};
inline constexpr GUID IID_IDirect3DRGBDevice = {
    0x5a4e0021, 0x7254, 0x4d00, {0x80, 0, 0, 0, 0, 0, 0, 0x21}};

}  // namespace retained
