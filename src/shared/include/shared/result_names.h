#pragma once
// The names of the tagQXINTRFCRESULT values, as the failure trace and the host tool print them.
// Shared by the module and the host tool.

#include "qx/results.h"

namespace rm {

// The enumerator's name; nullptr for a value that has none (9, 11, or out of range).
constexpr const char* QXResultName(unsigned long value) noexcept {
  switch (value) {
    case QXIR_SUCCESS: return "QXIR_SUCCESS";
    case QXIR_LOADLIBRARY_FAILED: return "QXIR_LOADLIBRARY_FAILED";
    case QXIR_NO_DLLGETCLASSOBJECT: return "QXIR_NO_DLLGETCLASSOBJECT";
    case QXIR_GETCLASSOBJECT_FAILED: return "QXIR_GETCLASSOBJECT_FAILED";
    case QXIR_CREATEINSTANCE_FAILED: return "QXIR_CREATEINSTANCE_FAILED";
    case QXIR_KEY_NOT_FOUND: return "QXIR_KEY_NOT_FOUND";
    case QXIR_BAD_CLSID: return "QXIR_BAD_CLSID";
    case QXIR_BAD_CLSID_STRING: return "QXIR_BAD_CLSID_STRING";
    case QXIR_BAD_OBJECT_ID: return "QXIR_BAD_OBJECT_ID";
    case QXIR_BUFFER_TOO_SMALL: return "QXIR_BUFFER_TOO_SMALL";
    case QXIR_INVALID_PARAMETER: return "QXIR_INVALID_PARAMETER";
    case QXIR_REGISTRY_ERROR: return "QXIR_REGISTRY_ERROR";
    case QXIR_ACCESS_DENIED: return "QXIR_ACCESS_DENIED";
    case QXIR_PROFILE_ERROR: return "QXIR_PROFILE_ERROR";
  }
  return nullptr;
}

}  // namespace rm
