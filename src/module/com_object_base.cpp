#include "module/com_object_base.h"

#include "module/module_state.h"

namespace rm {

ComObjectBase::ComObjectBase(IUnknown* outer) noexcept
    : refCount_(1), controllingUnknown_(outer != nullptr ? outer : NonDelegatingUnknownPointer()) {
  InterlockedIncrement(&g_liveObjectCount);
}

ComObjectBase::~ComObjectBase() { InterlockedDecrement(&g_liveObjectCount); }

HRESULT STDMETHODCALLTYPE ComObjectBase::NonDelegatingQueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown)) {
    *out = NonDelegatingUnknownPointer();
    NonDelegatingAddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE ComObjectBase::NonDelegatingAddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&refCount_));
}

ULONG STDMETHODCALLTYPE ComObjectBase::NonDelegatingRelease() {
  // Decide from this decrement's own result: a second read could race with another thread.
  const LONG remaining = InterlockedDecrement(&refCount_);
  if (remaining != 0) return static_cast<ULONG>(remaining);
  PrepareForDestroy();
  delete this;
  return 0;
}

HRESULT ComObjectBase::Initialize() { return S_OK; }

// compat C08
void ComObjectBase::PrepareForDestroy() { refCount_ = 1; }

}  // namespace rm
