// Self-registration: each class table row is entered in the component registry, where hosts
// look for it by category; no COM class keys are written.
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
