// Mesh builders: AddFaces with and without normals and its checks, faces made one by one,
// face numbering, colours, and Load of the disc resource and of malformed files, which
// leave the builder as it was.
#include <cmath>
#include <cstring>
#include <string>

#include "tests/retained/render_test_support.h"

namespace retained_test {
namespace {

using Mesh = RetainedTest;

IDirect3DRMMeshBuilder2* NewBuilder(IDirect3DRM2* root) {
    IDirect3DRMMeshBuilder2* builder = nullptr;
    EXPECT_EQ(root->CreateMeshBuilder(&builder), D3DRM_OK);
    return builder;
}

D3DCOLOR FaceColor(IDirect3DRMMeshBuilder2* builder, DWORD index) {
    IDirect3DRMFace* face = nullptr;
    EXPECT_EQ(builder->GetFace(index, &face), D3DRM_OK);
    if (!face) return 0;
    D3DCOLOR color = face->GetColor();
    face->Release();
    return color;
}

const D3DVECTOR kSquare[4] = {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};

TEST_F(Mesh, AddFacesRejectsBadDataWithoutChangingTheBuilder) {
    IDirect3DRMMeshBuilder2* builder = NewBuilder(root);
    const DWORD good[] = {4, 0, 1, 2, 3, 0};
    ASSERT_EQ(builder->AddFaces(4, kSquare, 0, nullptr, good, nullptr), D3DRM_OK);
    const D3DVECTOR normal{0, 0, -1};
    struct Case {
        const char* name;
        DWORD normalCount;
        std::vector<DWORD> data;
    };
    const Case cases[] = {
        {"vertex index past the end", 0, {3, 0, 1, 4, 0}},
        {"a face of two corners", 0, {2, 0, 1, 0}},
        {"second face bad", 0, {3, 0, 1, 2, 3, 0, 9, 1, 0}},
        {"normal index past the end", 1, {3, 0, 0, 1, 0, 2, 1, 0}},
    };
    for (const Case& c : cases) {
        IDirect3DRMFaceArray* faces = reinterpret_cast<IDirect3DRMFaceArray*>(1);
        EXPECT_EQ(builder->AddFaces(4, kSquare, c.normalCount, &normal, c.data.data(), &faces),
                  D3DRMERR_BADVALUE)
            << c.name;
        EXPECT_EQ(faces, nullptr);
        EXPECT_EQ(builder->GetFaceCount(), 1) << c.name;
        EXPECT_EQ(builder->GetVertexCount(), 4) << c.name;
    }
    EXPECT_EQ(builder->AddFaces(4, nullptr, 0, nullptr, good, nullptr), D3DRMERR_BADVALUE);
    EXPECT_EQ(builder->AddFaces(4, kSquare, 0, nullptr, nullptr, nullptr), D3DRMERR_BADVALUE);
    const D3DVECTOR notANumber[4] = {{NAN, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};
    EXPECT_EQ(builder->AddFaces(4, notANumber, 0, nullptr, good, nullptr), D3DRMERR_BADVALUE);
    EXPECT_EQ(builder->GetFaceCount(), 1);
    builder->Release();
}

TEST_F(Mesh, FacesAreNumberedInTheOrderAddedAndIndicesAreLocalToEachCall) {
    IDirect3DRMMeshBuilder2* builder = NewBuilder(root);
    const DWORD twoTriangles[] = {3, 0, 1, 2, 3, 0, 2, 3, 0};
    IDirect3DRMFaceArray* faces = nullptr;
    ASSERT_EQ(builder->AddFaces(4, kSquare, 0, nullptr, twoTriangles, &faces), D3DRM_OK);
    ASSERT_EQ(faces->GetSize(), 2u);
    faces->Release();
    // The second call's indices start again at 0 for its own vertices.
    const D3DVECTOR moved[4] = {{5, 0, 0}, {5, 1, 0}, {6, 1, 0}, {6, 0, 0}};
    const D3DVECTOR normals[1] = {{0, 0, -2}};
    const DWORD withNormals[] = {4, 0, 0, 1, 0, 2, 0, 3, 0, 0};
    ASSERT_EQ(builder->AddFaces(4, moved, 1, normals, withNormals, nullptr), D3DRM_OK);
    EXPECT_EQ(builder->GetFaceCount(), 3);
    EXPECT_EQ(builder->GetVertexCount(), 8);
    IDirect3DRMFace* third = nullptr;
    ASSERT_EQ(builder->GetFace(2, &third), D3DRM_OK);
    EXPECT_EQ(third->GetVertexCount(), 4);
    D3DVECTOR vertex{}, normal{};
    ASSERT_EQ(third->GetVertex(2, &vertex, &normal), D3DRM_OK);
    EXPECT_VEC_NEAR(vertex, 6, 1, 0, 0);
    EXPECT_VEC_NEAR(normal, 0, 0, -1, 1e-6);  // given normals are used, at unit length
    third->Release();

    // A face made corner by corner comes next, keeps its colour and cannot be added twice.
    IDirect3DRMFace* marker = nullptr;
    ASSERT_EQ(root->CreateFace(&marker), D3DRM_OK);
    const float diamond[4][3] = {
        {0, -0.2f, 0.1f}, {-0.2f, 0, 0.1f}, {0, 0.2f, 0.1f}, {0.2f, 0, 0.1f}};
    for (const auto& v : diamond)
        ASSERT_EQ(marker->AddVertex(v[0], v[1], v[2]), D3DRM_OK);
    marker->SetColorRGB(0, 1, 0);
    ASSERT_EQ(builder->AddFace(marker), D3DRM_OK);
    EXPECT_EQ(builder->AddFace(marker), D3DRMERR_FACEUSED);
    EXPECT_EQ(marker->AddVertex(1, 1, 1), D3DRMERR_FACEUSED);
    EXPECT_EQ(builder->GetFaceCount(), 4);
    EXPECT_EQ(FaceColor(builder, 3), 0xFF00FF00u);
    // The face now speaks for the builder's face.
    marker->SetColorRGB(0, 0, 1);
    EXPECT_EQ(FaceColor(builder, 3), 0xFF0000FFu);
    marker->Release();

    IDirect3DRMFace* tooSmall = nullptr;
    root->CreateFace(&tooSmall);
    tooSmall->AddVertex(0, 0, 0);
    EXPECT_EQ(builder->AddFace(tooSmall), D3DRMERR_BADVALUE);
    tooSmall->Release();

    // The builder's colour replaces every face's colour.
    builder->SetColorRGB(0.9f, 0.6f, 0);
    for (DWORD i = 0; i < 4; ++i)
        EXPECT_EQ(FaceColor(builder, i), 0xFFE69900u) << i;
    EXPECT_EQ(builder->SetQuality(0x1000), D3DRMERR_BADVALUE);
    EXPECT_EQ(builder->GetQuality(), D3DRMRENDER_GOURAUD);
    EXPECT_EQ(builder->SetQuality(D3DRMRENDER_WIREFRAME), D3DRM_OK);
    EXPECT_EQ(builder->GetQuality(), D3DRMRENDER_WIREFRAME);
    builder->Release();
}

TEST_F(Mesh, LoadsTheDiscResourceWithItsTwoMaterials) {
    IDirect3DRMMeshBuilder2* disc = NewBuilder(root);
    D3DRMLOADRESOURCE resource{nullptr, "stone", "XFILE"};
    ASSERT_EQ(disc->Load(&resource, nullptr, D3DRMLOAD_FROMRESOURCE, nullptr, nullptr), D3DRM_OK);
    EXPECT_EQ(disc->GetFaceCount(), 144);
    EXPECT_EQ(disc->GetVertexCount(), 122);
    // The half at negative z is black, the other white.
    EXPECT_EQ(FaceColor(disc, 0), 0xFF000000u);
    EXPECT_EQ(FaceColor(disc, 71), 0xFF000000u);
    EXPECT_EQ(FaceColor(disc, 72), 0xFFFFFFFFu);
    EXPECT_EQ(FaceColor(disc, 143), 0xFFFFFFFFu);
    // The file's normals are used: the centre of the black face points along -z.
    IDirect3DRMFace* face = nullptr;
    disc->GetFace(0, &face);
    D3DVECTOR vertex{}, normal{};
    face->GetVertex(0, &vertex, &normal);
    EXPECT_VEC_NEAR(vertex, 0, 0, -0.2f, 1e-6);
    EXPECT_VEC_NEAR(normal, 0, 0, -1, 1e-6);
    face->Release();
    disc->Release();
}

TEST_F(Mesh, FailedLoadsReportWhyAndKeepTheBuilderAsItWas) {
    IDirect3DRMMeshBuilder2* builder = NewBuilder(root);
    const DWORD good[] = {4, 0, 1, 2, 3, 0};
    builder->AddFaces(4, kSquare, 0, nullptr, good, nullptr);

    const std::string truncated = "xof 0303txt 0032\nMesh { 3; 0.0;0.0;0.0;, 1.0;0.0;";
    const std::string binary = "xof 0303bin 0032";
    const std::string small =
        "xof 0303txt 0032\n"
        "Material red { 1.0;0.0;0.0;1.0;; 5.0; 1.0;1.0;1.0;; 0.0;0.0;0.0;; }\n"
        "Mesh quad { 4; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;1.0;0.0;, 1.0;0.0;0.0;;\n"
        " 2; 3;0,1,2;, 3;0,2,3;;\n"
        " MeshMaterialList { 1; 2; 0,0;; {red} } }\n";
    struct Case {
        const char* name;
        D3DRMLOADRESOURCE resource;
        const std::string* memory;
        D3DRMLOADOPTIONS options;
        const char* objectName;
        HRESULT result;
    };
    const Case cases[] = {
        {"missing resource",
         {nullptr, "nothing", "XFILE"},
         nullptr,
         D3DRMLOAD_FROMRESOURCE,
         nullptr,
         D3DRMERR_FILENOTFOUND},
        {"wrong type",
         {nullptr, "stone", "WAVE"},
         nullptr,
         D3DRMLOAD_FROMRESOURCE,
         nullptr,
         D3DRMERR_FILENOTFOUND},
        {"truncated", {}, &truncated, D3DRMLOAD_FROMMEMORY, nullptr, D3DRMERR_BADFILE},
        {"binary", {}, &binary, D3DRMLOAD_FROMMEMORY, nullptr, D3DRMERR_BADFILE},
        {"other name",
         {},
         &small,
         D3DRMLOAD_FROMMEMORY | D3DRMLOAD_BYNAME,
         "disc",
         D3DRMERR_NOTFOUND},
        {"unknown source", {}, &small, D3DRMLOAD_FROMSTREAM, nullptr, D3DRMERR_BADVALUE},
    };
    for (const Case& c : cases) {
        D3DRMLOADRESOURCE resource = c.resource;
        D3DRMLOADMEMORY memory{};
        void* source = &resource;
        if (c.memory) {
            memory = {c.memory->data(), static_cast<DWORD>(c.memory->size())};
            source = &memory;
        }
        EXPECT_EQ(
            builder->Load(source, const_cast<char*>(c.objectName), c.options, nullptr, nullptr),
            c.result)
            << c.name;
        EXPECT_EQ(builder->GetFaceCount(), 1) << c.name;
        EXPECT_EQ(builder->GetVertexCount(), 4) << c.name;
    }
    EXPECT_EQ(builder->Load(nullptr, nullptr, D3DRMLOAD_FROMRESOURCE, nullptr, nullptr),
              D3DRMERR_BADVALUE);

    // The small file loads by its name, replacing the contents, with its shared material.
    D3DRMLOADMEMORY memory{small.data(), static_cast<DWORD>(small.size())};
    char name[] = "quad";
    ASSERT_EQ(
        builder->Load(&memory, name, D3DRMLOAD_FROMMEMORY | D3DRMLOAD_BYNAME, nullptr, nullptr),
        D3DRM_OK);
    EXPECT_EQ(builder->GetFaceCount(), 2);
    EXPECT_EQ(builder->GetVertexCount(), 4);
    EXPECT_EQ(FaceColor(builder, 1), 0xFFFF0000u);
    char loadedName[16] = {};
    DWORD size = sizeof(loadedName);
    ASSERT_EQ(builder->GetName(&size, loadedName), D3DRM_OK);
    EXPECT_STREQ(loadedName, "quad");
    builder->Release();
}

// SetColorRGB replaces the colour but keeps the specular part of a loaded material: a disc
// recoloured black still shows the highlight of its white specular colour.
TEST_F(Mesh, RecolouringKeepsTheMaterialsHighlight) {
    IDirectDrawClipper* clipper = nullptr;
    DirectDrawCreateClipper(0, &clipper, nullptr);
    RecordingTarget target;
    clipper->SetHWnd(0, &target);
    IDirect3DRMDevice2* device = nullptr;
    ASSERT_EQ(root->CreateDeviceFromClipper(clipper, &IID_IDirect3DRGBDevice, 64, 64, &device),
              D3DRM_OK);
    IDirect3DRMFrame2* scene = NewFrame();
    IDirect3DRMFrame2* camera = NewFrame(scene);
    camera->SetPosition(scene, 0, 0, -5);
    IDirect3DRMViewport* viewport = nullptr;
    root->CreateViewport(device, camera, 0, 0, 64, 64, &viewport);
    IDirect3DRMLight* light = nullptr;
    root->CreateLightRGB(D3DRMLIGHT_DIRECTIONAL, 1, 1, 1, &light);
    camera->AddLight(light);  // shines along the view: the highlight faces the camera

    IDirect3DRMMeshBuilder2* disc = NewBuilder(root);
    D3DRMLOADRESOURCE resource{nullptr, "stone", "XFILE"};
    ASSERT_EQ(disc->Load(&resource, nullptr, D3DRMLOAD_FROMRESOURCE, nullptr, nullptr), D3DRM_OK);
    IDirect3DRMFrame2* frame = NewFrame(scene);
    frame->AddVisual(disc);
    device->SetQuality(D3DRMRENDER_FLAT);

    auto centre = [&]() {
        viewport->Clear();
        viewport->Render(scene);
        device->Update();
        return target.At(32, 32);
    };
    const uint32_t black = centre();  // the black face, lit head-on: the full highlight
    EXPECT_EQ(black, 0xFFFFFFu);
    disc->SetColorRGB(0, 0, 0);
    EXPECT_EQ(centre(), black);
    light->SetColorRGB(0.5f, 0.5f, 0.5f);
    EXPECT_EQ(centre(), 0x808080u);  // the highlight follows the light

    for (auto* o : std::initializer_list<IUnknown*>{frame, disc, light, viewport, camera, scene,
                                                    device, clipper}) {
        o->Release();
    }
}

}  // namespace
}  // namespace retained_test
