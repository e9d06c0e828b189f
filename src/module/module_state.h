#pragma once
// Process-wide state of the COM server: the module handle, the class table and the two
// counters that decide whether the module may be unloaded.

#include <windows.h>
#include <unknwn.h>

namespace rm {

// Creation function of a class: takes the outer IUnknown (null when not aggregated) and the
// place for the new object, which it returns carrying one reference.
class ComObjectBase;
using ClassCreator = HRESULT (*)(IUnknown* outer, ComObjectBase** object);

struct ClassTableEntry {
  const GUID* clsid;
  ClassCreator creator;
  const char* friendlyName;
  const char* category;
  const char* extraString1;
  const char* extraString2;
};

extern HINSTANCE g_moduleHandle;
extern GUID g_pluginClsid;  // written at process attach
extern ClassTableEntry g_classTable[];
extern const LONG g_classCount;
extern volatile LONG g_lockCount;
extern volatile LONG g_liveObjectCount;

// Load-time initialisers run in this order: the class table's strings, then the component
// framework's list of loaded modules.
constexpr int kClassTableInitPriority = 1000;
constexpr int kLoadedModuleListInitPriority = 1001;

// The process-attach step of the module entry point.
void OnProcessAttach(HINSTANCE module) noexcept;

}  // namespace rm
