// The reference counting shared by every object of the layer, the live-object count that
// proves nothing leaks, and the hook through which tests make chosen calls fail.
#pragma once

#include <cstring>
#include <string>

#include "platform/retained/d3drm.h"
#include "platform/retained/testing.h"

namespace retained::detail {

void NoteObjectCreated();
void NoteObjectDestroyed();

// Counts the call; true (with the result to return) when a test armed it to fail.
bool InjectedFailure(testing::CallId call, HRESULT* result);

// Stores the interface in *out with a new reference (or null); S_OK.
template <class Interface, class Object>
HRESULT HandOut(Object* object, Interface** out) {
    *out = object;
    if (object) object->AddRef();
    return S_OK;
}

template <class Interface>
class ComObject : public Interface {
  public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

  protected:
    ComObject() { NoteObjectCreated(); }
    ~ComObject() override { NoteObjectDestroyed(); }

    // For QueryInterface: hands out this object when riid is one of ids.
    HRESULT AnswerQuery(REFIID riid, void** object, std::initializer_list<IID> ids) {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (riid == IID_IUnknown) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        for (const IID& id : ids) {
            if (riid == id) {
                *object = static_cast<Interface*>(this);
                AddRef();
                return S_OK;
            }
        }
        return E_NOINTERFACE;
    }

  private:
    ULONG references_ = 1;
};

// Adds what every retained-mode object carries: the application value and the name.
template <class Interface>
class RmObject : public ComObject<Interface> {
  public:
    HRESULT SetAppData(DWORD data) override {
        appData_ = data;
        return D3DRM_OK;
    }
    DWORD GetAppData() override { return appData_; }
    HRESULT SetName(const char* name) override {
        name_ = name ? name : "";
        return D3DRM_OK;
    }
    HRESULT GetName(DWORD* size, char* name) override {
        if (!size) return D3DRMERR_BADVALUE;
        DWORD needed = static_cast<DWORD>(name_.size() + 1);
        if (name) {
            if (*size < needed) return D3DRMERR_BADVALUE;
            std::memcpy(name, name_.c_str(), needed);
        }
        *size = needed;
        return D3DRM_OK;
    }
    const std::string& Name() const { return name_; }

  private:
    DWORD appData_ = 0;
    std::string name_;
};

}  // namespace retained::detail
