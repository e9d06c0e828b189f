#pragma once
// The class factory that DllGetClassObject hands out for a class table row.

#include <windows.h>
#include <unknwn.h>

#include "module/module_state.h"

namespace rm {

class PluginClassFactory final : public IClassFactory {
 public:
  explicit PluginClassFactory(const ClassTableEntry* row) noexcept : refCount_(1), row_(row) {}
  virtual ~PluginClassFactory() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  volatile LONG refCount_;
  const ClassTableEntry* row_;
};

}  // namespace rm
