// The exported registration functions: the argument checks, the CLSID text and the key paths
// at the boundary, then one registration routine whose code is mapped once.
#include "components/clsid_text.h"
#include "components/component_registration.h"
#include "qx/component_registration.h"
#include "registry/result_mapping.h"

namespace {

bool IsEmptyText(const char* text) noexcept { return text != nullptr && text[0] == '\0'; }

tagQXINTRFCRESULT RegisterServer(HINSTANCE module, const GUID& clsid, const char* friendlyName,
                                 const char* category, bool referenceCounted) noexcept {
  if (module == nullptr || IsEmptyText(category)) return QXIR_INVALID_PARAMETER;
  char moduleFile[rm::kFilePathCapacity];
  if (!rm::GetModuleFileText(module, referenceCounted, moduleFile)) return QXIR_REGISTRY_ERROR;
  rm::ClsidText clsidText;
  if (const auto refused = rm::ComponentKeyText(clsid, clsidText)) return refused;
  const rm::RegistrationKeys keys(clsidText.c_str(), category);
  if (!keys.ok()) return QXIR_INVALID_PARAMETER;
  return rm::MapByRegistryRule(
      rm::WriteRegistration(keys, friendlyName, moduleFile, referenceCounted));
}

}  // namespace

tagQXINTRFCRESULT QXRegisterServer(HINSTANCE module, const GUID& clsid, const char* friendlyName,
                                   const char* category, const char*, const char*) noexcept {
  return RegisterServer(module, clsid, friendlyName, category, false);
}

tagQXINTRFCRESULT QXRegisterServerEx(HINSTANCE module, const GUID& clsid, const char* friendlyName,
                                     const char* category, const char*, const char*,
                                     int referenceCounted) noexcept {
  return RegisterServer(module, clsid, friendlyName, category, referenceCounted != 0);
}

tagQXINTRFCRESULT QXUnregisterServer(const GUID& clsid, const char* category, const char*,
                                     const char*) noexcept {
  if (IsEmptyText(category)) return QXIR_INVALID_PARAMETER;
  rm::ClsidText clsidText;
  if (const auto refused = rm::ComponentKeyText(clsid, clsidText)) return refused;
  const rm::RegistrationKeys keys(clsidText.c_str(), category);
  if (!keys.ok()) return QXIR_INVALID_PARAMETER;
  const rm::RemovalOutcome outcome = rm::RemoveRegistration(keys);
  return outcome.finalRemoval ? rm::MapByFinalRemovalRule(outcome.code)
                              : rm::MapByRegistryRule(outcome.code);
}
