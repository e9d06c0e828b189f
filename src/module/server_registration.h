#pragma once
// Self-registration of the module's classes in the component registry: each class table row
// is handed to the component registration, and the first failure ends the walk.

#include <windows.h>

#include "module/module_state.h"
#include "qx/results.h"

namespace rm {

// Signatures of QXRegisterServer and QXUnregisterServer; the walks take them as parameters so
// that a test can watch what each row passes.
using RowRegistration = tagQXINTRFCRESULT (*)(HINSTANCE module, const GUID& clsid,
                                              const char* friendlyName, const char* category,
                                              const char* spare1, const char* spare2);
using RowUnregistration = tagQXINTRFCRESULT (*)(const GUID& clsid, const char* category,
                                                const char* spare1, const char* spare2);

// The HRESULT that DllRegisterServer and DllUnregisterServer report for a row's result:
// QXIR_SUCCESS -> S_OK, QXIR_BAD_CLSID and QXIR_INVALID_PARAMETER -> E_INVALIDARG,
// QXIR_ACCESS_DENIED -> E_ACCESSDENIED, anything else -> E_FAIL.
HRESULT MapRegistrationResultToHResult(tagQXINTRFCRESULT result) noexcept;

// Registers rows[0 .. count-1] in order, stopping at the first failure; rows already done stay.
HRESULT RegisterClassTableRows(const ClassTableEntry* rows, LONG count, HINSTANCE module,
                               RowRegistration registerRow) noexcept;

// Unregisters rows[0 .. count-1] in order, stopping at the first failure.
HRESULT UnregisterClassTableRows(const ClassTableEntry* rows, LONG count,
                                 RowUnregistration unregisterRow) noexcept;

}  // namespace rm
