// A component module whose DllGetClassObject reads through a null pointer, as a broken
// component does: what `pidtool doctor --load` must survive and report.
#include <windows.h>
#include <objbase.h>

namespace {
int* volatile nowhere = nullptr;  // volatile, so that the compiler keeps the read
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    DllGetClassObject(REFCLSID, REFIID, void** object) {
  *object = nullptr;
  return static_cast<HRESULT>(*nowhere);
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() { return S_OK; }
