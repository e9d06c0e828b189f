// CLSID text and the key names of a component and of an object's settings, for callers that
// open the keys themselves.
#include <cstring>

#include "base/caller_buffer.h"
#include "components/clsid_text.h"
#include "components/registry_layout.h"
#include "qx/component_registration.h"
#include "registry/failure_trace.h"
#include "registry/result_mapping.h"

namespace {

// Hands a built path to the caller by the caller-buffer rule, its size counting the NUL; a
// size that must be reported without a place for it is refused.
tagQXINTRFCRESULT DeliverKeyName(const rm::CallTrace& call, const rm::RegistryPath& path,
                                 char* buffer, unsigned long bufferSize,
                                 unsigned long* sizeNeeded) noexcept {
  if (!path.ok()) return call.Returns(QXIR_INVALID_PARAMETER);
  const unsigned long needed = static_cast<unsigned long>(path.length() + 1);
  const rm::WinCode code = rm::DeliverToCallerBuffer(
      path.c_str(), needed, needed, rm::CallerBuffer{buffer, bufferSize, sizeNeeded},
      rm::MissingSize::Refused);
  return call.Returns(rm::MapByCallerBufferRule(code), code);
}

}  // namespace

tagQXINTRFCRESULT QXConvertCLSIDToString(const GUID& clsid, char* buffer,
                                         unsigned long bufferSize) noexcept {
  rm::CallTrace call("QXConvertCLSIDToString");
  call.Guid(&clsid);
  return call.Returns(rm::FormatCLSIDText(clsid, buffer, bufferSize));
}

tagQXINTRFCRESULT QXQueryRegistrySubKeyNameForComponent(const GUID& clsid, char* buffer,
                                                        unsigned long bufferSize,
                                                        unsigned long* sizeNeeded) noexcept {
  rm::CallTrace call("QXQueryRegistrySubKeyNameForComponent");
  call.Guid(&clsid);
  rm::ClsidText clsidText;
  if (const auto refused = rm::ComponentKeyText(clsid, clsidText)) return call.Returns(refused);
  return DeliverKeyName(call, rm::ComponentKeyPath(clsidText.c_str()), buffer, bufferSize,
                        sizeNeeded);
}

tagQXINTRFCRESULT QXQueryRegistrySubKeyNameForObjectSettings(
    const GUID& clsid, const GUID& objectId, const tagQXCLIENTID& client, int defaultSettings,
    char* buffer, unsigned long bufferSize, unsigned long* sizeNeeded) noexcept {
  rm::CallTrace call("QXQueryRegistrySubKeyNameForObjectSettings");
  call.Guid(&clsid).Guid(&objectId);
  rm::ClsidText clsidText;
  if (const auto refused = rm::ComponentKeyText(clsid, clsidText)) return call.Returns(refused);
  rm::ClsidText objectIdText;
  if (const auto refused = rm::ObjectKeyText(objectId, objectIdText)) return call.Returns(refused);

  if (defaultSettings != 0) {
    return DeliverKeyName(call, rm::DefaultSettingsKeyPath(clsidText.c_str(), objectIdText.c_str()),
                          buffer, bufferSize, sizeNeeded);
  }
  // The name must end inside the record; reading on past it would read the caller's memory
  // beyond the record.
  // compat F14
  if (rm::IsNullAddress(&client) ||
      strnlen(client.clientName, sizeof(client.clientName)) == sizeof(client.clientName)) {
    return call.Returns(QXIR_INVALID_PARAMETER);
  }
  return DeliverKeyName(
      call, rm::UserSettingsKeyPath(clsidText.c_str(), objectIdText.c_str(), client.clientName),
      buffer, bufferSize, sizeNeeded);
}
