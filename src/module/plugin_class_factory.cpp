#include "module/plugin_class_factory.h"

#include "module/com_object_base.h"

namespace rm {

HRESULT STDMETHODCALLTYPE PluginClassFactory::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
    AddRef();
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE PluginClassFactory::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&refCount_));
}

ULONG STDMETHODCALLTYPE PluginClassFactory::Release() {
  const LONG remaining = InterlockedDecrement(&refCount_);
  if (remaining == 0) delete this;
  return static_cast<ULONG>(remaining);
}

HRESULT STDMETHODCALLTYPE PluginClassFactory::CreateInstance(IUnknown* outer, REFIID iid,
                                                             void** out) {
  // compat F05
  if (out == nullptr) return E_POINTER;
  if (outer != nullptr && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;

  ComObjectBase* object = nullptr;
  const HRESULT created = row_->creator(outer, &object);
  if (FAILED(created)) return created;

  const HRESULT initialized = object->Initialize();
  if (FAILED(initialized)) {
    object->NonDelegatingRelease();
    return initialized;
  }

  // The query adds the caller's reference; the release drops the creation's one, and
  // destroys the object when the query failed.
  const HRESULT queried = object->NonDelegatingQueryInterface(iid, out);
  object->NonDelegatingRelease();
  return queried;
}

// compat C10
HRESULT STDMETHODCALLTYPE PluginClassFactory::LockServer(BOOL lock) {
  if (lock) {
    InterlockedIncrement(&g_lockCount);
  } else {
    InterlockedDecrement(&g_lockCount);
  }
  return S_OK;
}

}  // namespace rm
