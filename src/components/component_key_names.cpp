// CLSID text and the key names of a component and of an object's settings, for callers that
// open the keys themselves.
#include <cstring>

#include "components/clsid_text.h"
#include "components/registry_layout.h"
#include "qx/component_registration.h"

namespace {

// Hands a built path to the caller: a null buffer asks for the size, a small one is refused
// with the size needed, and the size is written only on those two paths.
tagQXINTRFCRESULT DeliverKeyName(const rm::RegistryPath& path, char* buffer,
                                 unsigned long bufferSize, unsigned long* sizeNeeded) noexcept {
  if (!path.ok()) return QXIR_INVALID_PARAMETER;
  const unsigned long needed = static_cast<unsigned long>(path.length() + 1);
  if (buffer != nullptr && bufferSize >= needed) {
    std::memcpy(buffer, path.c_str(), needed);
    return QXIR_SUCCESS;
  }
  if (sizeNeeded == nullptr) return QXIR_INVALID_PARAMETER;
  *sizeNeeded = needed;
  return buffer == nullptr ? QXIR_SUCCESS : QXIR_BUFFER_TOO_SMALL;
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
  if (rm::FormatCLSIDText(clsid, clsidText) != QXIR_SUCCESS) return QXIR_BAD_CLSID;
  return DeliverKeyName(rm::ComponentKeyPath(clsidText.c_str()), buffer, bufferSize, sizeNeeded);
}

tagQXINTRFCRESULT QXQueryRegistrySubKeyNameForObjectSettings(
    const GUID& clsid, const GUID& objectId, const tagQXCLIENTID& client, int defaultSettings,
    char* buffer, unsigned long bufferSize, unsigned long* sizeNeeded) noexcept {
  rm::ClsidText clsidText;
  if (rm::FormatCLSIDText(clsid, clsidText) != QXIR_SUCCESS) return QXIR_BAD_CLSID;
  rm::ClsidText objectIdText;
  if (rm::FormatCLSIDText(objectId, objectIdText) != QXIR_SUCCESS) return QXIR_BAD_OBJECT_ID;

  if (defaultSettings != 0) {
    return DeliverKeyName(rm::DefaultSettingsKeyPath(clsidText.c_str(), objectIdText.c_str()),
                          buffer, bufferSize, sizeNeeded);
  }
  // The name must end inside the record; reading on past it would read the caller's memory
  // beyond the record.
  if (rm::IsNullAddress(&client) ||
      strnlen(client.clientName, sizeof(client.clientName)) == sizeof(client.clientName)) {
    return QXIR_INVALID_PARAMETER;
  }
  return DeliverKeyName(
      rm::UserSettingsKeyPath(clsidText.c_str(), objectIdText.c_str(), client.clientName), buffer,
      bufferSize, sizeNeeded);
}
