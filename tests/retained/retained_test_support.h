// Shared set-up of the retained-layer tests: a root object, frames, and the proof that every
// object a test made is gone when it ends.
#pragma once

#include <gtest/gtest.h>

#include "platform/retained/d3drm.h"
#include "platform/retained/ddraw.h"
#include "platform/retained/testing.h"

namespace retained_test {

using namespace retained;

class RetainedTest : public ::testing::Test {
  protected:
    void SetUp() override {
        retained::testing::ResetFailures();
        liveAtStart_ = LiveObjectCount();
        IDirect3DRM* first = nullptr;
        ASSERT_EQ(Direct3DRMCreate(&first), D3DRM_OK);
        ASSERT_EQ(first->QueryInterface(IID_IDirect3DRM2, reinterpret_cast<void**>(&root)), S_OK);
        first->Release();
    }
    void TearDown() override {
        retained::testing::ResetFailures();
        if (root) root->Release();
        root = nullptr;
        EXPECT_EQ(LiveObjectCount(), liveAtStart_) << "objects leaked or released too often";
    }

    // A frame under parent (null: a new root); the caller releases it.
    IDirect3DRMFrame2* NewFrame(IDirect3DRMFrame* parent = nullptr) {
        IDirect3DRMFrame2* frame = nullptr;
        EXPECT_EQ(root->CreateFrame(parent, &frame), D3DRM_OK);
        return frame;
    }

    IDirect3DRM2* root = nullptr;

  private:
    long liveAtStart_ = 0;
};

inline D3DVECTOR PositionIn(IDirect3DRMFrame* frame, IDirect3DRMFrame* reference) {
    D3DVECTOR v{};
    EXPECT_EQ(frame->GetPosition(reference, &v), D3DRM_OK);
    return v;
}

#define EXPECT_VEC_NEAR(actual, ex, ey, ez, tolerance) \
    do {                                               \
        const auto v_ = (actual);                      \
        EXPECT_NEAR(v_.x, (ex), (tolerance));          \
        EXPECT_NEAR(v_.y, (ey), (tolerance));          \
        EXPECT_NEAR(v_.z, (ez), (tolerance));          \
    } while (0)

}  // namespace retained_test
