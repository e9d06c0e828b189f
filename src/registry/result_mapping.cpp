#include "registry/result_mapping.h"

namespace rm {

tagQXINTRFCRESULT MapByRegistryRule(WinCode code) noexcept {
  if (code == kSuccess) return QXIR_SUCCESS;
  if (code == kAccessDenied) return QXIR_ACCESS_DENIED;
  return QXIR_REGISTRY_ERROR;
}

tagQXINTRFCRESULT MapByRegistryReadRule(WinCode code) noexcept {
  if (code == kMoreData) return QXIR_BUFFER_TOO_SMALL;
  return MapByRegistryRule(code);
}

tagQXINTRFCRESULT MapByLookupRule(WinCode code) noexcept {
  if (code == kMoreData) return QXIR_BUFFER_TOO_SMALL;
  return MapByModulePathLookupRule(code);
}

tagQXINTRFCRESULT MapByModulePathLookupRule(WinCode code) noexcept {
  if (code == kSuccess) return QXIR_SUCCESS;
  if (code == kAccessDenied) return QXIR_ACCESS_DENIED;
  return QXIR_KEY_NOT_FOUND;
}

tagQXINTRFCRESULT MapByProfileReadRule(WinCode code) noexcept {
  if (code == kMoreData) return QXIR_BUFFER_TOO_SMALL;
  return MapByProfileRule(code);
}

tagQXINTRFCRESULT MapByProfileRule(WinCode code) noexcept {
  if (code == kSuccess) return QXIR_SUCCESS;
  if (code == kAccessDenied) return QXIR_ACCESS_DENIED;
  if (code == kInvalidParameter) return QXIR_INVALID_PARAMETER;
  return QXIR_PROFILE_ERROR;
}

tagQXINTRFCRESULT MapByFixedKeyNotFoundRule(WinCode code) noexcept {
  return code == kSuccess ? QXIR_SUCCESS : QXIR_KEY_NOT_FOUND;
}

tagQXINTRFCRESULT MapByCallerBufferRule(WinCode code) noexcept {
  if (code == kSuccess) return QXIR_SUCCESS;
  if (code == kMoreData) return QXIR_BUFFER_TOO_SMALL;
  return QXIR_INVALID_PARAMETER;
}

tagQXINTRFCRESULT MapByFinalRemovalRule(WinCode code) noexcept {
  return MapByRegistryRule(code == kNotFound ? kSuccess : code);
}

}  // namespace rm
