// CLSID text and the key names of a component and of an object's settings, for callers that
// open the keys themselves.
#include <cstring>

#include "common/caller_buffer.h"
#include "components/clsid_text.h"
#include "components/registry_layout.h"
#include "qx/component_registration.h"
#include "registry/result_mapping.h"

namespace {

// Hands a built path to the caller by the caller-buffer rule, its size counting the NUL; a
// size that must be reported without a place for it is refused.
tagQXINTRFCRESULT DeliverKeyName(const rm::RegistryPath& path, char* buffer,
                                 unsigned long bufferSize, unsigned long* sizeNeeded) noexcept {
  if (!path.ok()) return QXIR_INVALID_PARAMETER;
  const unsigned long needed = static_cast<unsigned long>(path.length() + 1);
  return rm::MapByCallerBufferRule(
      rm::DeliverToCallerBuffer(path.c_str(), needed, needed,
                                rm::CallerBuffer{buffer, bufferSize, sizeNeeded},
                                rm::MissingSize::Refused));
}

}  // namespace

tagQXINTRFCRESULT QXConvertCLSIDToString(const GUID& clsid, char* buffer,
                                         unsigned long bufferSize) noexcept {
  return rm::FormatCLSIDText(clsid, buffer, bufferSize);
}

tagQXINTRFCRESULT QXQueryRegistrySubKeyNameForComponent(const GUID& clsid, char* buffer,
                                                        unsigned long bufferSize,
                                                        unsigned long* sizeNeeded) noexcept {
  rm::ClsidText clsidText;
  if (const auto refused = rm::ComponentKeyText(clsid, clsidText)) return refused;
  return DeliverKeyName(rm::ComponentKeyPath(clsidText.c_str()), buffer, bufferSize, sizeNeeded);
}

tagQXINTRFCRESULT QXQueryRegistrySubKeyNameForObjectSettings(
    const GUID& clsid, const GUID& objectId, const tagQXCLIENTID& client, int defaultSettings,
    char* buffer, unsigned long bufferSize, unsigned long* sizeNeeded) noexcept {
  rm::ClsidText clsidText;
  if (const auto refused = rm::ComponentKeyText(clsid, clsidText)) return refused;
  rm::ClsidText objectIdText;
  if (const auto refused = rm::ObjectKeyText(objectId, objectIdText)) return refused;

  if (defaultSettings != 0) {
    return DeliverKeyName(rm::DefaultSettingsKeyPath(clsidText.c_str(), objectIdText.c_str()),
                          buffer, bufferSize, sizeNeeded);
  }
  // The name must end inside the record; reading on past it would read the caller's memory
  // beyond the record.
  // compat F14
  if (rm::IsNullAddress(&client) ||
      strnlen(client.clientName, sizeof(client.clientName)) == sizeof(client.clientName)) {
    return QXIR_INVALID_PARAMETER;
  }
  return DeliverKeyName(
      rm::UserSettingsKeyPath(clsidText.c_str(), objectIdText.c_str(), client.clientName), buffer,
      bufferSize, sizeNeeded);
}
