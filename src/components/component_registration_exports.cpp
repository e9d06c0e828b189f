// The exported registration functions: the argument checks, the CLSID text and the key paths
// at the boundary, then one registration routine whose code is mapped once.
#include "components/clsid_text.h"
#include "components/component_registration.h"
#include "qx/component_registration.h"
#include "registry/failure_trace.h"
#include "registry/result_mapping.h"

namespace {

bool IsEmptyText(const char* text) noexcept { return text != nullptr && text[0] == '\0'; }

tagQXINTRFCRESULT RegisterServer(rm::CallTrace& call, HINSTANCE module, const GUID& clsid,
                                 const char* friendlyName, const char* category,
                                 bool referenceCounted) noexcept {
  call.Guid(&clsid).Name(category);
  if (module == nullptr || IsEmptyText(category)) return call.Returns(QXIR_INVALID_PARAMETER);
  wchar_t moduleFile[rm::kFilePathCapacity];
  if (!rm::GetModuleFileText(module, referenceCounted, moduleFile)) {
    return call.Returns(QXIR_REGISTRY_ERROR);
  }
  rm::ClsidText clsidText;
  if (const auto refused = rm::ComponentKeyText(clsid, clsidText)) return call.Returns(refused);
  const rm::RegistrationKeys keys(clsidText.c_str(), category);
  if (!keys.ok()) return call.Returns(QXIR_INVALID_PARAMETER);
  call.File(moduleFile);
  const rm::WinCode code = rm::WriteRegistration(keys, friendlyName, moduleFile, referenceCounted);
  return call.Returns(rm::MapByRegistryRule(code), code);
}

}  // namespace

tagQXINTRFCRESULT QXRegisterServer(HINSTANCE module, const GUID& clsid, const char* friendlyName,
                                   const char* category, const char*, const char*) noexcept {
  rm::CallTrace call("QXRegisterServer");
  return RegisterServer(call, module, clsid, friendlyName, category, false);
}

tagQXINTRFCRESULT QXRegisterServerEx(HINSTANCE module, const GUID& clsid, const char* friendlyName,
                                     const char* category, const char*, const char*,
                                     int referenceCounted) noexcept {
  rm::CallTrace call("QXRegisterServerEx");
  return RegisterServer(call, module, clsid, friendlyName, category, referenceCounted != 0);
}

tagQXINTRFCRESULT QXUnregisterServer(const GUID& clsid, const char* category, const char*,
                                     const char*) noexcept {
  rm::CallTrace call("QXUnregisterServer");
  call.Guid(&clsid).Name(category);
  if (IsEmptyText(category)) return call.Returns(QXIR_INVALID_PARAMETER);
  rm::ClsidText clsidText;
  if (const auto refused = rm::ComponentKeyText(clsid, clsidText)) return call.Returns(refused);
  const rm::RegistrationKeys keys(clsidText.c_str(), category);
  if (!keys.ok()) return call.Returns(QXIR_INVALID_PARAMETER);
  const rm::RemovalOutcome outcome = rm::RemoveRegistration(keys);
  return call.Returns(outcome.finalRemoval ? rm::MapByFinalRemovalRule(outcome.code)
                                           : rm::MapByRegistryRule(outcome.code),
                      outcome.code);
}
