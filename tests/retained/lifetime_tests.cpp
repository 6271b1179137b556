// Reference counting and ownership: who keeps whom alive, snapshots that outlive changes,
// the rules of the tree, and failure injection reaching the out parameters.
#include "tests/retained/retained_test_support.h"

namespace retained_test {
namespace {

using Lifetime = RetainedTest;
using retained::testing::CallId;

IDirect3DRMMeshBuilder2* NewBuilder(IDirect3DRM2* root) {
    IDirect3DRMMeshBuilder2* builder = nullptr;
    EXPECT_EQ(root->CreateMeshBuilder(&builder), D3DRM_OK);
    return builder;
}

TEST_F(Lifetime, TreeKeepsChildrenVisualsAndLightsAliveUntilTheRootGoes) {
    const long before = LiveObjectCount();
    IDirect3DRMFrame2* scene = NewFrame();
    IDirect3DRMFrame2* child = NewFrame(scene);
    IDirect3DRMFrame2* grandchild = NewFrame(child);
    IDirect3DRMMeshBuilder2* mesh = NewBuilder(root);
    IDirect3DRMLight* light = nullptr;
    ASSERT_EQ(root->CreateLightRGB(D3DRMLIGHT_AMBIENT, 0.5f, 0.5f, 0.5f, &light), D3DRM_OK);
    ASSERT_EQ(grandchild->AddVisual(mesh), D3DRM_OK);
    ASSERT_EQ(child->AddLight(light), D3DRM_OK);
    EXPECT_EQ(LiveObjectCount(), before + 5);

    // Only the tree holds them now.
    grandchild->Release();
    child->Release();
    mesh->Release();
    light->Release();
    EXPECT_EQ(LiveObjectCount(), before + 5);

    scene->Release();
    EXPECT_EQ(LiveObjectCount(), before);
}

TEST_F(Lifetime, ReleasedParentDetachesAChildHeldElsewhere) {
    IDirect3DRMFrame2* scene = NewFrame();
    IDirect3DRMFrame2* child = NewFrame(scene);
    child->SetPosition(scene, 1, 2, 3);
    scene->Release();
    IDirect3DRMFrame* parent = reinterpret_cast<IDirect3DRMFrame*>(1);
    ASSERT_EQ(child->GetParent(&parent), D3DRM_OK);
    EXPECT_EQ(parent, nullptr);
    IDirect3DRMFrame* sceneOfChild = nullptr;
    child->GetScene(&sceneOfChild);
    EXPECT_EQ(sceneOfChild, static_cast<IDirect3DRMFrame*>(child));
    sceneOfChild->Release();
    child->Release();
}

TEST_F(Lifetime, AddChildReparentsKeepingTheLocalTransformAndRefusesCycles) {
    IDirect3DRMFrame2* a = NewFrame();
    IDirect3DRMFrame2* b = NewFrame();
    IDirect3DRMFrame2* child = NewFrame(a);
    b->SetPosition(nullptr, 100, 0, 0);
    child->SetPosition(a, 1, 0, 0);
    ASSERT_EQ(b->AddChild(child), D3DRM_OK);
    EXPECT_VEC_NEAR(PositionIn(child, nullptr), 101, 0, 0, 1e-4);  // the local place is kept
    IDirect3DRMFrameArray* children = nullptr;
    a->GetChildren(&children);
    EXPECT_EQ(children->GetSize(), 0u);
    children->Release();

    EXPECT_EQ(child->AddChild(b), D3DRMERR_BADVALUE);      // b is child's parent
    EXPECT_EQ(child->AddChild(child), D3DRMERR_BADVALUE);  // itself
    EXPECT_EQ(a->AddChild(nullptr), D3DRMERR_BADOBJECT);
    EXPECT_EQ(a->DeleteChild(child), D3DRMERR_BADVALUE);  // not a's any more
    child->Release();
    a->Release();
    b->Release();
}

TEST_F(Lifetime, TreesStopGrowingAtAThousandLevels) {
    IDirect3DRMFrame2* top = NewFrame();
    IDirect3DRMFrame2* bottom = top;
    bottom->AddRef();
    for (int level = 2; level <= 1000; ++level) {
        IDirect3DRMFrame2* next = NewFrame(bottom);
        ASSERT_NE(next, nullptr) << level;
        bottom->Release();
        bottom = next;
    }
    IDirect3DRMFrame2* tooDeep = reinterpret_cast<IDirect3DRMFrame2*>(1);
    EXPECT_EQ(root->CreateFrame(bottom, &tooDeep), D3DRMERR_BADVALUE);
    EXPECT_EQ(tooDeep, nullptr);
    // Hanging a two-level tree under the 999th level is refused as well.
    IDirect3DRMFrame2* pair = NewFrame();
    IDirect3DRMFrame2* leaf = NewFrame(pair);
    IDirect3DRMFrame* parent = nullptr;
    bottom->GetParent(&parent);
    EXPECT_EQ(parent->AddChild(pair), D3DRMERR_BADVALUE);
    parent->Release();
    leaf->Release();
    pair->Release();
    bottom->Release();
    top->Release();  // releases the whole chain
}

TEST_F(Lifetime, VisualListRulesAndSnapshots) {
    IDirect3DRMFrame2* frame = NewFrame();
    IDirect3DRMMeshBuilder2* first = NewBuilder(root);
    IDirect3DRMMeshBuilder2* second = NewBuilder(root);
    ASSERT_EQ(frame->AddVisual(first), D3DRM_OK);
    ASSERT_EQ(frame->AddVisual(second), D3DRM_OK);
    EXPECT_EQ(frame->AddVisual(first), D3DRM_OK);  // already there: nothing happens
    EXPECT_EQ(frame->AddVisual(nullptr), D3DRMERR_BADOBJECT);
    EXPECT_EQ(frame->AddVisual(frame), D3DRMERR_BADTYPE);  // frames are not shapes here

    IDirect3DRMVisualArray* snapshot = nullptr;
    ASSERT_EQ(frame->GetVisuals(&snapshot), D3DRM_OK);
    ASSERT_EQ(snapshot->GetSize(), 2u);
    // Emptying the frame the way the view does, through the snapshot.
    for (DWORD i = 0; i < snapshot->GetSize(); ++i) {
        IDirect3DRMVisual* visual = nullptr;
        ASSERT_EQ(snapshot->GetElement(i, &visual), D3DRM_OK);
        EXPECT_EQ(visual, i == 0 ? static_cast<IDirect3DRMVisual*>(first)
                                 : static_cast<IDirect3DRMVisual*>(second));
        EXPECT_EQ(frame->DeleteVisual(visual), D3DRM_OK);
        visual->Release();
    }
    IDirect3DRMVisual* outOfRange = reinterpret_cast<IDirect3DRMVisual*>(1);
    EXPECT_EQ(snapshot->GetElement(2, &outOfRange), D3DRMERR_BADVALUE);
    EXPECT_EQ(outOfRange, nullptr);
    EXPECT_EQ(frame->DeleteVisual(first), D3DRMERR_BADVALUE);
    EXPECT_EQ(frame->DeleteVisual(nullptr), D3DRMERR_BADOBJECT);

    // The snapshot keeps the builders alive after the frame and their creator let go.
    first->Release();
    second->Release();
    IDirect3DRMVisual* kept = nullptr;
    ASSERT_EQ(snapshot->GetElement(1, &kept), D3DRM_OK);
    EXPECT_EQ(kept->GetAppData(), 0u);
    kept->SetAppData(10);
    EXPECT_EQ(kept->GetAppData(), 10u);
    kept->Release();
    snapshot->Release();

    IDirect3DRMVisualArray* empty = nullptr;
    frame->GetVisuals(&empty);
    EXPECT_EQ(empty->GetSize(), 0u);
    empty->Release();
    frame->Release();
}

TEST_F(Lifetime, RootAnswersBothInterfacesOnOneCount) {
    IDirect3DRM* first = nullptr;
    ASSERT_EQ(root->QueryInterface(IID_IDirect3DRM, reinterpret_cast<void**>(&first)), S_OK);
    void* nothing = reinterpret_cast<void*>(1);
    EXPECT_EQ(root->QueryInterface(IID_IDirect3D, &nothing), E_NOINTERFACE);
    EXPECT_EQ(nothing, nullptr);
    EXPECT_EQ(first->Release(), 1u);  // the fixture's root2 still holds the object
}

TEST_F(Lifetime, InjectedFailuresClearTheOutParameterAndHitTheChosenCall) {
    retained::testing::FailCall(CallId::CreateFrame, 2);
    IDirect3DRMFrame2* ok = NewFrame();
    IDirect3DRMFrame2* failed = reinterpret_cast<IDirect3DRMFrame2*>(1);
    EXPECT_EQ(root->CreateFrame(nullptr, &failed), E_FAIL);
    EXPECT_EQ(failed, nullptr);
    IDirect3DRMFrame2* third = NewFrame(ok);  // only the chosen call fails
    ASSERT_NE(third, nullptr);

    // A positive result for the calls whose callers want exactly 0.
    retained::testing::FailCall(CallId::GetPosition, 1, 1);
    D3DVECTOR p{};
    EXPECT_EQ(third->GetPosition(nullptr, &p), 1);
    EXPECT_EQ(third->GetPosition(nullptr, &p), D3DRM_OK);

    retained::testing::FailEveryCall(CallId::GetVisuals, D3DRMERR_BADALLOC);
    IDirect3DRMVisualArray* visuals = nullptr;
    EXPECT_EQ(ok->GetVisuals(&visuals), D3DRMERR_BADALLOC);
    EXPECT_EQ(ok->GetVisuals(&visuals), D3DRMERR_BADALLOC);
    EXPECT_EQ(visuals, nullptr);
    retained::testing::ResetFailures();
    EXPECT_EQ(ok->GetVisuals(&visuals), D3DRM_OK);
    visuals->Release();

    retained::testing::FailCall(CallId::Direct3DRMCreate);
    IDirect3DRM* another = reinterpret_cast<IDirect3DRM*>(1);
    EXPECT_LT(Direct3DRMCreate(&another), 0);
    EXPECT_EQ(another, nullptr);
    retained::testing::FailCall(CallId::QueryInterfaceDirect3DRM2);
    IDirect3DRM2* root2 = reinterpret_cast<IDirect3DRM2*>(1);
    EXPECT_LT(root->QueryInterface(IID_IDirect3DRM2, reinterpret_cast<void**>(&root2)), 0);
    EXPECT_EQ(root2, nullptr);

    third->Release();
    ok->Release();
}

}  // namespace
}  // namespace retained_test
