// A module whose file exists but which imports a DLL that does not: what `pidtool register`
// must report as a missing import, naming that DLL, rather than as a missing file. With
// FIXTURE_INDIRECT it imports the other fixture instead, whose import is missing in turn. Its
// COM entry points let doctor --load try it.
#include <windows.h>

#ifdef FIXTURE_INDIRECT
extern "C" __declspec(dllimport) int FixtureAnswer();
extern "C" __declspec(dllexport) int IndirectAnswer() { return FixtureAnswer(); }
#else
extern "C" __declspec(dllimport) int AbsentFunction();
extern "C" __declspec(dllexport) int FixtureAnswer() { return AbsentFunction(); }
#endif

extern "C" __declspec(dllexport) HRESULT WINAPI
    DllGetClassObject(const GUID*, const GUID*, void** out) {
  *out = nullptr;
  return CLASS_E_CLASSNOTAVAILABLE;
}
extern "C" __declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() { return S_OK; }
