#pragma once
// The COM server exports as the shared server cases reach them: linked in-process, or looked
// up by name in the built module. Each test program defines ServerUnderTest().

#include <windows.h>
#include <unknwn.h>

namespace rmtest {

struct ComServerEntryPoints {
  HRESULT(STDAPICALLTYPE* getClassObject)(REFCLSID, REFIID, LPVOID*);
  HRESULT(STDAPICALLTYPE* canUnloadNow)();
};

const ComServerEntryPoints& ServerUnderTest();

// An outer object for aggregation tests. It counts its own AddRef/Release and forwards
// IProductIdentification queries to the inner object it controls.
class CountingOuter : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override {
    ++addRefs;
    return static_cast<ULONG>(++count);
  }
  ULONG STDMETHODCALLTYPE Release() override {
    ++releases;
    return static_cast<ULONG>(--count);
  }

  IUnknown* inner = nullptr;  // the aggregated object's non-delegating IUnknown
  LONG count = 1;
  LONG addRefs = 0;
  LONG releases = 0;
};

}  // namespace rmtest
