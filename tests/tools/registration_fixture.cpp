// A component module for the tool's registration commands. Its DllRegisterServer writes a
// marker value under HKEY_CURRENT_USER\Software\pidtool_tests\<FIXTURE_NAME> and returns
// FIXTURE_REGISTER_RESULT; its DllUnregisterServer removes the marker key and returns S_OK.
// Built once per outcome the tests need.
#include <windows.h>

#define FIXTURE_KEY "Software\\pidtool_tests\\" FIXTURE_NAME

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, FIXTURE_KEY, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) == ERROR_SUCCESS) {
    const DWORD registered = 1;
    RegSetValueExA(key, "Registered", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&registered),
                   sizeof registered);
    RegCloseKey(key);
  }
  return FIXTURE_REGISTER_RESULT;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
  RegDeleteKeyA(HKEY_CURRENT_USER, FIXTURE_KEY);
  return S_OK;
}
