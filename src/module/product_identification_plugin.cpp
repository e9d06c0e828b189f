#include "module/product_identification_plugin.h"

#include <new>

#include "identification/product_enumeration.h"

namespace rm {

HRESULT STDMETHODCALLTYPE ProductIdentificationPlugin::NonDelegatingQueryInterface(REFIID iid,
                                                                                   void** out) {
  if (out == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IProductIdentification)) {
    IProductIdentification* part = this;
    *out = part;
    part->AddRef();
    return S_OK;
  }
  return ComObjectBase::NonDelegatingQueryInterface(iid, out);
}

HRESULT STDMETHODCALLTYPE
ProductIdentificationPlugin::EnumerateProducts(ProductInfoCallback callback, ULONG_PTR context) {
  // compat F05
  if (callback == nullptr) return E_POINTER;  // nothing to report to: no walk
  EnumerateKnownProducts(Win32DeviceServices(), callback, context);
  return S_OK;
}

HRESULT CreateProductIdentificationPlugin(IUnknown* outer, ComObjectBase** object) noexcept {
  auto* plugin = new (std::nothrow) ProductIdentificationPlugin(outer);
  *object = plugin;
  return plugin != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace rm
