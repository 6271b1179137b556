// Rendered pixels: the projection, the background, wireframe edges, lit shades in the RGB
// and ramp colour models, the quality rule, back-face culling, flat against Gouraud, and
// shadows cast away from the light.
#include <cmath>
#include <cstdlib>
#include <string>

#include "tests/retained/render_test_support.h"

namespace retained_test {
namespace {

using Render = SceneTest;

uint32_t Channel(uint32_t color, int shift) {
    return (color >> shift) & 0xFF;
}

::testing::AssertionResult ColorNear(uint32_t actual, uint32_t expected, int tolerance) {
    for (int shift : {16, 8, 0}) {
        if (std::abs(static_cast<int>(Channel(actual, shift)) -
                     static_cast<int>(Channel(expected, shift))) > tolerance) {
            return ::testing::AssertionFailure()
                   << std::hex << "colour 0x" << actual << ", expected 0x" << expected;
        }
    }
    return ::testing::AssertionSuccess();
}

TEST_F(Render, ProjectionUsesTheFieldOnTheFrontPlaneAndOneScaleForBothAxes) {
    MakeDevice(640, 480, D3DRMRENDER_FLAT);
    struct Case {
        float front, field, z;
    };
    for (const Case& c :
         {Case{1.0f, 0.5f, 10.0f}, Case{4.5f, 0.5f, 50.0f}, Case{2.0f, 1.0f, 7.0f}}) {
        SCOPED_TRACE(c.front);
        ASSERT_EQ(viewport->SetFront(c.front), D3DRM_OK);
        ASSERT_EQ(viewport->SetField(c.field), D3DRM_OK);
        const float edge = c.field * c.z / c.front;  // on the edge of the field
        D3DVECTOR right = Project(edge, 0, c.z);
        EXPECT_NEAR(right.x, 640, 1e-2);
        EXPECT_NEAR(right.y, 240, 1e-2);
        // The same distance upward is off the top of a landscape viewport: 240 - 320.
        D3DVECTOR up = Project(0, edge, c.z);
        EXPECT_NEAR(up.x, 320, 1e-2);
        EXPECT_NEAR(up.y, -80, 1e-2);
        D3DVECTOR corner = Project(-edge, -edge * 0.75f, c.z);
        EXPECT_NEAR(corner.x, 0, 1e-2);
        EXPECT_NEAR(corner.y, 480, 1e-2);
        // Depth runs from 0 on the front plane to 1 on the back plane.
        EXPECT_NEAR(Project(0, 0, c.front).z, 0, 1e-5);
        EXPECT_NEAR(Project(0, 0, viewport->GetBack()).z, 1, 1e-5);
    }
}

TEST_F(Render, EmptySceneShowsTheRootBackgroundEverywhere) {
    MakeDevice(64, 48, D3DRMRENDER_GOURAUD);
    RenderAndPresent();
    ASSERT_EQ(target.presents, 1);
    ASSERT_EQ(target.width, 64);
    ASSERT_EQ(target.height, 48);
    for (uint32_t pixel : target.image)
        ASSERT_EQ(pixel, kBackground);
}

TEST_F(Render, WireframeDrawsBlackEdgesAndLeavesTheInsideEmpty) {
    MakeDevice(640, 480, D3DRMRENDER_GOURAUD);
    camera->SetPosition(scene, 0, 0, -20);
    IDirect3DRMMeshBuilder2* quad = nullptr;
    IDirect3DRMFrame2* frame = AddQuad(scene, 0, 0, 0, 5, &quad);
    quad->SetQuality(D3DRMRENDER_WIREFRAME);
    quad->SetColorRGB(0, 0, 0);
    RenderAndPresent();

    // Every edge midpoint has a black pixel within one pixel of its projection.
    const float edges[4][2] = {{5, 0}, {-5, 0}, {0, 5}, {0, -5}};
    for (const auto& e : edges) {
        D3DVECTOR s = Project(e[0], e[1], 0);
        bool black = false;
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                black |= target.At(static_cast<int>(s.x) + dx, static_cast<int>(s.y) + dy) == 0;
            }
        }
        EXPECT_TRUE(black) << e[0] << "," << e[1];
    }
    EXPECT_EQ(PixelAt(0, 0, 0), kBackground);
    EXPECT_EQ(PixelAt(2.5f, 2.5f, 0), kBackground);
    EXPECT_EQ(PixelAt(7, 0, 0), kBackground);
    frame->Release();
    quad->Release();
}

// Lights for the shading tests: an ambient light and a directional one shining from the
// camera's side at a slant, so a face toward the camera gets n.l = 0.8.
void AddLights(IDirect3DRM2* root, IDirect3DRMFrame* scene, float r, float g, float b) {
    IDirect3DRMLight* ambient = nullptr;
    IDirect3DRMLight* sun = nullptr;
    IDirect3DRMFrame2* lightFrame = nullptr;
    root->CreateLightRGB(D3DRMLIGHT_AMBIENT, 0.25f, 0.25f, 0.25f, &ambient);
    root->CreateLightRGB(D3DRMLIGHT_DIRECTIONAL, r, g, b, &sun);
    root->CreateFrame(scene, &lightFrame);
    lightFrame->SetOrientation(scene, 0, 0.6f, 0.8f, 0, 1, 0);
    scene->AddLight(ambient);
    lightFrame->AddLight(sun);
    ambient->Release();
    sun->Release();
    lightFrame->Release();
}

TEST_F(Render, LitFaceShadesInTheRgbAndRampColourModels) {
    struct Case {
        const char* name;
        const GUID* guid;
        DWORD shades;
        float lightR, lightG, lightB;
        uint32_t expected;
    };
    const Case cases[] = {
        // RGB: 0.25 + 0.5 * 0.8 = 0.65 of the face colour (1, 0.5, 0).
        {"rgb grey light", &IID_IDirect3DRGBDevice, 32, 0.5f, 0.5f, 0.5f, 0xA65300},
        // RGB: a red light of 1.5 saturates red and leaves green at the ambient 0.25 * 0.5.
        {"rgb red light", &IID_IDirect3DRGBDevice, 32, 1.5f, 0, 0, 0xFF2000},
        // Ramp: the red light counts as grey 0.5, so 0.65 again, on 4 shades 2/3.
        {"ramp red light", &IID_IDirect3DRampDevice, 4, 1.5f, 0, 0, 0xAA5500},
        // The default device is the ramp one; 256 shades keep 0.65 nearly exact.
        {"default device", nullptr, 256, 0.5f, 0.5f, 0.5f, 0xA65300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();  // a fresh scene per case
        MakeDevice(160, 120, D3DRMRENDER_FLAT, c.guid);
        device->SetShades(c.shades);
        camera->SetPosition(scene, 0, 0, -20);
        AddLights(root, scene, c.lightR, c.lightG, c.lightB);
        IDirect3DRMMeshBuilder2* quad = nullptr;
        IDirect3DRMFrame2* frame = AddQuad(scene, 0, 0, 0, 5, &quad);
        quad->SetColorRGB(1, 0.5f, 0);
        RenderAndPresent();
        EXPECT_TRUE(ColorNear(PixelAt(0, 0, 0), c.expected, 1));
        EXPECT_TRUE(ColorNear(PixelAt(3, -3, 0), c.expected, 1));
        frame->Release();
        quad->Release();
    }
}

// A black quad of power 9 with a white highlight, 2 x 2 in the plane z = 0 facing -z.
const std::string kGlossyBlackQuad = R"(xof 0302txt 0032
Mesh gloss {
 4; -1.0;-1.0;0.0;, -1.0;1.0;0.0;, 1.0;1.0;0.0;, 1.0;-1.0;0.0;;
 1; 4;0,1,2,3;;
 MeshMaterialList { 1; 1; 0;;
  Material { 0.0;0.0;0.0;1.0;; 9.0; 1.0;1.0;1.0;; 0.0;0.0;0.0;; }
 }
})";

// The highlight is the light mirrored about the normal, seen from where the eye really is,
// and it fades with the cube of the light's incidence cosine: a light that grazes a face
// cannot make it shine white.
TEST_F(Render, HighlightFollowsTheEyeAndFadesWithTheLightsIncidence) {
    struct Case {
        const char* name;
        float lightX, lightZ;    // the direction the light travels, in the plane y = 0
        D3DVECTOR quad, camera;  // the camera looks along +z, unturned
        uint32_t grey;           // expected highlight on the black quad
    };
    const float s60 = std::sqrt(3.0f) / 2;
    const Case cases[] = {
        // Head-on light, head-on eye: the full highlight (the flat colour is taken at a
        // corner, 4 degrees off the mirror ray).
        {"head-on", 0, 1, {0, 0, 0}, {0, 0, -20}, 0xF9},
        // Light 60 degrees off the normal (n.l = 0.5), the quad far off the camera's axis
        // with the eye on its mirror ray: 0.5^3 of white. Along the camera's axis the eye
        // would be 60 degrees off that ray, and there would be no highlight.
        {"mirror of a slanting light", s60, 0.5f, {-34.64f, 0, 0}, {0, 0, -20}, 0x20},
        // The same light with the eye head-on: 60 degrees off the mirror ray, nothing. A half
        // vector would still give 0.87^9 = 0.27 here.
        {"head-on eye, slanting light", s60, 0.5f, {0, 0, 0}, {0, 0, -20}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        MakeDevice(200, 200, D3DRMRENDER_FLAT);
        // A wide view, so a quad far off the camera's axis is still in the picture.
        ASSERT_EQ(viewport->SetField(3.0f), D3DRM_OK);
        ASSERT_EQ(viewport->SetBack(1000.0f), D3DRM_OK);
        camera->SetPosition(scene, c.camera.x, c.camera.y, c.camera.z);
        IDirect3DRMLight* sun = nullptr;
        IDirect3DRMFrame2* lightFrame = NewFrame(scene);
        ASSERT_EQ(root->CreateLightRGB(D3DRMLIGHT_DIRECTIONAL, 1, 1, 1, &sun), D3DRM_OK);
        lightFrame->SetOrientation(scene, c.lightX, 0, c.lightZ, 0, 1, 0);
        lightFrame->AddLight(sun);
        IDirect3DRMMeshBuilder2* quad = nullptr;
        ASSERT_EQ(root->CreateMeshBuilder(&quad), D3DRM_OK);
        D3DRMLOADMEMORY memory{const_cast<char*>(kGlossyBlackQuad.data()),
                               static_cast<DWORD>(kGlossyBlackQuad.size())};
        ASSERT_EQ(quad->Load(&memory, nullptr, D3DRMLOAD_FROMMEMORY, nullptr, nullptr), D3DRM_OK);
        IDirect3DRMFrame2* frame = NewFrame(scene);
        frame->SetPosition(scene, c.quad.x, c.quad.y, c.quad.z);
        frame->AddVisual(quad);
        RenderAndPresent();
        const D3DVECTOR at = Project(c.quad.x, c.quad.y, c.quad.z);
        ASSERT_NE(target.At(static_cast<int>(at.x), static_cast<int>(at.y)),
                  RecordingTarget::kOutside);
        EXPECT_TRUE(ColorNear(target.At(static_cast<int>(at.x), static_cast<int>(at.y)),
                              c.grey * 0x010101u, 3));
        for (IUnknown* o : std::initializer_list<IUnknown*>{frame, quad, sun, lightFrame})
            o->Release();
    }
}

TEST_F(Render, QualityIsTheSmallerOfDeviceAndBuilderInEachField) {
    struct Case {
        D3DRMRENDERQUALITY device, builder, effective;
    };
    const Case cases[] = {{D3DRMRENDER_GOURAUD, D3DRMRENDER_WIREFRAME, D3DRMRENDER_WIREFRAME},
                          {D3DRMRENDER_FLAT, D3DRMRENDER_GOURAUD, D3DRMRENDER_FLAT},
                          {D3DRMRENDER_GOURAUD, D3DRMRENDER_GOURAUD, D3DRMRENDER_GOURAUD},
                          {D3DRMRENDER_WIREFRAME, D3DRMRENDER_GOURAUD, D3DRMRENDER_WIREFRAME},
                          {D3DRMRENDER_UNLITFLAT, D3DRMRENDER_GOURAUD, D3DRMRENDER_UNLITFLAT},
                          {D3DRMLIGHT_ON | D3DRMFILL_WIREFRAME | D3DRMSHADE_GOURAUD,
                           D3DRMRENDER_UNLITFLAT, D3DRMRENDER_WIREFRAME}};
    for (const Case& c : cases)
        EXPECT_EQ(EffectiveQuality(c.device, c.builder), c.effective);
}

// A quad whose corner normals differ left and right: Gouraud shows the slope, flat does not.
TEST_F(Render, GouraudNeedsBothDeviceAndBuilderToAllowIt) {
    struct Case {
        D3DRMRENDERQUALITY device, builder;
        bool smooth;
        bool lit;
    };
    const Case cases[] = {{D3DRMRENDER_GOURAUD, D3DRMRENDER_GOURAUD, true, true},
                          {D3DRMRENDER_FLAT, D3DRMRENDER_GOURAUD, false, true},
                          {D3DRMRENDER_GOURAUD, D3DRMRENDER_FLAT, false, true},
                          {D3DRMRENDER_GOURAUD, D3DRMRENDER_UNLITFLAT, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.device << " " << c.builder);
        Reset();
        MakeDevice(320, 240, c.device);
        camera->SetPosition(scene, 0, 0, -20);
        AddLights(root, scene, 0.5f, 0.5f, 0.5f);
        IDirect3DRMFrame2* frame = NewFrame(scene);
        IDirect3DRMMeshBuilder2* quad = nullptr;
        root->CreateMeshBuilder(&quad);
        D3DVECTOR corners[4] = {{-5, -5, 0}, {-5, 5, 0}, {5, 5, 0}, {5, -5, 0}};
        D3DVECTOR normals[2] = {{0, 0, -1}, {0.8f, 0, -0.6f}};
        DWORD faceData[] = {4, 0, 0, 1, 0, 2, 1, 3, 1, 0};
        ASSERT_EQ(quad->AddFaces(4, corners, 2, normals, faceData, nullptr), D3DRM_OK);
        quad->SetQuality(c.builder);
        frame->AddVisual(quad);
        RenderAndPresent();
        uint32_t left = PixelAt(-4, 0, 0), right = PixelAt(4, 0, 0);
        EXPECT_EQ(left != right, c.smooth) << std::hex << left << " " << right;
        EXPECT_EQ(left != 0xFFFFFF, c.lit) << std::hex << left;  // unlit: the plain white
        frame->Release();
        quad->Release();
    }
}

TEST_F(Render, APointLightShinesFromItsFramesOrigin) {
    MakeDevice(320, 240, D3DRMRENDER_GOURAUD);
    camera->SetPosition(scene, 0, 0, -20);
    IDirect3DRMLight* bulb = nullptr;
    ASSERT_EQ(root->CreateLightRGB(D3DRMLIGHT_POINT, 1, 1, 1, &bulb), D3DRM_OK);
    IDirect3DRMFrame2* bulbFrame = NewFrame(scene);
    bulbFrame->SetPosition(scene, -5, 0, -1);  // just in front of the quad's left edge
    bulbFrame->AddLight(bulb);
    IDirect3DRMMeshBuilder2* quad = nullptr;
    IDirect3DRMFrame2* frame = AddQuad(scene, 0, 0, 0, 5, &quad);
    RenderAndPresent();
    // n.l is about 0.2 at the left corners and 0.09 at the right ones.
    const uint32_t left = PixelAt(-4.5f, 0, 0), right = PixelAt(4.5f, 0, 0);
    EXPECT_NEAR(static_cast<int>(Channel(left, 0)), 48, 4);
    EXPECT_NEAR(static_cast<int>(Channel(right, 0)), 24, 4);
    for (auto* o : std::initializer_list<IUnknown*>{frame, quad, bulbFrame, bulb})
        o->Release();
}

TEST_F(Render, BackFacesAreCulledAndNearerFacesHideFartherOnes) {
    MakeDevice(320, 240, D3DRMRENDER_UNLITFLAT);
    camera->SetPosition(scene, 0, 0, -20);
    IDirect3DRMMeshBuilder2 *far = nullptr, *nearQuad = nullptr, *backward = nullptr;
    IDirect3DRMFrame2* farFrame = AddQuad(scene, 0, 0, 0, 5, &far);
    far->SetColorRGB(1, 0, 0);
    IDirect3DRMFrame2* nearFrame = AddQuad(scene, 2, 0, -5, 1, &nearQuad);
    nearQuad->SetColorRGB(0, 0, 1);
    // Counter-clockwise as seen from the camera: its back is toward us.
    IDirect3DRMFrame2* backFrame = NewFrame(scene);
    root->CreateMeshBuilder(&backward);
    D3DVECTOR corners[4] = {{-3, -3, -8}, {-1, -3, -8}, {-1, -1, -8}, {-3, -1, -8}};
    DWORD faceData[] = {4, 0, 1, 2, 3, 0};
    backward->AddFaces(4, corners, 0, nullptr, faceData, nullptr);
    backward->SetColorRGB(0, 1, 0);
    backFrame->AddVisual(backward);
    RenderAndPresent();
    EXPECT_EQ(PixelAt(0, 0, 0), 0xFF0000u);
    EXPECT_EQ(PixelAt(2, 0, -5), 0x0000FFu);
    EXPECT_EQ(PixelAt(-2, -2, -8), 0xFF0000u);  // the culled face shows what is behind
    for (auto* o : std::initializer_list<IUnknown*>{farFrame, nearFrame, backFrame, far, nearQuad,
                                                    backward}) {
        o->Release();
    }
}

TEST_F(Render, FacesCrossingTheFrontPlaneAreClippedNotDropped) {
    MakeDevice(320, 240, D3DRMRENDER_UNLITFLAT);
    camera->SetPosition(scene, 0, 0, -20);
    viewport->SetFront(4.5f);
    viewport->SetField(2.0f);
    // A floor under the camera running from behind it to far ahead.
    IDirect3DRMFrame2* frame = NewFrame(scene);
    IDirect3DRMMeshBuilder2* floor = nullptr;
    root->CreateMeshBuilder(&floor);
    D3DVECTOR corners[4] = {{-10, -2, -30}, {-10, -2, 30}, {10, -2, 30}, {10, -2, -30}};
    DWORD faceData[] = {4, 0, 1, 2, 3, 0};
    floor->AddFaces(4, corners, 0, nullptr, faceData, nullptr);
    floor->SetColorRGB(0, 1, 0);
    frame->AddVisual(floor);
    RenderAndPresent();
    EXPECT_EQ(PixelAt(0, -2, 0), 0x00FF00u);
    EXPECT_EQ(PixelAt(0, -2, -12), 0x00FF00u);  // just beyond the front plane
    EXPECT_EQ(PixelAt(0, 2, 0), kBackground);
    frame->Release();
    floor->Release();
}

TEST_F(Render, ShadowFallsOnThePlaneAwayFromTheLight) {
    MakeDevice(320, 240, D3DRMRENDER_FLAT);
    camera->SetPosition(scene, 0, 0, -20);
    IDirect3DRMLight* ambient = nullptr;
    IDirect3DRMLight* sun = nullptr;
    root->CreateLightRGB(D3DRMLIGHT_AMBIENT, 1, 1, 1, &ambient);
    root->CreateLightRGB(D3DRMLIGHT_DIRECTIONAL, 1, 1, 1, &sun);
    scene->AddLight(ambient);
    IDirect3DRMFrame2* lightFrame = NewFrame(scene);
    lightFrame->SetOrientation(scene, 1, 0, 1, 0, 1, 0);  // travels toward +x and +z
    lightFrame->AddLight(sun);

    // A caster two units in front of the plane z = 0; its shadow lands two units along +x.
    IDirect3DRMMeshBuilder2* caster = nullptr;
    IDirect3DRMFrame2* casterFrame = AddQuad(scene, 0, 0, 0, 0.5f, &caster);
    casterFrame->SetPosition(scene, 0, 0, -2);
    IDirect3DRMVisual* shadow = nullptr;
    ASSERT_EQ(root->CreateShadow(caster, sun, 0, 0, 0, 0, 0, 1, &shadow), D3DRM_OK);
    ASSERT_EQ(casterFrame->AddVisual(shadow), D3DRM_OK);
    RenderAndPresent();

    EXPECT_EQ(PixelAt(2, 0, 0), 0u);
    EXPECT_EQ(PixelAt(2.4f, 0.4f, 0), 0u);
    EXPECT_EQ(PixelAt(-2, 0, 0), kBackground);
    EXPECT_EQ(PixelAt(3, 0, 0), kBackground);
    EXPECT_EQ(PixelAt(0, 0, -2), 0xFFFFFFu);  // the caster itself, fully lit

    // The shadow follows its caster on the next frame.
    casterFrame->SetPosition(scene, 0, 3, -2);
    RenderAndPresent();
    EXPECT_EQ(PixelAt(2, 3, 0), 0u);
    EXPECT_EQ(PixelAt(2, 0, 0), kBackground);

    for (auto* o :
         std::initializer_list<IUnknown*>{shadow, casterFrame, caster, lightFrame, sun, ambient}) {
        o->Release();
    }
}

// A caster's shadow under a light travelling toward +x and +z onto the plane z = 0.
class ShadowShapes : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        MakeDevice(320, 240, D3DRMRENDER_UNLITFLAT);
        camera->SetPosition(scene, 0, 0, -20);
        root->CreateLightRGB(D3DRMLIGHT_DIRECTIONAL, 1, 1, 1, &sun);
        lightFrame = NewFrame(scene);
        lightFrame->SetOrientation(scene, 1, 0, 1, 0, 1, 0);
        lightFrame->AddLight(sun);
        casterFrame = NewFrame(scene);
        root->CreateMeshBuilder(&caster);
        casterFrame->AddVisual(caster);
        casterFrame->SetPosition(scene, 0, 0, -2);
    }
    void TearDown() override {
        for (auto* o : std::initializer_list<IUnknown*>{casterFrame, caster, lightFrame, sun}) {
            o->Release();
        }
        SceneTest::TearDown();
    }
    void CastAndRender() {
        IDirect3DRMVisual* shadow = nullptr;
        ASSERT_EQ(root->CreateShadow(caster, sun, 0, 0, 0, 0, 0, 1, &shadow), D3DRM_OK);
        casterFrame->AddVisual(shadow);
        shadow->Release();
        RenderAndPresent();
    }

    IDirect3DRMLight* sun = nullptr;
    IDirect3DRMFrame2 *lightFrame = nullptr, *casterFrame = nullptr;
    IDirect3DRMMeshBuilder2* caster = nullptr;
};

TEST_F(ShadowShapes, TwoSeparateQuadsCastTwoShadowsWithAGapBetween) {
    D3DVECTOR corners[8] = {{-0.5f, -2.5f, 0}, {-0.5f, -1.5f, 0}, {0.5f, -1.5f, 0},
                            {0.5f, -2.5f, 0},  {-0.5f, 1.5f, 0},  {-0.5f, 2.5f, 0},
                            {0.5f, 2.5f, 0},   {0.5f, 1.5f, 0}};
    DWORD faceData[] = {4, 0, 1, 2, 3, 4, 4, 5, 6, 7, 0};
    caster->AddFaces(8, corners, 0, nullptr, faceData, nullptr);
    CastAndRender();
    EXPECT_EQ(PixelAt(2, -2, 0), 0u);
    EXPECT_EQ(PixelAt(2, 2, 0), 0u);
    EXPECT_EQ(PixelAt(2, 0, 0), kBackground);
}

TEST_F(ShadowShapes, ACubeCastsItsWholeOutline) {
    // Six faces sharing eight corners, each clockwise as seen from outside.
    std::vector<D3DVECTOR> vertices;
    std::vector<DWORD> faceData;
    auto corner = [&](float x, float y, float z) {
        for (DWORD i = 0; i < vertices.size(); ++i) {
            if (vertices[i].x == x && vertices[i].y == y && vertices[i].z == z) return i;
        }
        vertices.push_back({x, y, z});
        return static_cast<DWORD>(vertices.size() - 1);
    };
    const float axes[6][3] = {{0, 0, -1}, {0, 0, 1}, {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    for (const auto& n : axes) {
        // Seen from outside along -n, with screen up +y (or +z for the top and bottom).
        float up[3] = {0, 1, 0};
        if (n[1] != 0) up[1] = 0, up[2] = 1;
        const float f[3] = {-n[0], -n[1], -n[2]};
        const float r[3] = {up[1] * f[2] - up[2] * f[1], up[2] * f[0] - up[0] * f[2],
                            up[0] * f[1] - up[1] * f[0]};
        faceData.push_back(4);
        const float signs[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
        for (const auto& sg : signs) {
            float p[3];
            for (int k = 0; k < 3; ++k)
                p[k] = 0.5f * (n[k] + sg[0] * r[k] + sg[1] * up[k]);
            faceData.push_back(corner(p[0], p[1], p[2]));
        }
    }
    faceData.push_back(0);
    ASSERT_EQ(vertices.size(), 8u);
    caster->AddFaces(8, vertices.data(), 0, nullptr, faceData.data(), nullptr);
    CastAndRender();
    // The cube spans z from -2.5 to -1.5: its shadow runs from x = 1 to x = 3.
    EXPECT_EQ(PixelAt(1.2f, 0, 0), 0u);
    EXPECT_EQ(PixelAt(2, 0.4f, 0), 0u);
    EXPECT_EQ(PixelAt(2.8f, 0, 0), 0u);
    EXPECT_EQ(PixelAt(3.4f, 0, 0), kBackground);
    EXPECT_EQ(PixelAt(2, 0.8f, 0), kBackground);
}

TEST_F(Render, CreateShadowRejectsWhatCannotCastOne) {
    IDirect3DRMMeshBuilder2* caster = nullptr;
    IDirect3DRMLight* sun = nullptr;
    root->CreateMeshBuilder(&caster);
    root->CreateLightRGB(D3DRMLIGHT_DIRECTIONAL, 1, 1, 1, &sun);
    IDirect3DRMVisual* shadow = reinterpret_cast<IDirect3DRMVisual*>(1);
    EXPECT_EQ(root->CreateShadow(nullptr, sun, 0, 0, 0, 0, 0, 1, &shadow), D3DRMERR_BADOBJECT);
    EXPECT_EQ(shadow, nullptr);
    EXPECT_EQ(root->CreateShadow(caster, nullptr, 0, 0, 0, 0, 0, 1, &shadow), D3DRMERR_BADOBJECT);
    EXPECT_EQ(root->CreateShadow(caster, sun, 0, 0, 0, 0, 0, 0, &shadow), D3DRMERR_BADVALUE);
    caster->Release();
    sun->Release();
}

}  // namespace
}  // namespace retained_test
