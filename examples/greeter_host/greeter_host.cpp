// A host of the greeter components: finds them by category, creates and calls each one, keeps
// a setting for the component and one for an object it handles, and lets the module go again.
#include <windows.h>

#include <stdio.h>
#include <vector>

#include "greeter.h"
#include "qx_framework.h"

namespace {

// Every host shares the component's machine-wide properties: this changes its greeting for all.
bool SetGreeting(const GUID& clsid, const char* greeting) {
  unsigned char* data = reinterpret_cast<unsigned char*>(const_cast<char*>(greeting));
  return QXSaveComponentPropertyValue(clsid, kGreetingProperty, QXVT_STRING, data,
                                      lstrlenA(greeting) + 1) == QXIR_SUCCESS;
}

// Settings of one object ("camera 1") for this host, kept per user.
bool KeepExposure(const GUID& clsid, const char* objectName, DWORD exposure) {
  GUID objectId{};
  if (QXGenerateObjectID(clsid, objectName, &objectId, 0) != QXIR_SUCCESS) return false;
  tagQXCLIENTID client{"greeter_host"};
  if (QXSaveObjectPropertyValue(clsid, objectId, client, 1, "Exposure", QXVT_DWORD,
                                reinterpret_cast<unsigned char*>(&exposure),
                                sizeof exposure) != QXIR_SUCCESS) {
    return false;
  }
  DWORD stored = 0;
  tagQXVALUETYPE type = QXVT_UNKNOWN;
  unsigned long size = 0;
  if (QXRetrieveObjectPropertyValue(clsid, objectId, client, 1, 0, "Exposure", &type,
                                    reinterpret_cast<unsigned char*>(&stored), sizeof stored,
                                    &size) != QXIR_SUCCESS) {
    return false;
  }
  char idText[40] = "";
  QXConvertCLSIDToString(objectId, idText, sizeof idText);
  printf("  object '%s' %s: Exposure = %lu\n", objectName, idText, stored);
  return stored == exposure;
}

bool UseGreeter(const GUID& clsid) {
  char name[256] = "";
  unsigned long needed = 0;
  if (QXGetComponentFriendlyName(clsid, name, sizeof name, &needed) != QXIR_SUCCESS) return false;
  printf("%s\n", name);

  if (!SetGreeting(clsid, "Good morning")) return false;
  ISampleGreeter* greeter = nullptr;
  const tagQXINTRFCRESULT created = QXCreateInstance(
      clsid, nullptr, CLSCTX_INPROC_SERVER, IID_ISampleGreeter, reinterpret_cast<void**>(&greeter));
  if (created != QXIR_SUCCESS) {
    printf("  QXCreateInstance returned %d\n", static_cast<int>(created));
    return false;
  }
  char text[128] = "";
  const HRESULT greeted = greeter->Greet("camera 1", text, sizeof text);
  greeter->Release();
  if (FAILED(greeted)) return false;
  printf("  %s\n", text);
  return KeepExposure(clsid, "camera 1", 250);
}

}  // namespace

int main() {
  unsigned long count = 0;
  if (QXEnumComponents(kGreeterCategory, nullptr, &count) != QXIR_SUCCESS) {
    printf("No greeter is registered (category %s).\n", kGreeterCategory);
    return 1;
  }
  std::vector<GUID> clsids(count);
  if (QXEnumComponents(kGreeterCategory, clsids.data(), &count) != QXIR_SUCCESS) return 1;
  clsids.resize(count);

  bool ok = true;
  for (const GUID& clsid : clsids) ok = UseGreeter(clsid) && ok;

  // Every greeter is released, so its module answers DllCanUnloadNow with S_OK and goes.
  QXFreeUnusedLibraries();
  const bool freed = GetModuleHandleA("greeter_component.dll") == nullptr;
  printf("%lu greeter(s) used; module %s\n", count, freed ? "freed" : "still loaded");
  return ok && freed ? 0 : 1;
}
