// The COM server exports DllRegisterServer and DllUnregisterServer. They write no COM class
// keys: each class goes into the component registry, where hosts look for it by category.
#include "module/server_registration.h"

#include <olectl.h>

#include "qx/component_registration.h"

namespace rm {

HRESULT MapRegistrationResultToHResult(tagQXINTRFCRESULT result) noexcept {
  switch (result) {
    case QXIR_SUCCESS: return S_OK;
    case QXIR_BAD_CLSID:
    case QXIR_INVALID_PARAMETER: return E_INVALIDARG;
    case QXIR_ACCESS_DENIED: return E_ACCESSDENIED;
    default: return E_FAIL;
  }
}

HRESULT RegisterClassTableRows(const ClassTableEntry* rows, LONG count, HINSTANCE module,
                               RowRegistration registerRow) noexcept {
  for (LONG index = 0; index < count; ++index) {
    const ClassTableEntry& row = rows[index];
    // The two spare strings go in the reverse of their row order.
    // compat C06
    const tagQXINTRFCRESULT result = registerRow(module, *row.clsid, row.friendlyName, row.category,
                                                 row.extraString2, row.extraString1);
    if (result != QXIR_SUCCESS) return MapRegistrationResultToHResult(result);
  }
  return S_OK;
}

HRESULT UnregisterClassTableRows(const ClassTableEntry* rows, LONG count,
                                 RowUnregistration unregisterRow) noexcept {
  for (LONG index = 0; index < count; ++index) {
    const ClassTableEntry& row = rows[index];
    // compat C06
    const tagQXINTRFCRESULT result =
        unregisterRow(*row.clsid, row.category, row.extraString2, row.extraString1);
    if (result != QXIR_SUCCESS) return MapRegistrationResultToHResult(result);
  }
  return S_OK;
}

}  // namespace rm

STDAPI DllRegisterServer() {
  return rm::RegisterClassTableRows(rm::g_classTable, rm::g_classCount, rm::g_moduleHandle,
                                    &QXRegisterServer);
}

STDAPI DllUnregisterServer() {
  return rm::UnregisterClassTableRows(rm::g_classTable, rm::g_classCount, &QXUnregisterServer);
}
