#pragma once
// The one class the module serves: the product identification plug-in.

#include "module/com_object_base.h"
#include "product_identification.h"

namespace rm {

class ProductIdentificationPlugin final : public ComObjectBase, public IProductIdentification {
 public:
  explicit ProductIdentificationPlugin(IUnknown* outer) noexcept : ComObjectBase(outer) {}
  ~ProductIdentificationPlugin() override = default;

  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;
  HRESULT Initialize() override { return S_OK; }
  // compat C08
  void PrepareForDestroy() override { refCount_ = 1; }

  // IProductIdentification: IUnknown goes to the controlling object.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return ControllingUnknown()->QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ControllingUnknown()->AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return ControllingUnknown()->Release(); }
  HRESULT STDMETHODCALLTYPE EnumerateProducts(ProductInfoCallback callback,
                                              ULONG_PTR context) override;
};

// The class table's creation function.
HRESULT CreateProductIdentificationPlugin(IUnknown* outer, ComObjectBase** object) noexcept;

}  // namespace rm
