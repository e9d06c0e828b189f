// The greeter component: one COM class, served the way QXCreateInstance and regsvr32 expect.
#include <windows.h>
#include <olectl.h>

#include <new>
#include <stdio.h>

#include "greeter.h"
#include "qx_framework.h"

namespace {

HINSTANCE g_module = nullptr;  // this DLL, not the host: registration records its path
LONG g_liveObjects = 0;        // greeters and server locks; the module stays loaded while > 0

class Greeter : public ISampleGreeter {
 public:
  Greeter() { InterlockedIncrement(&g_liveObjects); }
  virtual ~Greeter() { InterlockedDecrement(&g_liveObjects); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_ISampleGreeter)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<ISampleGreeter*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE Greet(const char* name, char* buffer, unsigned long size) override {
    if (name == nullptr || buffer == nullptr) return E_POINTER;
    // Hosts may change the greeting through the component's property; without one it is "Hello".
    char greeting[64] = "Hello";
    tagQXVALUETYPE type = QXVT_UNKNOWN;
    unsigned long stored = 0;
    if (QXRetrieveComponentPropertyValue(CLSID_SampleGreeter, kGreetingProperty, &type,
                                         reinterpret_cast<unsigned char*>(greeting),
                                         sizeof greeting - 1, &stored) != QXIR_SUCCESS ||
        type != QXVT_STRING) {
      lstrcpyA(greeting, "Hello");
    }
    greeting[sizeof greeting - 1] = '\0';
    const int length = snprintf(buffer, size, "%s, %s!", greeting, name);
    if (length < 0 || static_cast<unsigned long>(length) >= size) {
      if (size > 0) buffer[0] = '\0';
      return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    }
    return S_OK;
  }

 private:
  LONG references_ = 1;
};

// One static factory serves every request; it counts only server locks.
class GreeterFactory : public IClassFactory {
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
    Greeter* greeter = new (std::nothrow) Greeter;
    if (greeter == nullptr) return E_OUTOFMEMORY;
    const HRESULT result = greeter->QueryInterface(iid, object);
    greeter->Release();  // the caller's reference, if any, keeps it alive
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

GreeterFactory g_factory;

HRESULT ToHresult(tagQXINTRFCRESULT result) {
  if (result == QXIR_SUCCESS) return S_OK;
  return result == QXIR_ACCESS_DENIED ? E_ACCESSDENIED : SELFREG_E_CLASS;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = module;
    DisableThreadLibraryCalls(module);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_SampleGreeter)) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow() { return g_liveObjects == 0 ? S_OK : S_FALSE; }

// Writes HKEY_LOCAL_MACHINE: run regsvr32 or pidtool register with write access to it.
STDAPI DllRegisterServer() {
  return ToHresult(QXRegisterServer(g_module, CLSID_SampleGreeter, "Sample Greeter",
                                    kGreeterCategory, nullptr, nullptr));
}

// Also removes the component's machine-wide properties and object identifiers.
STDAPI DllUnregisterServer() {
  return ToHresult(QXUnregisterServer(CLSID_SampleGreeter, kGreeterCategory, nullptr, nullptr));
}
