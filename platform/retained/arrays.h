// The snapshot arrays handed out by frames, builders and picks: each holds a reference to
// every element, so an element stays valid while the array lives.
#pragma once

#include <vector>

#include "platform/retained/object_base.h"

namespace retained::detail {

template <class ArrayInterface, class Element>
class RefArray final : public ComObject<ArrayInterface> {
  public:
    explicit RefArray(std::vector<Element*> items) : items_(std::move(items)) {
        for (Element* item : items_)
            item->AddRef();
    }

    HRESULT QueryInterface(REFIID riid, void** object) override {
        return this->AnswerQuery(riid, object, {});
    }
    DWORD GetSize() override { return static_cast<DWORD>(items_.size()); }
    HRESULT GetElement(DWORD index, Element** element) override {
        if (!element) return D3DRMERR_BADVALUE;
        *element = nullptr;
        HRESULT failure;
        if (InjectedFailure(testing::CallId::GetElement, &failure)) return failure;
        if (index >= items_.size()) return D3DRMERR_BADVALUE;
        return HandOut(items_[index], element);
    }

  private:
    ~RefArray() override {
        for (Element* item : items_)
            item->Release();
    }

    std::vector<Element*> items_;
};

using VisualArray = RefArray<IDirect3DRMVisualArray, IDirect3DRMVisual>;
using FrameArray = RefArray<IDirect3DRMFrameArray, IDirect3DRMFrame>;
using FaceArray = RefArray<IDirect3DRMFaceArray, IDirect3DRMFace>;

}  // namespace retained::detail
