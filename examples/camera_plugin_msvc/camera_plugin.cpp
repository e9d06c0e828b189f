// A product identification plug-in written for Visual C++ (or clang-cl): one COM class that
// reports its maker's camera to every host that lists CATEGORY_ProductIdentification, beside
// the cameras Rm7731.pid's own plug-in reports. Served the way QXCreateInstance and regsvr32
// expect; the .def file exports the four COM entry points by their plain names.
#include <windows.h>
#include <olectl.h>

#include <new>

#include "product_identification.h"
#include "qx_framework.h"

// The linker's name for this DLL's own image: its HINSTANCE, which registration records.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

// __uuidof(SampleCameraPlugin) is the plug-in's CLSID.
class __declspec(uuid("4B0E7C52-8D13-4F6A-9E27-5A1C3D8B9F60")) SampleCameraPlugin;

constexpr char kFriendlyName[] = "Sample Camera Plug-in";
constexpr char kCategory[] = "CATEGORY_ProductIdentification";

LONG g_liveObjects = 0;  // plug-ins and server locks; the DLL stays loaded while > 0

class SampleCameraPlugin : public IProductIdentification {
 public:
  SampleCameraPlugin() { InterlockedIncrement(&g_liveObjects); }
  virtual ~SampleCameraPlugin() { InterlockedDecrement(&g_liveObjects); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, __uuidof(IProductIdentification))) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IProductIdentification*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return left;
  }

  // One record per known camera, handed over before the call returns. A real plug-in asks the
  // system which of its cameras are present; this one always knows one.
  HRESULT STDMETHODCALLTYPE EnumerateProducts(ProductInfoCallback callback,
                                              ULONG_PTR context) override {
    if (callback == nullptr) return E_POINTER;
    ProductInfo record = {};
    record.size = sizeof record;
    const unsigned char code[8] = {0x53, 0x41, 0x4D, 0x50, 0x4C, 0x45, 0x00, 0x01};
    for (int i = 0; i < 8; ++i) record.productCode[i] = code[i];
    record.productName = "Sample Camera";
    record.driverName = record.productName;
    record.auxName = "";
    record.flags = kProductInfoActive;
    record.auxVersion = {16, 0, 0, 0};
    record.auxLanguageMask = 1;
    record.driverVersion = {16, 1, 2, 3};
    record.driverLanguageMask = 1;  // en-US
    callback(&record, context);
    return S_OK;
  }

 private:
  LONG references_ = 1;
};

// One static factory serves every request; it counts only server locks.
class SampleCameraFactory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    SampleCameraPlugin* plugin = new (std::nothrow) SampleCameraPlugin;
    if (plugin == nullptr) return E_OUTOFMEMORY;
    const HRESULT result = plugin->QueryInterface(iid, object);
    plugin->Release();  // the caller's reference, if any, keeps it alive
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      InterlockedIncrement(&g_liveObjects);
    } else {
      InterlockedDecrement(&g_liveObjects);
    }
    return S_OK;
  }
};

SampleCameraFactory g_factory;

HRESULT ToHresult(tagQXINTRFCRESULT result) {
  if (result == QXIR_SUCCESS) return S_OK;
  return result == QXIR_ACCESS_DENIED ? E_ACCESSDENIED : SELFREG_E_CLASS;
}

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(clsid, __uuidof(SampleCameraPlugin))) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow() { return g_liveObjects == 0 ? S_OK : S_FALSE; }

// Writes HKEY_LOCAL_MACHINE: run regsvr32 or pidtool register with write access to it.
STDAPI DllRegisterServer() {
  return ToHresult(QXRegisterServer(reinterpret_cast<HINSTANCE>(&__ImageBase),
                                    __uuidof(SampleCameraPlugin), kFriendlyName, kCategory, nullptr,
                                    nullptr));
}

STDAPI DllUnregisterServer() {
  return ToHresult(QXUnregisterServer(__uuidof(SampleCameraPlugin), kCategory, nullptr, nullptr));
}
