// A product identification plug-in that reports two cameras, as Rm7731.pid reports them on a
// machine that has both: one record, filled afresh for each product and handed to the
// callback synchronously. Its CLSID is registered in CATEGORY_ProductIdentification by the
// tests themselves.
#include <windows.h>
#include <unknwn.h>

#include <cstring>

#include "product_identification.h"
#include "support/fixture_com_object.h"

namespace {

// {6F3B2C1D-4E5A-4B7C-8D9E-0A1B2C3D4E5F}
constexpr CLSID kFixtureClsid = {
    0x6F3B2C1D, 0x4E5A, 0x4B7C, {0x8D, 0x9E, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F}};

LONG g_liveObjects = 0;

class CameraPlugin final : public rmtest::FixtureComObject<IProductIdentification> {
 public:
  CameraPlugin() { InterlockedIncrement(&g_liveObjects); }
  ~CameraPlugin() override { InterlockedDecrement(&g_liveObjects); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IProductIdentification)) {
      *out = static_cast<IProductIdentification*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }

  HRESULT STDMETHODCALLTYPE EnumerateProducts(ProductInfoCallback callback,
                                              ULONG_PTR context) override {
    if (callback == nullptr) return E_POINTER;
    ProductInfo record;
    char name[260];

    std::memset(&record, 0, sizeof record);
    const std::uint8_t first[8] = {0x07, 0x01, 0x03, 0x02, 0x00, 0x00, 0x00, 0x8A};
    std::memcpy(record.productCode, first, 8);
    std::strcpy(name, "RM7731 \"Field\" Camera");
    Fill(&record, name, kProductKindFirst, kProductInfoActive, {16, 6, 1, 7601}, 0x81);
    callback(&record, context);

    std::memset(&record, 0, sizeof record);
    const std::uint8_t second[8] = {0x07, 0x01, 0x03, 0x02, 0x00, 0x00, 0x01, 0x1C};
    std::memcpy(record.productCode, second, 8);
    name[0] = '\0';
    Fill(&record, name, kProductKindSecond, 0, {16, 0, 0, 0}, 0x1);
    callback(&record, context);
    return S_OK;
  }

 private:
  static void Fill(ProductInfo* record, const char* name, std::uint32_t kind, std::uint32_t flags,
                   VersionBlock version, std::uint32_t languages) {
    record->size = sizeof(ProductInfo);
    record->productName = name;
    record->driverName = name;
    record->auxName = "";
    record->productKind = kind;
    record->flags = flags;
    record->auxVersion = {16, 0, 0, 0};
    record->auxLanguageMask = 1;
    record->driverVersion = version;
    record->driverLanguageMask = languages;
  }
};

class CameraPluginFactory final : public rmtest::FixtureComObject<IClassFactory> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    CameraPlugin* plugin = new CameraPlugin;
    const HRESULT result = plugin->QueryInterface(iid, out);
    plugin->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!IsEqualCLSID(clsid, kFixtureClsid)) return CLASS_E_CLASSNOTAVAILABLE;
  CameraPluginFactory* factory = new CameraPluginFactory;
  const HRESULT result = factory->QueryInterface(iid, out);
  factory->Release();
  return result;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return g_liveObjects == 0 ? S_OK : S_FALSE;
}
