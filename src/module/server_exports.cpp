// The COM server exports: DllGetClassObject and DllCanUnloadNow, and DllRegisterServer and
// DllUnregisterServer, which enter the class table in the component registry.
#include <windows.h>
#include <unknwn.h>

#include <cstring>
#include <new>

#include "base/null_address.h"
#include "module/module_state.h"
#include "module/plugin_class_factory.h"
#include "module/server_registration.h"
#include "qx/component_registration.h"
#include "registry/failure_trace.h"

using rm::g_classCount;
using rm::g_classTable;

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
  rm::CallTrace call("DllGetClassObject");
  call.Guid(&clsid).Guid(&iid);
  // compat F05
  if (out == nullptr) return call.ReturnsHresult(E_POINTER);
  // compat F01
  if (rm::IsNullAddress(&clsid) || rm::IsNullAddress(&iid)) {
    return call.ReturnsHresult(E_INVALIDARG);
  }
  // compat C11
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) {
    return call.ReturnsHresult(E_NOINTERFACE);
  }

  const rm::ClassTableEntry* row = nullptr;
  for (LONG index = 0; index < g_classCount; ++index) {
    if (std::memcmp(g_classTable[index].clsid, &clsid, sizeof(GUID)) == 0) {
      row = &g_classTable[index];
      break;
    }
  }
  if (row == nullptr) return call.ReturnsHresult(CLASS_E_CLASSNOTAVAILABLE);

  auto* factory = new (std::nothrow) rm::PluginClassFactory(row);
  *out = static_cast<IClassFactory*>(factory);
  return call.ReturnsHresult(factory != nullptr ? S_OK : E_OUTOFMEMORY);
}

STDAPI DllCanUnloadNow() {
  // compat C09 C10
  return (rm::g_liveObjectCount != 0 || rm::g_lockCount > 0) ? S_FALSE : S_OK;
}

STDAPI DllRegisterServer() {
  return rm::RegisterClassTableRows(rm::g_classTable, rm::g_classCount, rm::g_moduleHandle,
                                    &QXRegisterServer);
}

STDAPI DllUnregisterServer() {
  return rm::UnregisterClassTableRows(rm::g_classTable, rm::g_classCount, &QXUnregisterServer);
}
